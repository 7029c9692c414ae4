#pragma once

#include <QLabel>

namespace arlo::ui {

// A label: transparent background; mouse events go to its parent. Its text is shown as it
// is, never read as markup: labels show texts from the network too.
class Label final : public QLabel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Label)

public:
    explicit Label(QWidget* parent) : QLabel(parent) { setTextFormat(Qt::PlainText); }
};

}  // namespace arlo::ui
