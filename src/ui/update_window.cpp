#include "ui/update_window.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include "deploy/deploy.h"
#include "online/update_flow.h"
#include "ui/notices.h"
#include "ui/post_result.h"
#include "ui/ui_look.h"
#include "ui/widgets/controls.h"

namespace arlo::ui {
namespace {

// Says that no browser could be opened and shows `address` selected in a read-only field, for
// the user to copy into one. Window-modal over `parent`; gone once closed.
void showAddressToCopy(QWidget* parent, const QString& address) {
    auto* box = new QDialog(parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setObjectName(QStringLiteral("地址框"));
    box->setWindowTitle(kCaptionNotice);
    box->setFont(uiFont(kDefaultFontPixels));
    makeLabel(box, QStringLiteral("标签1"), {16, 16, 368, 24},
              QStringLiteral("无法打开浏览器，请复制下面的地址到浏览器中打开："), uiFont(15));
    EditBox* field =
        makeEditBox(box, QStringLiteral("编辑框1"), {16, 48, 368, 24}, address, uiFont(15));
    field->setReadOnly(true);
    // All of it selected, its beginning in view.
    field->setSelection(static_cast<int>(address.size()), -static_cast<int>(address.size()));
    QPushButton* ok = makePushButton(box, QStringLiteral("按钮1"), {288, 88, 96, 32},
                                     QStringLiteral("确定"), uiFont(15));
    QObject::connect(ok, &QPushButton::clicked, box, &QDialog::accept);
    setOuterGeometry(box, parent->geometry().topLeft() + QPoint(8, 120), QSize(400, 136), true);
    box->open();
    field->setFocus();
}

}  // namespace

UpdateWindow::UpdateWindow(AppContext& context, online::VersionState version, QWidget* parent)
    : QDialog(parent), context_(context), version_(std::move(version)) {
    environment_.executablePath = QCoreApplication::applicationFilePath();
    environment_.openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    environment_.signingKey = std::string(deploy::kUpdateSigningKey);
    environment_.pauses = online::DownloadPlan{}.pauses;
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
    c_.timer->setInterval(1000);
    connect(c_.timer, &QTimer::timeout, this, &UpdateWindow::onTimer);

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
    // Every way of closing a dialog (the frame's close box, Escape, close()) ends here. While
    // the question is asked, the update may end the window itself.
    if (closed_ || !onCloseQuery() || closed_) {
        return;
    }
    closed_ = true;
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

UpdateWindow::~UpdateWindow() {
    // A step still under way ends at once; its file goes with it.
    worker_.stop();
}

bool UpdateWindow::onCloseQuery() {
    return ending_ || context_.notices->ask(kCaptionFriendly, QStringLiteral("是否退出更新？"),
                                            Notices::Question::YesNo);
}

void UpdateWindow::onClosing() {
    // A probe or download still under way ends, and its file with it.
    worker_.callOff();
    c_.timer->stop();
}

void UpdateWindow::onManualDownloadPressed() {
    // Only a web address goes to the desktop's opener; for anything else the listing named,
    // nothing is opened and the window stays.
    if (!online::isWebAddress(version_.downloadAddress)) {
        return;
    }
    const QUrl address = QUrl::fromEncoded(QByteArray::fromStdString(version_.downloadAddress));
    // Without a browser to open, the address is shown for copying and the window stays.
    if (!environment_.openUrl(address)) {
        showAddressToCopy(this, address.toString());
        return;
    }
    endProgram();
}

void UpdateWindow::onUpdateClicked() {
    c_.update->setEnabled(false);
    resetProgress();
    c_.status->setText(QStringLiteral("分析文件..."));
    c_.status->resize(c_.progress->width(), c_.status->height());
    c_.statusVersion->hide();

    auto lock = online::lockForUpdate(runDirectory());
    if (!lock) {
        onFailed(lock.why());
        return;
    }
    lock_ = std::move(lock).value();
    online::UpdatePlan plan;
    plan.download.address = version_.downloadAddress;
    plan.download.referer = std::string(deploy::kHostingSpaceHome);
    plan.download.version = version_.latest;
    plan.download.signature = version_.signature;
    plan.download.publicKey = environment_.signingKey;
    plan.download.pauses = environment_.pauses;
    plan.executable = environment_.executablePath.toStdString();
    const PostTo post(*this);
    online::UpdateReports reports;
    reports.sized = [post, this](std::int64_t total) { post([this, total] { onSized(total); }); };
    reports.progress = [post, this](std::int64_t done, std::int64_t elapsedMs) {
        post([this, done, elapsedMs] { onProgress(done, elapsedMs); });
    };
    reports.downloaded = [post, this] { post([this] { onDownloaded(); }); };
    // The probe may wait for seconds, the download for minutes: the window stays responsive
    // meanwhile. The lock outlives the flow: it goes with the window or the failure shown.
    runThenPost(
        worker_, *this,
        [lock = lock_.get(), plan = std::move(plan), reports](const base::StopSignal& stop) {
            return online::runUpdate(*lock, plan, reports, &stop.flag());
        },
        [this](const Result<void, online::UpdateFailure>& outcome) {
            if (ending_) {
                return;
            }
            if (outcome) {
                endProgram();
            } else {
                onFailed(outcome.why());
            }
        });
}

void UpdateWindow::onSized(std::int64_t totalBytes) {
    if (ending_) {
        return;
    }
    totalBytes_ = totalBytes;
    totalSizeText_ = online::sizeText(totalBytes_);
    c_.status->setText(QStringLiteral("开始更新"));
    c_.timer->start();
}

void UpdateWindow::onProgress(std::int64_t done, std::int64_t elapsedMs) {
    if (completed_ || ending_) {
        return;
    }
    // A new attempt starts again from fewer bytes; both are news.
    if (done != lastDone_) {
        quiet_.start();
    }
    lastDone_ = done;
    lastElapsedMs_ = elapsedMs;
    showProgress(
        online::progressView(done, elapsedMs, static_cast<double>(totalBytes_), totalSizeText_));
}

void UpdateWindow::onTimer() {
    // Reports come only when bytes do: a stalled download is shown from here.
    if (completed_ || ending_ || lastDone_ < 0) {
        return;
    }
    showProgress(online::progressView(lastDone_, lastElapsedMs_, static_cast<double>(totalBytes_),
                                      totalSizeText_, quiet_.elapsed()));
}

void UpdateWindow::showProgress(const online::ProgressView& view) {
    c_.status->setText(QString::fromStdString(view.status));
    c_.progress->setValue(view.bar);
    c_.percentage->setText(QString::fromStdString(view.percentage));
}

void UpdateWindow::resetProgress() {
    c_.progress->setValue(0);
    c_.percentage->clear();
    lastDone_ = -1;
    lastElapsedMs_ = 0;
}

void UpdateWindow::onDownloaded() {
    if (ending_) {
        return;
    }
    c_.timer->stop();
    // The file is put in place now: from here on there is nothing left to cancel.
    completed_ = true;
    c_.cancel->setEnabled(false);
    c_.status->setText(QStringLiteral("已完成"));
    c_.progress->setValue(100);
    c_.percentage->setText(QStringLiteral("100%"));
}

void UpdateWindow::onFailed(const online::UpdateFailure& failure) {
    using online::UpdateWhy;
    if (failure.why == UpdateWhy::Stopped) {
        return;  // the window is closing
    }
    completed_ = false;
    if (failure.why == UpdateWhy::AnotherUpdate) {
        updateFailed(kCaptionFriendly, QStringLiteral("已有另一个更新正在进行，请稍后再试。"));
    } else if (failure.step == online::UpdateStep::Start) {
        updateFailed(kCaptionError, QStringLiteral("新版本启动失败，可以试试手动下载"));
    } else {
        updateFailed();
    }
}

void UpdateWindow::updateFailed() {
    updateFailed(kCaptionError, QStringLiteral("下载失败，请重试。可以试试手动下载"));
}

void UpdateWindow::updateFailed(const QString& caption, const QString& text) {
    lock_.reset();
    c_.timer->stop();
    resetProgress();
    c_.status->setText(QStringLiteral("自动更新失败"));
    context_.notices->warn(caption, text);
    c_.update->setEnabled(true);
    c_.cancel->setEnabled(true);
}

void UpdateWindow::onCancelClicked() {
    // A download under way goes on while the question is asked, and may end the window.
    if (onCloseQuery() && !closed_) {
        endProgram();
    }
}

void UpdateWindow::endProgram() {
    ending_ = true;
    done(QDialog::Rejected);
}

std::string UpdateWindow::runDirectory() const {
    return QFileInfo(environment_.executablePath).absolutePath().toStdString();
}

}  // namespace arlo::ui
