#pragma once

#include <QLineEdit>

namespace arlo::ui {

// A one-line edit box that reports gaining and losing the focus.
class EditBox final : public QLineEdit {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EditBox)

public:
    explicit EditBox(QWidget* parent) : QLineEdit(parent) {}

signals:
    void gotFocus();
    void lostFocus();

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};

}  // namespace arlo::ui
