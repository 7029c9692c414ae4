#include "ui/guestbook_window.h"

#include <QGroupBox>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <optional>

#include "online/guestbook.h"
#include "pictures/qt/image_convert.h"
#include "ui/notices.h"
#include "ui/ui_look.h"
#include "ui/widgets/controls.h"

namespace arlo::ui {

GuestbookWindow::GuestbookWindow(AppContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
    setObjectName(QStringLiteral("留言窗口"));
    setWindowTitle(QStringLiteral("留言"));
    setWindowModality(Qt::ApplicationModal);
    setFont(uiFont(kDefaultFontPixels));

    makePictureBox(this, QStringLiteral("图片框1"), {24, 16, 24, 24},
                   picturePath(QStringLiteral("guestbook.gif")));
    makeLabel(this, QStringLiteral("标签1"), {56, 16, 336, 32},
              QStringLiteral("你有什么好的意见或建议，赶快告诉我吧！"), uiFont(17), Qt::black,
              true);
    QGroupBox* group = makeGroupBox(this, QStringLiteral("分组框1"), {16, 48, 384, 288});
    FramePanel* messageFrame = makeFramePanel(group, QStringLiteral("外形框1"), {1, 8, 381, 160});
    messageFrame->setFrameShape(QFrame::NoFrame);
    c_.message = makeMultiLineEditBox(messageFrame, QStringLiteral("编辑框1"), {16, 16, 352, 144},
                                      QString(), uiFont(15));
    makeLabel(group, QStringLiteral("标签2"), {16, 176, 56, 24}, QStringLiteral("昵称："),
              uiFont(18));
    c_.nickname =
        makeEditBox(group, QStringLiteral("编辑框2"), {80, 176, 112, 24}, QString(), uiFont(15));
    makeLabel(group, QStringLiteral("标签3"), {200, 176, 56, 24}, QStringLiteral("QQ："),
              uiFont(18));
    c_.qqNumber =
        makeEditBox(group, QStringLiteral("编辑框3"), {256, 176, 112, 24}, QString(), uiFont(15));
    makeFramePanel(group, QStringLiteral("外形框2"), {8, 216, 368, 1});
    c_.captcha = makePictureBox(group, QStringLiteral("图片框2"), {16, 232, 100, 35});
    c_.newCaptcha = makeHyperlink(group, QStringLiteral("超级链接框1"), {120, 248, 56, 24},
                                  QStringLiteral("换一张"), uiFont(15));
    makeLabel(group, QStringLiteral("标签4"), {201, 240, 71, 24}, QStringLiteral("验证码："),
              uiFont(18));
    c_.captchaAnswer =
        makeEditBox(group, QStringLiteral("编辑框4"), {280, 240, 88, 24}, QString(), uiFont(15));
    c_.submit = makePushButton(this, QStringLiteral("按钮1"), {192, 344, 96, 36},
                               QStringLiteral("提交"), uiFont(15, true));
    c_.cancel = makePushButton(this, QStringLiteral("按钮2"), {304, 344, 96, 36},
                               QStringLiteral("取消"), uiFont(15));
    // Enter in a field must not submit half a message.
    c_.submit->setAutoDefault(false);
    c_.cancel->setAutoDefault(false);

    connect(c_.newCaptcha, &HyperlinkLabel::leftPressed, this,
            &GuestbookWindow::onNewCaptchaPressed);
    connect(c_.submit, &QPushButton::clicked, this, &GuestbookWindow::onSubmitClicked);
    connect(c_.cancel, &QPushButton::clicked, this, &GuestbookWindow::onCancelClicked);
    setOuterGeometry(this, QPoint(50, 50), QSize(421, 426), true);
}

void GuestbookWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!created_) {
        created_ = true;
        onCreated();
    }
}

GuestbookWindow::~GuestbookWindow() {
    // The requests end before the controls their results are meant for.
    closing_.store(true);
    client_.reset();
}

void GuestbookWindow::onCreated() {
    c_.message->setFocus();
    client_ = std::make_unique<online::GuestbookClient>();
    client_->openSession();
    // The user may be typing the message meanwhile: the picture takes no focus.
    loadCaptcha(false);
}

