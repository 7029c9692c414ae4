#include "ui/update_window.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <mutex>
#include <thread>

#include "deploy/deploy.h"
#include "online/self_update.h"
#include "ui/notices.h"
#include "ui/ui_look.h"
#include "ui/widgets/controls.h"

namespace arlo::ui {

// What the workers share with the window: the window while it still wants their results, and
// the stop flag. A worker posts under the lock, so the window cannot go away in between.
struct UpdateWindow::Mailbox {
    std::mutex mutex;
    UpdateWindow* receiver = nullptr;
    online::StopFlag stop = false;

    template <typename Fn>
    void post(Fn fn) {
        const std::lock_guard lock(mutex);
        if (UpdateWindow* window = receiver) {
            QMetaObject::invokeMethod(
                window, [window, fn = std::move(fn)] { fn(*window); }, Qt::QueuedConnection);
        }
    }
};

UpdateWindow::UpdateWindow(AppContext& context, online::VersionState version, QWidget* parent)
    : QDialog(parent),
      context_(context),
      version_(std::move(version)),
      mailbox_(std::make_shared<Mailbox>()) {
    mailbox_->receiver = this;
    environment_.executablePath = QCoreApplication::applicationFilePath();
    environment_.openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };
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

UpdateWindow::~UpdateWindow() {
    mailbox_->stop = true;
    const std::lock_guard lock(mailbox_->mutex);
    mailbox_->receiver = nullptr;
}

bool UpdateWindow::onCloseQuery() {
    return ending_ || context_.notices->ask(kCaptionFriendly, QStringLiteral("是否退出更新？"),
                                            Notices::Question::YesNo);
}

void UpdateWindow::onClosing() {
    // A download still under way makes no further attempt.
    mailbox_->stop = true;
}

void UpdateWindow::onManualDownloadPressed() {
    // Only a web address goes to the desktop's opener; for anything else the listing named,
    // nothing is opened and the window stays.
    if (!online::isWebAddress(version_.downloadAddress)) {
        return;
    }
    environment_.openUrl(QUrl::fromEncoded(QByteArray::fromStdString(version_.downloadAddress)));
    endProgram();
}

void UpdateWindow::onUpdateClicked() {
    c_.update->setEnabled(false);
    c_.cancel->setEnabled(false);
    c_.status->setText(QStringLiteral("分析文件..."));
    c_.status->resize(c_.progress->width(), c_.status->height());
    c_.statusVersion->hide();

    // An installation this user cannot change is not downloaded at all, nor one that another
    // copy of the program is updating.
    if (!online::canReplaceIn(runDirectory())) {
        updateFailed();
        return;
    }
    lock_ = std::make_shared<online::UpdateLock>(runDirectory());
    if (lock_->state() == online::UpdateLock::State::Busy) {
        updateFailed(kCaptionFriendly, QStringLiteral("已有另一个更新正在进行，请稍后再试。"));
        return;
    }
    if (!lock_->held()) {
        updateFailed();
        return;
    }
    // The probe may wait for seconds; the window stays responsive meanwhile.
    std::thread([mailbox = mailbox_, address = version_.downloadAddress] {
        std::string length = online::probeDownloadSize(address, &mailbox->stop);
        mailbox->post([length = std::move(length)](UpdateWindow& w) { w.onProbed(length); });
    }).detach();
}

void UpdateWindow::onProbed(const std::string& contentLength) {
    const std::optional<std::int64_t> size = online::acceptedDownloadSize(contentLength);
    if (ending_ || !size) {
        if (!ending_) {
            updateFailed();
        }
        return;
    }
    totalBytes_ = *size;
    totalSizeText_ = online::sizeText(totalBytes_);
    c_.status->setText(QStringLiteral("开始更新"));

    online::DownloadPlan plan;
    plan.address = version_.downloadAddress;
    plan.referer = std::string(deploy::kHostingSpaceHome);
    plan.version = version_.latest;
    plan.expectedBytes = totalBytes_;
    plan.signature = version_.signature;
    plan.publicKey = environment_.signingKey;
    plan.pauses = environment_.pauses;
    // The worker keeps the lock too: it is let go only once the worker's file is gone.
    std::thread([mailbox = mailbox_, plan = std::move(plan), lock = lock_] {
        std::shared_ptr<online::DownloadFile> file = online::downloadUpdate(
            plan, *lock,
            [mailbox](int, std::int64_t, std::int64_t done, std::int64_t elapsed) {
                mailbox->post([done, elapsed](UpdateWindow& w) { w.onProgress(done, elapsed); });
            },
            &mailbox->stop);
        mailbox->post([file = std::move(file)](UpdateWindow& w) { w.onDownloaded(file); });
    }).detach();
}

void UpdateWindow::onProgress(std::int64_t done, std::int64_t elapsedMs) {
    if (completed_ || c_.progress->value() == 100 ||
        c_.status->text() == QStringLiteral("已完成")) {
        return;
    }
    const online::ProgressView view =
        online::progressView(done, elapsedMs, static_cast<double>(totalBytes_), totalSizeText_);
    c_.status->setText(QString::fromStdString(view.status));
    c_.progress->setValue(view.bar);
    c_.percentage->setText(QString::fromStdString(view.percentage));
}

void UpdateWindow::onDownloaded(const std::shared_ptr<online::DownloadFile>& file) {
    if (ending_) {
        return;
    }
    if (!file) {
        updateFailed();
        return;
    }
    completed_ = true;
    c_.status->setText(QStringLiteral("已完成"));
    c_.progress->setValue(100);
    c_.percentage->setText(QStringLiteral("100%"));
    const std::string executable = environment_.executablePath.toStdString();
    if (!online::replaceExecutable(*file, executable)) {
        completed_ = false;
        updateFailed();
        return;
    }
    // The new executable is watched for a moment off this thread; this program ends only
    // once it is seen running.
    std::thread([mailbox = mailbox_, executable] {
        const bool started = online::startDetached(executable);
        mailbox->post([started](UpdateWindow& w) { w.onStarted(started); });
    }).detach();
}

void UpdateWindow::onStarted(bool started) {
    if (ending_) {
        return;
    }
    if (!started) {
        completed_ = false;
        updateFailed(kCaptionError, QStringLiteral("新版本启动失败，可以试试手动下载"));
        return;
    }
    endProgram();
}

void UpdateWindow::updateFailed() {
    updateFailed(kCaptionError, QStringLiteral("下载失败，请重试。可以试试手动下载"));
}

void UpdateWindow::updateFailed(const QString& caption, const QString& text) {
    lock_.reset();
    context_.notices->warn(caption, text);
    c_.status->setText(QStringLiteral("自动更新失败"));
    c_.update->setEnabled(true);
    c_.cancel->setEnabled(true);
}

void UpdateWindow::onCancelClicked() {
    if (onCloseQuery()) {
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
