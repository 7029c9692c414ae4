#pragma once

#include <QObject>
#include <QPoint>
#include <string>
#include <vector>

#include "net/cancel.h"
#include "preview/slide_preview_loader.h"
#include "ui/app_context.h"
#include "ui/episode_panel.h"

namespace arlo::ui {

// The slide-preview load's network and picture decoding as the program uses them: the page
// fetcher, and sprite sheets decoded by Qt's codecs.
preview::PreviewSources networkPreviewSources();

// The episode panel's pictures: the chosen episode's cover and the slide preview under it.
// Both loaders run on worker threads, one load of each kind at a time (the context's
// thumbnail and preview locks); they never touch a widget but post each visible change to
// this object, which shows it only while no other episode has been chosen since the load read
// its inputs. The slider and popup handlers run on the user-interface thread.
class PreviewController final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PreviewController)

public:
    // The hosts default to the deployment's PPTV web and preview-picture hosts.
    PreviewController(AppContext& context, EpisodePanel& panel, QObject* parent = nullptr);
    PreviewController(AppContext& context, EpisodePanel& panel, preview::PreviewHosts hosts,
                      QObject* parent = nullptr);
    ~PreviewController() override;

    // The episode the next loads show: its cover address and PPTV show code. Call before
    // starting the loaders. What loads started before would show is stale from now on.
    void setSelection(const QString& thumbnailUrl, const QString& previewCode);
    // An episode without previews was chosen: loads under way are stale, and end.
    void chooseWithoutPreviews();
    // Each starts one load on a new worker thread; loads of one kind run one after another.
    void startThumbnailLoader();
    void startPreviewLoader();

    // Mouse moved over the preview slider (进度条1) and over the popup picture (画板3).
    void onSliderMouseMove(QPoint globalPos);
    void onPopupMouseMove(QPoint globalPos);

    // Frames of the last load, decoded; frame d at index d - 1.
    const std::vector<pictures::Frame>& previewFrames() const { return frames_; }
    bool previewReady() const { return ready_; }

    // Waits for every load started so far (their results are then posted, not yet shown).
    void waitForLoads();
    // Ends the loads: running ones stop at once, their requests cut off whatever the network
    // does and a picture being decoded left to its own thread; later starts are ignored.
    void stop();

signals:
    // After a thumbnail load's picture is shown.
    void thumbnailShown();
    // After a slide-preview load's result is shown.
    void previewFinished(bool succeeded);

private:
    const EpisodePanel::Controls& c() const { return panel_.controls(); }
    void post(std::function<void()> update);
    void runThumbnailLoad(const std::atomic<bool>& stopping);
    void runPreviewLoad(const std::atomic<bool>& stopping);
    // Posts `update` to run only if the choice numbered `choice` is still the latest then.
    void postIfCurrent(unsigned long choice, std::function<void()> update);
    void showLoading();
    void showPreview(preview::SlidePreview result);
    void showPopup(bool visible);
    void showFrame(int d);
    void releaseCapture();

    AppContext& context_;
    EpisodePanel& panel_;
    const preview::PreviewHosts hosts_;
    preview::PreviewSources sources_;
    preview::PreviewSelection selection_;
    // PreviewFrames and PreviewReady: user-interface thread only.
    std::vector<pictures::Frame> frames_;
    bool ready_ = false;
    int shownFrame_ = 0;
    // Thrown by stop(): cuts the loads' requests off.
    net::RequestCancel closing_;
    // Declared last: destroyed (and joined) first, while everything above still exists.
    preview::SerialLoads thumbnailLoads_;
    preview::SerialLoads previewLoads_;
};

}  // namespace arlo::ui
