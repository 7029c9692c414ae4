#include "ui/widgets/frame_panel.h"

namespace arlo::ui {

FramePanel::FramePanel(QWidget* parent) : QFrame(parent) {
    setFrameShape(QFrame::Box);
    setFrameShadow(QFrame::Plain);
    setLineWidth(1);
    QPalette look = palette();
    look.setColor(QPalette::WindowText, QColor(0xA0, 0xA0, 0xA0));
    setPalette(look);
}

}  // namespace arlo::ui
