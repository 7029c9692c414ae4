#include "ui/update_window.h"

#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include "ui/control_kinds.h"
#include "ui/ui_look.h"

namespace arlo::ui {

UpdateWindow::UpdateWindow(AppContext& context, online::VersionState version, QWidget* parent)
    : QDialog(parent), context_(context), version_(std::move(version)) {
    setObjectName(QStringLiteral("更新窗口"));
    setWindowTitle(QStringLiteral("更新"));
    setWindowModality(Qt::ApplicationModal);
    setFont(uiFont(kDefaultFontPixels));
    const QColor red(0xFF, 0x00, 0x00);

    c_.latestVersion = makeLabel(this, QStringLiteral("标签4"), {16, 16, 40, 24},
                                 QStringLiteral("1.0版"), uiFont(15), red);
    makeLabel(this, QStringLiteral("标签1"), {64, 16, 72, 24}, QStringLiteral("更新详情："),
              uiFont(15));
    makeLabel(this, QStringLiteral("标签3"), {216, 16, 128, 24},
              QStringLiteral("自动更新失败？试试："), uiFont(13), QColor(0x80, 0x80, 0x80));
    c_.manualDownload = makeHyperlink(this, QStringLiteral("超级链接框1"), {343, 16, 52, 24},
                                      QStringLiteral("手动下载"), uiFont(12));
    FramePanel* notesFrame = makeFramePanel(this, QStringLiteral("外形框1"), {16, 40, 376, 200});
    c_.releaseNotes =
        makeMultiLineEditBox(notesFrame, QStringLiteral("编辑框1"), {8, 8, 352, 184},
                             QStringLiteral("更新说明"), uiFont(15), QColor(0x00, 0x60, 0xC0));
    c_.progress = makeProgressBar(this, QStringLiteral("进度条1"), {16, 248, 376, 24});
    c_.percentage = makeTransparentLabel(this, QStringLiteral("透明标签1"), {16, 248, 376, 24},
                                         QString(), uiFont(12));
    c_.percentage->setAlignment(Qt::AlignCenter);
    c_.status = makeLabel(this, QStringLiteral("标签2"), {16, 276, 184, 24},
                          QStringLiteral("当前版本：1.0，最新版本："), uiFont(15));
    c_.statusVersion = makeLabel(this, QStringLiteral("标签5"), {204, 276, 40, 24},
                                 QStringLiteral("1.0"), uiFont(18), red);
    c_.update = makePushButton(this, QStringLiteral("按钮1"), {184, 316, 96, 36},
                               QStringLiteral("更新"), uiFont(15, true));
    c_.cancel = makePushButton(this, QStringLiteral("按钮2"), {296, 316, 96, 36},
                               QStringLiteral("取消"), uiFont(15));
    c_.update->setAutoDefault(false);
    c_.cancel->setAutoDefault(false);
    c_.timer = makeTimer(this, QStringLiteral("时钟1"));

    connect(c_.manualDownload, &HyperlinkLabel::leftPressed, this,
            &UpdateWindow::onManualDownloadPressed);
    connect(c_.update, &QPushButton::clicked, this, &UpdateWindow::onUpdateClicked);
    connect(c_.cancel, &QPushButton::clicked, this, &UpdateWindow::onCancelClicked);
    setOuterGeometry(this, QPoint(50, 50), QSize(417, 400), true);
}

void UpdateWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!created_) {
        created_ = true;
        onCreated();
    }
}

void UpdateWindow::done(int result) {
    // Every way of closing a dialog (the frame's close box, Escape, close()) ends here.
    if (!onCloseQuery()) {
        return;
    }
    onClosing();
    QDialog::done(result);
}

void UpdateWindow::onCreated() {
    const QString latest = QString::fromStdString(version_.latest);
    // The notes mark their line breaks with full-width semicolons.
    c_.releaseNotes->setPlainText(QString::fromStdString(version_.releaseNotes)
                                      .replace(QStringLiteral("；"), QStringLiteral("\n")));
    c_.latestVersion->setText(latest + QStringLiteral("版"));
    c_.status->setText(QStringLiteral("当前版本：") + QString::fromStdString(version_.current) +
                       QStringLiteral("   最新版本："));
    c_.statusVersion->setText(latest);
    activateWindow();
    setFocus(Qt::ActiveWindowFocusReason);
}

bool UpdateWindow::onCloseQuery() {
    return true;
}

void UpdateWindow::onClosing() {}

void UpdateWindow::onManualDownloadPressed() {}

void UpdateWindow::onUpdateClicked() {}

void UpdateWindow::onCancelClicked() {
    close();
}

}  // namespace arlo::ui
