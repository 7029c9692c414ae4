#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QUrl>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "base/serial_worker.h"
#include "online/version_check.h"
#include "ui/app_context.h"

class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTimer;

namespace arlo::online {
class UpdateLock;
struct ProgressView;
struct UpdateFailure;
}  // namespace arlo::online

namespace arlo::ui {

class HyperlinkLabel;
class Label;

// The Update window: release notes of the newer version, the download's progress and the
// buttons to update or not. The update runs as one flow (online::runUpdate) on the window's
// worker; the window shows its reports and its outcome. 取消 and the close box stay usable while
// they run and end them. However the window ends (the update done, cancelled, closed, the
// manual download opened in a browser), it finishes, and whoever opened it ends the program
// then.
class UpdateWindow final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(UpdateWindow)

public:
    struct Controls {
        Label* latestVersion = nullptr;            // 标签4
        HyperlinkLabel* manualDownload = nullptr;  // 超级链接框1
        QPlainTextEdit* releaseNotes = nullptr;    // 编辑框1
        QProgressBar* progress = nullptr;          // 进度条1
        Label* percentage = nullptr;               // 透明标签1
        Label* status = nullptr;                   // 标签2
        Label* statusVersion = nullptr;            // 标签5
        QPushButton* update = nullptr;             // 按钮1
        QPushButton* cancel = nullptr;             // 按钮2
        QTimer* timer = nullptr;                   // 时钟1
    };

    // Where the update goes and how the window reaches outside the program.
    struct Environment {
        // The executable that is replaced and then started; the running one by default.
        QString executablePath;
        // Opens an address in the user's browser, true when that worked; QDesktopServices by
        // default.
        std::function<bool(const QUrl&)> openUrl;
        // Base64 Ed25519 key that the downloaded file's signature must match; the build's.
        std::string signingKey;
        // Pauses between download attempts.
        std::vector<std::chrono::milliseconds> pauses;
    };

    // `version` is what the version check found: the versions, notes and download address.
    explicit UpdateWindow(AppContext& context, online::VersionState version = {},
                          QWidget* parent = nullptr);
    ~UpdateWindow() override;

    Environment& environment() { return environment_; }

    const Controls& controls() const { return c_; }
    AppContext& context() { return context_; }
    const online::VersionState& version() const { return version_; }

public slots:
    // Once, when the window is first shown.
    void onCreated();
    // Asked before the window closes, however it is closed; false keeps it open.
    bool onCloseQuery();
    // The window is closing for good.
    void onClosing();
    void onManualDownloadPressed();
    void onUpdateClicked();
    void onCancelClicked();
    // A download progress report: bytes so far, milliseconds since the download began.
    void onProgress(std::int64_t done, std::int64_t elapsedMs);
    // Every second of a download: the progress line again, counting the time since the last
    // bytes came.
    void onTimer();

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    // The flow's reports and outcome.
    void onSized(std::int64_t totalBytes);
    void onDownloaded();
    void onFailed(const online::UpdateFailure& failure);
    void updateFailed(const QString& caption, const QString& text);
    void updateFailed();
    // An empty bar, no percentage and no report yet: how every attempt starts.
    void resetProgress();
    void showProgress(const online::ProgressView& view);
    // Finishes the window without asking.
    void endProgram();
    std::string runDirectory() const;

    AppContext& context_;
    online::VersionState version_;
    Controls c_;
    Environment environment_;
    // Held from the Update button until the update fails or the window goes; the flow on the
    // worker uses it meanwhile.
    std::unique_ptr<online::UpdateLock> lock_;
    bool created_ = false;
    bool ending_ = false;
    bool closed_ = false;
    bool completed_ = false;
    std::int64_t totalBytes_ = 0;
    std::string totalSizeText_;
    // The latest progress report of this attempt (done < 0: none yet), and the time since
    // its bytes came.
    std::int64_t lastDone_ = -1;
    std::int64_t lastElapsedMs_ = 0;
    QElapsedTimer quiet_;
    // The update's steps: called off when the window closes, joined when it goes.
    base::SerialWorker worker_{"arlo-update"};
};

}  // namespace arlo::ui
