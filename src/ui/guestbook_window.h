#pragma once

#include <QDialog>
#include <atomic>
#include <memory>

#include "ui/app_context.h"

class QImage;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace arlo::online {
class GuestbookClient;
enum class GuestbookOutcome;
enum class GuestbookField;
}  // namespace arlo::online

namespace arlo::ui {

class HyperlinkLabel;
class PictureBox;

// The Guestbook window: a message, a nickname, a QQ number and the answer to a captcha. Its
// requests (the hosting space's handshake as it opens, captcha pictures, the message) run one
// after another on a thread of its own, so the window answers the user all the while; closing
// it cuts off whatever is under way. A captcha picture is decoded within kCaptchaLimits on that
// thread too, so closing waits at most for one bounded decode.
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
    ~GuestbookWindow() override;

    const Controls& controls() const { return c_; }
    AppContext& context() { return context_; }

public slots:
    // Once, when the window is first shown.
    void onCreated();
    void onNewCaptchaPressed();
    void onSubmitClicked();
    void onCancelClicked();
    // Ends the window's requests too.
    void done(int result) override;

signals:
    // After a captcha reply was shown: its picture, or an empty box for anything else.
    void captchaShown();
    // After the user was told how a submission ended.
    void submissionEnded();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // `takeFocus`: the captcha box gets the focus at once.
    void loadCaptcha(bool takeFocus);
    void showCaptcha(const QImage& picture);
    // Tells which field holds characters the service cannot take, and goes to it.
    void refuseField(online::GuestbookField field);
    void endSubmission(online::GuestbookOutcome outcome);
    void tell(const QString& text);

    AppContext& context_;
    Controls c_;
    bool created_ = false;
    // Set before the client goes: a captcha being decoded is no longer waited for.
    std::atomic<bool> closing_{false};
    std::unique_ptr<online::GuestbookClient> client_;
};

}  // namespace arlo::ui
