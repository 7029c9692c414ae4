#include "preview/slide_preview_loader.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <mutex>
#include <string>
#include <thread>

#include "net/cancel.h"
#include "net/page_fetcher.h"
#include "pictures/bmp.h"
#include "pictures/sheet.h"
#include "preview/slide_preview.h"
#include "standin/standin_environment.h"

namespace arlo::preview {
namespace {

using pictures::cropBmp;
using pictures::decodeBmp;

// Loads over real HTTP from a stand-in whose show pages and sheets the test defines. Sheets
// are served as 24-bit BMPs, so "decoding" is taking the bytes as they are.
constexpr const char* kWebHost = "pptv-web.test";
constexpr const char* kPictureHost = "pptv-pictures.test";
// The site has sheets beyond the ten a preview may take.
constexpr int kSheetsOnTheSite = 12;

// A sheet whose every pixel row carries its sheet number, row and column, so frames cut
// from different places differ.
std::string sheetBmp(int sheet, int width, int height) {
    const int row = ((width * 24 + 31) / 32) * 4;
    std::string b(54 + static_cast<std::size_t>(row) * height, '\0');
    arlo::pictures::writeBmpHeaders(b.data(), static_cast<std::uint32_t>(b.size()), 54, width,
                                    height, 24, static_cast<std::uint32_t>(b.size() - 54));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            char* p = &b[54 + static_cast<std::size_t>(y) * row + static_cast<std::size_t>(x) * 3];
            p[0] = static_cast<char>(sheet * 16 + 1);
            p[1] = static_cast<char>(y);
            p[2] = static_cast<char>(x);
        }
    }
    return b;
}

class LoaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(env_.ok());
        auto& server = env_.server();
        server.route(kWebHost, "/show/*", [this](const standin::Request& r) {
            standin::Response response;
            if (r.path == "/show/silent.html") {
                response.silent = true;
                response.hangAfterSending = true;
                return response;
            }
            const auto duration = durations_.find(r.path);
            response.body = duration == durations_.end()
                                ? "<html>no such show</html>"
                                : "<script>var c = {\"id\":42,\"title\":\"t\",\"duration\":" +
                                      std::to_string(duration->second) + ",\"x\":1};</script>";
            return response;
        });
        server.route(kPictureHost, "/0/*", [this](const standin::Request& r) {
            standin::Response response;
            for (int k = 0; k < kSheetsOnTheSite; ++k) {
                if (r.path == spriteSheetPath("42", k)) {
                    response.body = k == brokenSheet_ ? std::string("BM?") : sheetBmp(k, 1600, 900);
                    return response;
                }
            }
            response.status = 404;
            response.body = "not found";
            return response;
        });
        sources_.fetchPage = [](const std::string& url) { return net::FetchPage(url); };
        sources_.fetchPageUtf8 = [](const std::string& url) { return net::FetchPageUtf8(url); };
        sources_.cutSheet = pictures::cutBmpSheet;
    }

    int sheetsRequested(int k) {
        return static_cast<int>(
            env_.server().requestsFor(kPictureHost, spriteSheetPath("42", k)).size());
    }

    int pictureRequests() {
        int count = 0;
        for (const standin::Request& r : env_.server().requests()) {
            count += r.host() == kPictureHost ? 1 : 0;
        }
        return count;
    }

    standin::StandinEnvironment env_;
    std::map<std::string, int> durations_ = {
        {"/show/ep23.html", 1380}, {"/show/short.html", 6}, {"/show/twohours.html", 7200}};
    int brokenSheet_ = -1;
    const PreviewHosts hosts_{std::string("http://") + kWebHost,
                              std::string("http://") + kPictureHost};
    PreviewSources sources_;
};

TEST_F(LoaderTest, twentyThreeMinutesTakeThreeSheetsAndTwentyNineFramesOfTheLast) {
    const SlidePreview p = loadSlidePreview("ep23", hosts_, sources_);
    EXPECT_TRUE(p.succeeded);
    EXPECT_EQ(p.duration, 1380);
    EXPECT_EQ(p.expected, 229);
    ASSERT_EQ(p.frames.size(), 229u);
    EXPECT_EQ(p.sheetsFetched, 3);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(sheetsRequested(k), 1) << k;
    }
    EXPECT_EQ(sheetsRequested(3), 0);
    EXPECT_EQ(p.sheetWidth, 1600);
    EXPECT_EQ(p.sheetHeight, 900);
    // Frame 201 is the third sheet's first cell, frame 229 its ninth cell of the third row.
    const std::string third = sheetBmp(2, 1600, 900);
    EXPECT_EQ(p.frames[200], decodeBmp(cropBmp(third, 0, 0, 160, 90)));
    EXPECT_EQ(p.frames[228], decodeBmp(cropBmp(third, 8 * 160, 2 * 90, 160, 90)));
    EXPECT_EQ(p.frames[99], decodeBmp(cropBmp(sheetBmp(0, 1600, 900), 9 * 160, 9 * 90, 160, 90)));
}

