#include "preview/slide_preview_loader.h"

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
        const std::string sheet =
            sources.fetchPage(hosts.pictures + spriteSheetPath(show.showId, k));
        ++result.sheetsFetched;
        pictures::SheetCut cut;
        if (stopped() || !sources.cutSheet(sheet, result.expected, result.frames, cut)) {
            break;
        }
        result.sheetWidth = cut.width;
        result.sheetHeight = cut.height;
        wanted = cut.moreWanted;
    }
    result.succeeded = !stopped() && previewSucceeded(result.frames.size(), result.expected);
    return result;
}

SerialLoads::SerialLoads(std::mutex& lock) : lock_(lock) {}

SerialLoads::~SerialLoads() {
    stop();
}

void SerialLoads::start(Load load) {
    std::lock_guard guard(workersMutex_);
    if (stopping_.load()) {
        return;
    }
    // Threads of loads that have ended are joined here, so they do not pile up.
    for (auto it = workers_.begin(); it != workers_.end();) {
        if (it->finished->load()) {
            it->thread.join();
            it = workers_.erase(it);
        } else {
            ++it;
        }
    }
    const unsigned long ticket = ++latest_;
    auto finished = std::make_shared<std::atomic<bool>>(false);
    std::thread thread([this, ticket, finished, load = std::move(load)] {
        {
            std::lock_guard run(lock_);
            if (ticket == latest_.load() && !stopping_.load()) {
                load(stopping_);
                ++completedRuns_;
            }
        }
        finished->store(true);
    });
    workers_.push_back({std::move(thread), std::move(finished)});
}

void SerialLoads::joinAll() {
    std::list<Worker> workers;
    {
        std::lock_guard guard(workersMutex_);
        workers.swap(workers_);
    }
    for (Worker& worker : workers) {
        worker.thread.join();
    }
}

void SerialLoads::waitIdle() {
    joinAll();
}

void SerialLoads::stop() {
    stopping_.store(true);
    joinAll();
}

}  // namespace arlo::preview
