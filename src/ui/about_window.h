#pragma once

#include <QDialog>

namespace arlo::ui {

// The About window: a picture and a few words on how the program may be used.
class AboutWindow final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AboutWindow)

public:
    explicit AboutWindow(QWidget* parent = nullptr);
};

// The words shown in the About window.
QString aboutText();

}  // namespace arlo::ui
