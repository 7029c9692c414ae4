#pragma once

#include <QFrame>

namespace arlo::ui {

// A panel drawn with a one-pixel grey box.
class FramePanel final : public QFrame {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FramePanel)

public:
    explicit FramePanel(QWidget* parent);
};

}  // namespace arlo::ui
