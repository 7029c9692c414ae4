#include "preview/slide_preview_loader.h"

#include "net/cancel.h"
#include "preview/slide_preview.h"

namespace arlo::preview {

void PreviewSelection::set(std::string thumbnailUrl, std::string previewCode) {
    std::lock_guard lock(mutex_);
    thumbnailUrl_ = std::move(thumbnailUrl);
    previewCode_ = std::move(previewCode);
    ++number_;
}

void PreviewSelection::supersede() {
    std::lock_guard lock(mutex_);
    ++number_;
}

PreviewSelection::Choice PreviewSelection::current() const {
    std::lock_guard lock(mutex_);
    return {thumbnailUrl_, previewCode_, number_.load()};
}

std::string PreviewSelection::thumbnailUrl() const {
    std::lock_guard lock(mutex_);
    return thumbnailUrl_;
}

std::string PreviewSelection::previewCode() const {
    std::lock_guard lock(mutex_);
    return previewCode_;
}

SlidePreview loadSlidePreview(std::string_view code, const PreviewHosts& hosts,
                              const PreviewSources& sources, const std::function<bool()>& stop) {
    auto stopped = [&stop] { return stop && stop(); };
    SlidePreview result;
    const ShowInfo show = parseShowPage(sources.fetchPageUtf8(hosts.web + showPagePath(code)));
    result.duration = show.duration;
    result.expected = expectedFrameCount(show.duration);
    bool wanted = true;
    for (int k = 0; k < kMaxSheets && wanted && !stopped(); ++k) {
        std::string sheet = sources.fetchPage(hosts.pictures + spriteSheetPath(show.showId, k));
        ++result.sheetsFetched;
        if (stopped()) {
            break;
        }
        // Decoded here: a sheet's decode is bounded by its format and header checks.
        pictures::SheetCut cut;
        if (!sources.cutSheet(sheet, result.expected, result.frames, cut)) {
            break;
        }
        result.sheetWidth = cut.width;
        result.sheetHeight = cut.height;
        wanted = cut.moreWanted;
    }
    result.succeeded = !stopped() && previewSucceeded(result.frames.size(), result.expected);
    return result;
}

void SerialLoads::start(Load load) {
    worker_.replace([this, load = std::move(load)](const base::StopSignal& stop) {
        const std::lock_guard shared(lock_);
        // Called off while it waited for the lock: the newer load runs instead.
        if (stop.stopped()) {
            return;
        }
        // Every request of the load, whatever scopes it opens itself, ends with it.
        net::RequestCancel requests;
        const base::StopSignal::Hook cut = stop.onStop([&requests] { requests.cancel(); });
        const net::CancelScope scope(requests);
        load(stop.flag());
        ++completedRuns_;
    });
}

}  // namespace arlo::preview