void GuestbookWindow::onNewCaptchaPressed() {
    loadCaptcha(true);
}

void GuestbookWindow::loadCaptcha(bool takeFocus) {
    if (takeFocus) {
        c_.captchaAnswer->setFocus();
    }
    if (!client_) {
        return;
    }
    client_->loadCaptcha([this](net::Bytes bytes) {
        // Decoded on the client's thread, off the user-interface thread, within the captcha's
        // bounds. What is no picture leaves a null image.
        QImage picture = pictures::decodeBounded(
            QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size())),
            pictures::kCaptchaLimits);
        if (!closing_.load()) {
            QMetaObject::invokeMethod(
                this, [this, shown = std::move(picture)] { showCaptcha(shown); },
                Qt::QueuedConnection);
        }
    });
}

void GuestbookWindow::showCaptcha(const QImage& picture) {
    c_.captcha->setPicture(picture.isNull() ? QPixmap() : QPixmap::fromImage(picture));
    emit captchaShown();
}

void GuestbookWindow::onSubmitClicked() {
    const QString message = c_.message->toPlainText();
    if (message.isEmpty()) {
        tell(QStringLiteral("留言忘写了哦~~"));
        return;
    }
    if (c_.captchaAnswer->text().isEmpty()) {
        tell(QStringLiteral("验证码忘写了哦~~"));
        c_.captchaAnswer->setFocus();
        return;
    }
    auto form = online::encodeGuestbookForm({
        .message = message.toStdString(),
        .nickname = c_.nickname->text().toStdString(),
        .contact = c_.qqNumber->text().toStdString(),
        .captcha = c_.captchaAnswer->text().toStdString(),
    });
    // Characters the service cannot take (emoji, for one) are refused before anything is sent;
    // the text stays where it is for the user to mend.
    if (!form) {
        refuseField(form.why());
        return;
    }
    if (!client_) {
        return;
    }
    c_.submit->setEnabled(false);
    // Queued behind the handshake when that is still under way.
    client_->submit(std::move(form).value(), [this](online::GuestbookOutcome outcome) {
        QMetaObject::invokeMethod(
            this, [this, outcome] { endSubmission(outcome); }, Qt::QueuedConnection);
    });
}

void GuestbookWindow::refuseField(online::GuestbookField field) {
    switch (field) {
        case online::GuestbookField::Message:
            tell(QStringLiteral("留言里有无法发送的字符（比如表情符号），请删掉后再提交。"));
            c_.message->setFocus();
            return;
        case online::GuestbookField::Nickname:
            tell(QStringLiteral("昵称里有无法发送的字符（比如表情符号），请删掉后再提交。"));
            c_.nickname->setFocus();
            return;
        case online::GuestbookField::Contact:
            tell(QStringLiteral("QQ里有无法发送的字符，请删掉后再提交。"));
            c_.qqNumber->setFocus();
            return;
        case online::GuestbookField::Captcha:
            tell(QStringLiteral("验证码里有无法发送的字符，请重新输入。"));
            c_.captchaAnswer->setFocus();
            return;
    }
}

void GuestbookWindow::endSubmission(online::GuestbookOutcome outcome) {
    switch (outcome) {
        case online::GuestbookOutcome::Accepted:
            tell(QStringLiteral("留言已成功提交，感谢支持哈！"));
            emit submissionEnded();
            accept();
            return;
        case online::GuestbookOutcome::WrongCaptcha:
            tell(QString::fromUtf8(online::kWrongCaptchaText));
            c_.submit->setEnabled(true);
            c_.captchaAnswer->clear();
            loadCaptcha(true);
            break;
        case online::GuestbookOutcome::Failed:
            tell(QStringLiteral("提交失败，未知错误"));
            c_.submit->setEnabled(true);
            break;
    }
    emit submissionEnded();
}

void GuestbookWindow::tell(const QString& text) {
    context_.notices->inform(kCaptionFriendly, text);
}

void GuestbookWindow::onCancelClicked() {
    close();
}

void GuestbookWindow::done(int result) {
    closing_.store(true);
    client_.reset();
    QDialog::done(result);
}

}  // namespace arlo::ui
