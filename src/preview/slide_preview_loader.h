#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "base/serial_worker.h"
#include "pictures/sheet.h"

// The slide-preview and thumbnail loads without any window: what the worker threads fetch
// and compute, the inputs the episode list hands them, and the threads that run them one at
// a time.
namespace arlo::preview {

// The episode the loaders are to show: written by the user-interface thread when a row is
// chosen, read by each loader when it starts its run. Every choice is counted: a load's result
// belongs to the choice it read, and is stale (never to be shown) once another choice is made,
// whatever that choice is, including one that loads nothing.
class PreviewSelection final {
public:
    // What a load reads: the inputs and the choice they belong to.
    struct Choice {
        std::string thumbnailUrl;
        std::string previewCode;
        unsigned long number = 0;
    };

    // A row with previews was chosen.
    void set(std::string thumbnailUrl, std::string previewCode);
    // A row without previews was chosen: the inputs stay, earlier loads are stale all the same.
    void supersede();

    Choice current() const;
    std::string thumbnailUrl() const;
    std::string previewCode() const;
    // Whether no choice was made since the one numbered `number`. Any thread.
    bool isCurrent(unsigned long number) const { return number == number_.load(); }

private:
    mutable std::mutex mutex_;
    std::string thumbnailUrl_;
    std::string previewCode_;
    std::atomic<unsigned long> number_{0};
};

// Scheme and host of the PPTV web site (show pages) and of its preview pictures.
struct PreviewHosts {
    std::string web;
    std::string pictures;
};

// Cuts a sprite sheet (picture bytes) into its frames, decoding it once: appends, row by row,
// the pixels cropBmp would cut from the sheet's BMP form at each cell, and stops as soon as
// `frames` holds `wanted` entries. False when the sheet cannot be decoded.
// pictures::cutBmpSheet is the cutter for sheets that already are BMP files.
using SheetCutter =
    std::function<bool(const std::string& sheet, long wanted, std::vector<pictures::Frame>& frames,
                       pictures::SheetCut& cut)>;

// How a load reaches the network and decodes pictures; called on the loader's thread.
struct PreviewSources {
    // A GET of the address; the body, empty on failure.
    std::function<std::string(const std::string& url)> fetchPage;
    // The same for a page served in UTF-8.
    std::function<std::string(const std::string& url)> fetchPageUtf8;
    SheetCutter cutSheet;
};

struct SlidePreview {
    int duration = 0;                     // seconds, from the show page
    int expected = -1;                    // frames wanted: the slider's maximum
    std::vector<pictures::Frame> frames;  // decoded, ready to show; frame d at index d - 1
    int sheetWidth = 0;                   // pixel size of the last sheet cut, which sizes the popup
    int sheetHeight = 0;
    int sheetsFetched = 0;
    bool succeeded = false;
};

// One slide-preview load for a show code: the show page, then sprite sheets 0, 1, ... each
// decoded once and cut into its frames, until the expected number exists. A sheet that
// cannot be decoded ends the load (the frames after it would be shown at the wrong times).
// When `stop` returns true (asked between steps) the load ends early, unsuccessful.
SlidePreview loadSlidePreview(std::string_view code, const PreviewHosts& hosts,
                              const PreviewSources& sources,
                              const std::function<bool()>& stop = {});

// The name every SerialLoads worker thread carries.
inline constexpr char kSerialLoadsThreadName[] = "arlo-loads";

// Loads of one kind on a serial worker, each holding `lock` for its whole run. Only the newest
// load is wanted: a start replaces a load that is still waiting and calls off the one that
// runs, whose `stopping` turns true and whose requests (made on the worker thread) end at
// once, whatever the network does. So however fast starts come, and however long a server
// keeps a request waiting, one thread runs the loads and the newest one begins as soon as the
// older one has given way. stop() and the destructor join the thread.
class SerialLoads final {
public:
    using Load = std::function<void(const std::atomic<bool>& stopping)>;

    explicit SerialLoads(std::mutex& lock) : lock_(lock) {}
    SerialLoads(const SerialLoads&) = delete;
    SerialLoads& operator=(const SerialLoads&) = delete;

    // Ignored once stop() was called.
    void start(Load load);
    // Waits until the newest load started so far has run.
    void waitIdle() { worker_.waitIdle(); }
    // Calls the running load off, drops a waiting one and waits for the thread.
    void stop() { worker_.stop(); }
    // Loads that ran (were not replaced before they began), for tests and benchmarks.
    long completedRuns() const { return completedRuns_.load(); }

private:
    std::mutex& lock_;
    std::atomic<long> completedRuns_{0};
    base::SerialWorker worker_{kSerialLoadsThreadName};  // last: joined before the rest goes
};

}  // namespace arlo::preview
