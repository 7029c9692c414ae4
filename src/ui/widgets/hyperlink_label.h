#pragma once

#include <QLabel>

namespace arlo::ui {

// Underlined link text that reports a left press.
class HyperlinkLabel final : public QLabel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HyperlinkLabel)

public:
    explicit HyperlinkLabel(QWidget* parent);

signals:
    void leftPressed();

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

}  // namespace arlo::ui
