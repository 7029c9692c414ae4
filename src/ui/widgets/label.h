#pragma once

#include <QLabel>

namespace arlo::ui {

// A label: transparent background; mouse events go to its parent.
class Label final : public QLabel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Label)

public:
    explicit Label(QWidget* parent) : QLabel(parent) {}
};

}  // namespace arlo::ui
