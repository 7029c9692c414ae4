#include "ui/guestbook_window.h"

#include <QGroupBox>

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

void GuestbookWindow::onCreated() {}

void GuestbookWindow::onNewCaptchaPressed() {}

void GuestbookWindow::onSubmitClicked() {}

void GuestbookWindow::onCancelClicked() {
    close();
}

}  // namespace arlo::ui
