#pragma once

#include <QComboBox>

namespace arlo::ui {

// A combo box that reports its drop-down closing.
class ComboBox final : public QComboBox {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ComboBox)

public:
    explicit ComboBox(QWidget* parent) : QComboBox(parent) {}
    void hidePopup() override;

signals:
    void dropDownClosed();
};

}  // namespace arlo::ui