TEST_F(LoaderTest, aShowLongerThanTenSheetsTakesTenAndFails) {
    // Two hours expect 1199 frames; ten sheets hold 1000 of them.
    const SlidePreview p = loadSlidePreview("twohours", hosts_, sources_);
    EXPECT_EQ(p.expected, 1199);
    EXPECT_EQ(p.sheetsFetched, 10);
    for (int k = 0; k < 10; ++k) {
        EXPECT_EQ(sheetsRequested(k), 1) << k;
    }
    EXPECT_EQ(pictureRequests(), 10);
    EXPECT_EQ(p.frames.size(), 1000u);
    EXPECT_FALSE(p.succeeded);
}

TEST_F(LoaderTest, showsTooShortOrMissingFail) {
    // Six seconds expect no frame at all: one is taken from the first sheet, and that is one
    // too many.
    const SlidePreview shortShow = loadSlidePreview("short", hosts_, sources_);
    EXPECT_FALSE(shortShow.succeeded);
    EXPECT_EQ(shortShow.expected, 0);
    EXPECT_EQ(shortShow.frames.size(), 1u);
    EXPECT_EQ(shortShow.sheetsFetched, 1);

    // A page without the fields: duration 0, nothing to cut.
    const SlidePreview missing = loadSlidePreview("gone", hosts_, sources_);
    EXPECT_FALSE(missing.succeeded);
    EXPECT_EQ(missing.expected, -1);
    EXPECT_TRUE(missing.frames.empty());
}

TEST_F(LoaderTest, anUndecodableSheetEndsTheLoadInsteadOfShiftingLaterFrames) {
    brokenSheet_ = 1;
    const SlidePreview p = loadSlidePreview("ep23", hosts_, sources_);
    EXPECT_FALSE(p.succeeded);
    EXPECT_EQ(p.frames.size(), 100u);
    EXPECT_EQ(sheetsRequested(2), 0);
}

TEST_F(LoaderTest, aStoppedLoadFetchesNoFurtherSheet) {
    std::atomic<bool> stop{false};
    PreviewSources stopping = sources_;
    stopping.fetchPage = [&](const std::string& url) {
        stop = true;
        return net::FetchPage(url);
    };
    const SlidePreview p = loadSlidePreview("ep23", hosts_, stopping, [&] { return stop.load(); });
    EXPECT_FALSE(p.succeeded);
    EXPECT_EQ(sheetsRequested(0), 1);
    EXPECT_EQ(sheetsRequested(1), 0);
}

// A load belongs to the choice it read: any later choice, one without previews included,
// makes it stale, and a stale load gives up even a request the network never answers.
TEST_F(LoaderTest, aLaterChoiceEndsALoadWaitingOnTheNetwork) {
    std::mutex lock;
    PreviewSelection selection;
    net::RequestCancel closing;
    std::atomic<bool> ended{false};
    SlidePreview result;
    selection.set("cover", "silent");
    {
        SerialLoads loads(lock);
        loads.start([&](const std::atomic<bool>& stopping) {
            const PreviewSelection::Choice choice = selection.current();
            const auto stale = [&] {
                return stopping.load() || !selection.isCurrent(choice.number);
            };
            const net::CancelScope scope(closing, stale);
            result = loadSlidePreview(choice.previewCode, hosts_, sources_, stale);
            ended = true;
        });
        ASSERT_TRUE(env_.server().waitForRequests(1, std::chrono::milliseconds(10000)));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EXPECT_FALSE(ended.load());
        const unsigned long before = selection.current().number;
        EXPECT_TRUE(selection.isCurrent(before));
        selection.supersede();
        EXPECT_FALSE(selection.isCurrent(before));
        EXPECT_EQ(selection.current().previewCode, "silent");
        const auto start = std::chrono::steady_clock::now();
        loads.waitIdle();
        // Well within the 30 s that the network alone would take to give up.
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    }
    EXPECT_TRUE(ended.load());
    EXPECT_FALSE(result.succeeded);
    EXPECT_EQ(result.sheetsFetched, 0);
    EXPECT_FALSE(closing.cancelled());
}

// Threads of this process that are not the stand-in's (its connection threads name
// themselves "arlo-standin").
// The loads' worker threads alive now. Other threads (libcurl's resolvers, decodes left
// behind) come and go with the machine's load and are not the loads' to bound.
int loadWorkers() {
    int count = 0;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream comm(task.path() / "comm");
        std::string name;
        std::getline(comm, name);
        count += name == kSerialLoadsThreadName ? 1 : 0;
    }
    return count;
}

