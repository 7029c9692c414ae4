#include "preview/slide_preview_loader.h"

#include <pthread.h>

#include <optional>

#include "pictures/work_apart.h"
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
        // Cut apart: a stopped load leaves a sheet that is slow to decode behind. The frames go
        // with the sheet and come back with it.
        struct Cut {
            bool ok = false;
            std::vector<pictures::Frame> frames;
            pictures::SheetCut sheet;
        };
        std::optional<Cut> cut = pictures::computeApart<Cut>(
            [cutSheet = sources.cutSheet, bytes = std::move(sheet), expected = result.expected,
             frames = std::move(result.frames)]() mutable {
                Cut c{false, std::move(frames), {}};
                c.ok = cutSheet(bytes, expected, c.frames, c.sheet);
                return c;
            },
            stopped);
        if (!cut) {
            break;
        }
        result.frames = std::move(cut->frames);
        if (!cut->ok) {
            break;
        }
        result.sheetWidth = cut->sheet.width;
        result.sheetHeight = cut->sheet.height;
        wanted = cut->sheet.moreWanted;
    }
    result.succeeded = !stopped() && previewSucceeded(result.frames.size(), result.expected);
    return result;
}

SerialLoads::SerialLoads(std::mutex& lock) : lock_(lock) {}

SerialLoads::~SerialLoads() {
    stop();
}

void SerialLoads::start(Load load) {
    std::unique_lock guard(mutex_);
    if (stopping_) {
        return;
    }
    // The newest choice is the only one wanted: a waiting load is replaced, a running one
    // called off instead of being waited for.
    waiting_ = std::move(load);
    if (running_) {
        running_->callOff();
    }
    if (working_) {
        return;  // the worker takes the new load when the old one has ended
    }
    std::thread ended = takeEndedWorker(guard);
    working_ = true;
    worker_ = std::thread([this] { work(); });
    guard.unlock();
    if (ended.joinable()) {
        ended.join();  // it has left work() already
    }
}

void SerialLoads::work() {
    // Named, so that a look at the process's threads tells the loads' workers apart.
    ::pthread_setname_np(::pthread_self(), kSerialLoadsThreadName);
    std::unique_lock guard(mutex_);
    while (waiting_ && !stopping_) {
        Load load = std::move(waiting_);
        waiting_ = nullptr;
        auto run = std::make_shared<Run>();
        running_ = run;
        guard.unlock();
        {
            std::lock_guard shared(lock_);
            // Called off while it waited for the lock: the newer load runs instead.
            if (!run->stopping.load()) {
                // Every request of the load, whatever scopes it opens itself, ends with it.
                const net::CancelScope scope(run->requests);
                load(run->stopping);
                ++completedRuns_;
            }
        }
        guard.lock();
        running_.reset();
    }
    waiting_ = nullptr;
    working_ = false;
    idle_.notify_all();
}

std::thread SerialLoads::takeEndedWorker(std::unique_lock<std::mutex>& guard) {
    idle_.wait(guard, [this] { return !working_; });
    return std::move(worker_);
}

void SerialLoads::waitIdle() {
    std::unique_lock guard(mutex_);
    std::thread ended = takeEndedWorker(guard);
    guard.unlock();
    if (ended.joinable()) {
        ended.join();
    }
}

void SerialLoads::stop() {
    std::unique_lock guard(mutex_);
    stopping_ = true;
    waiting_ = nullptr;
    if (running_) {
        running_->callOff();
    }
    std::thread ended = takeEndedWorker(guard);
    guard.unlock();
    if (ended.joinable()) {
        ended.join();
    }
}

}  // namespace arlo::preview
