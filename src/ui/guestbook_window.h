#pragma once

#include <QDialog>

#include "ui/app_context.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace arlo::ui {

class HyperlinkLabel;
class PictureBox;

// The Guestbook window: a message, a nickname, a QQ number and the answer to a captcha.
class GuestbookWindow final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(GuestbookWindow)

public:
    struct Controls {
        QPlainTextEdit* message = nullptr;     // 编辑框1
        QLineEdit* nickname = nullptr;         // 编辑框2
        QLineEdit* qqNumber = nullptr;         // 编辑框3
        PictureBox* captcha = nullptr;         // 图片框2
        HyperlinkLabel* newCaptcha = nullptr;  // 超级链接框1
        QLineEdit* captchaAnswer = nullptr;    // 编辑框4
        QPushButton* submit = nullptr;         // 按钮1
        QPushButton* cancel = nullptr;         // 按钮2
    };

    explicit GuestbookWindow(AppContext& context, QWidget* parent = nullptr);

    const Controls& controls() const { return c_; }
    AppContext& context() { return context_; }

public slots:
    // Once, when the window is first shown.
    void onCreated();
    void onNewCaptchaPressed();
    void onSubmitClicked();
    void onCancelClicked();

protected:
    void showEvent(QShowEvent* event) override;

private:
    AppContext& context_;
    Controls c_;
    bool created_ = false;
};

}  // namespace arlo::ui
