#pragma once

#include <QDialog>

#include "online/version_check.h"
#include "ui/app_context.h"

class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTimer;

namespace arlo::ui {

class HyperlinkLabel;
class Label;

// The Update window: release notes of the newer version, the download's progress and the
// buttons to update or not.
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

    // `version` is what the version check found: the versions, notes and download address.
    explicit UpdateWindow(AppContext& context, online::VersionState version = {},
                          QWidget* parent = nullptr);

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

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    AppContext& context_;
    online::VersionState version_;
    Controls c_;
    bool created_ = false;
};

}  // namespace arlo::ui
