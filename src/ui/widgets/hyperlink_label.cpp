#include "ui/widgets/hyperlink_label.h"

#include <QMouseEvent>

namespace arlo::ui {

HyperlinkLabel::HyperlinkLabel(QWidget* parent) : QLabel(parent) {
    setCursor(Qt::PointingHandCursor);
}

void HyperlinkLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        event->accept();
        emit leftPressed();
        return;
    }
    QLabel::mousePressEvent(event);
}

}  // namespace arlo::ui