// Quick clicks on episodes whose server stalls, as the episode panel makes them: each click
// starts a cover load and a slide-preview load. A newer choice calls the older loads off
// instead of queueing behind them, and each kind of load has one worker thread at a time,
// whatever the network does.
TEST_F(LoaderTest, choicesWhileTheServerStallsKeepTheThreadsBounded) {
    std::mutex coverLock;
    std::mutex previewLock;
    PreviewSelection selection;
    net::RequestCancel closing;
    const std::string stalling = std::string("http://") + kWebHost + "/show/silent.html";
    int most = 0;
    std::atomic<int> coversEnded{0};
    {
        SerialLoads covers(coverLock);
        SerialLoads previews(previewLock);
        auto load = [&](bool cover) {
            return [&, cover](const std::atomic<bool>& stopping) {
                const PreviewSelection::Choice choice = selection.current();
                const auto stale = [&] {
                    return stopping.load() || !selection.isCurrent(choice.number);
                };
                const net::CancelScope scope(closing, stale);
                if (cover) {
                    net::FetchPage(choice.thumbnailUrl);
                    ++coversEnded;
                } else {
                    loadSlidePreview(choice.previewCode, hosts_, sources_, stale);
                }
            };
        };
        for (int click = 0; click < 60; ++click) {
            selection.set(stalling, "silent");
            covers.start(load(true));
            previews.start(load(false));
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            most = std::max(most, loadWorkers());
        }
        std::cout << "[ figures  ] load workers during 60 clicks against a stalling server: "
                  << "at most " << most << std::endl;
        // The last choice's loads are still waiting on the network: closing ends them.
        closing.cancel();
    }
    EXPECT_GE(most, 1);
    EXPECT_LE(most, 2);
    EXPECT_GE(coversEnded.load(), 1);
}

// The worker itself calls an older load off: its requests end at once, even when the load
// opened no scope of its own, and the newer load runs right after.
TEST_F(LoaderTest, aNewerStartCallsTheRunningLoadOffAndCutsItsRequests) {
    std::mutex lock;
    std::atomic<bool> firstEnded{false};
    std::atomic<bool> sawStopping{false};
    std::atomic<bool> secondRan{false};
    SerialLoads loads(lock);
    loads.start([&](const std::atomic<bool>& stopping) {
        EXPECT_TRUE(
            net::FetchPage(std::string("http://") + kWebHost + "/show/silent.html").empty());
        sawStopping = stopping.load();
        firstEnded = true;
    });
    ASSERT_TRUE(env_.server().waitForRequests(1, std::chrono::milliseconds(10000)));
    const auto start = std::chrono::steady_clock::now();
    loads.start([&](const std::atomic<bool>&) { secondRan = true; });
    loads.waitIdle();
    // Well within the 30 s that the network alone would take to give up.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_TRUE(firstEnded.load());
    EXPECT_TRUE(sawStopping.load());
    EXPECT_TRUE(secondRan.load());
    EXPECT_EQ(loads.completedRuns(), 2);
}

// The threads: loads of one kind run one at a time under their lock, read the latest
// selection when they get it, and the last request decides what is shown.
TEST(SerialLoadsTest, quickRequestsEndWithTheLastSelectionAndNeverOverlap) {
    std::mutex lock;
    PreviewSelection selection;
    std::atomic<int> running{0};
    std::atomic<bool> overlapped{false};
    std::mutex shownMutex;
    std::vector<std::string> shown;
    {
        SerialLoads loads(lock);
        for (int n = 1; n <= 20; ++n) {
            selection.set("cover" + std::to_string(n), "code" + std::to_string(n));
            loads.start([&](const std::atomic<bool>&) {
                if (running.fetch_add(1) != 0) {
                    overlapped = true;
                }
                const std::string code = selection.previewCode();
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
                {
                    std::lock_guard g(shownMutex);
                    shown.push_back(code);
                }
                running.fetch_sub(1);
            });
        }
        loads.waitIdle();
        EXPECT_GE(loads.completedRuns(), 1);
        EXPECT_LE(loads.completedRuns(), 20);
    }
    EXPECT_FALSE(overlapped);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back(), "code20");
}

TEST(SerialLoadsTest, stoppingEndsARunningLoadAndIgnoresLaterStarts) {
    std::mutex lock;
    std::atomic<bool> started{false};
    std::atomic<bool> sawStop{false};
    std::atomic<int> laterRuns{0};
    {
        SerialLoads loads(lock);
        loads.start([&](const std::atomic<bool>& stopping) {
            started = true;
            while (!stopping.load()) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            sawStop = true;
        });
        while (!started.load()) {
            std::this_thread::yield();
        }
        loads.stop();
        loads.start([&](const std::atomic<bool>&) { ++laterRuns; });
    }
    EXPECT_TRUE(sawStop);
    EXPECT_EQ(laterRuns.load(), 0);
}

TEST(SerialLoadsTest, aLoadWaitsForTheLockItShares) {
    std::mutex lock;
    std::atomic<bool> ran{false};
    SerialLoads loads(lock);
    {
        std::lock_guard held(lock);
        loads.start([&](const std::atomic<bool>&) { ran = true; });
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_FALSE(ran.load());
    }
    loads.waitIdle();
    EXPECT_TRUE(ran.load());
}

}  // namespace
}  // namespace arlo::preview
