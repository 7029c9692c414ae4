#pragma once

#include <QObject>
#include <QPoint>
#include <string>
#include <vector>

#include "ui/app_context.h"
#include "ui/main_window.h"
#include "ui/preview/slide_preview_loader.h"

namespace arlo::ui {

// The slide-preview load's network and picture decoding as the program uses them: the page
// fetcher, and convertImage to BMP.
preview::PreviewSources networkPreviewSources();

// The episode panel's pictures: the chosen episode's cover and the slide preview under it.
// Both loaders run on worker threads, one load of each kind at a time (the context's
// thumbnail and preview locks); they never touch a widget but post each visible change to
// this object. The slider and popup handlers run on the user-interface thread.
class PreviewController final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PreviewController)

public:
    // The hosts default to the deployment's PPTV web and preview-picture hosts.
    PreviewController(AppContext& context, const MainWindow::Controls& controls,
                      QObject* parent = nullptr);
    PreviewController(AppContext& context, const MainWindow::Controls& controls,
                      preview::PreviewHosts hosts, QObject* parent = nullptr);
    ~PreviewController() override;

    // The episode the next loads show: its cover address and PPTV show code. Call before
    // starting the loaders.
    void setSelection(const QString& thumbnailUrl, const QString& previewCode);
    // Each starts one load on a new worker thread; loads of one kind run one after another.
    void startThumbnailLoader();
    void startPreviewLoader();

    // Mouse moved over the preview slider (进度条1) and over the popup picture (画板3).
    void onSliderMouseMove(QPoint globalPos);
    void onPopupMouseMove(QPoint globalPos);

    // Frames of the last load, each a complete BMP file; frame d at index d - 1.
    const std::vector<std::string>& previewFrames() const { return frames_; }
    bool previewReady() const { return ready_; }

    // Waits for every load started so far (their results are then posted, not yet shown).
    void waitForLoads();
    // Ends the loads: running ones stop at their next step, later starts are ignored.
    void stop();

signals:
    // After a thumbnail load's picture is shown.
    void thumbnailShown();
    // After a slide-preview load's result is shown.
    void previewFinished(bool succeeded);

private:
    void post(std::function<void()> update);
    void runThumbnailLoad(const std::atomic<bool>& stopping);
    void runPreviewLoad(const std::atomic<bool>& stopping);
    void showLoading();
    void showPreview(preview::SlidePreview result);
    void showPopup(bool visible);
    void showFrame(int d);
    void releaseCapture();

    AppContext& context_;
    const MainWindow::Controls& c_;
    const preview::PreviewHosts hosts_;
    preview::PreviewSources sources_;
    preview::PreviewSelection selection_;
    // PreviewFrames and PreviewReady: user-interface thread only.
    std::vector<std::string> frames_;
    bool ready_ = false;
    int shownFrame_ = 0;
    // Declared last: destroyed (and joined) first, while everything above still exists.
    preview::SerialLoads thumbnailLoads_;
    preview::SerialLoads previewLoads_;
};

}  // namespace arlo::ui
