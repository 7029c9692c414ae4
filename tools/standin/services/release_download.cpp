#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

#include "deploy/deploy.h"
#include "standin/picture_canvas.h"
#include "standin/services.h"

namespace arlo::standin {
namespace {

struct DownloadState {
    std::mutex mutex;
    ReleaseDownload download;
    int faultsServed = 0;
    bool firstDownloadSeen = false;
    bool heldReleased = false;
    std::condition_variable released;
};

std::mutex registryMutex;
std::map<const Server*, std::weak_ptr<DownloadState>>& registry() {
    static std::map<const Server*, std::weak_ptr<DownloadState>> states;
    return states;
}

std::string htmlErrorPage() {
    std::string page =
        "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>文件不存在</title></head>\n"
        "<body><h1>文件不存在或已被删除</h1>\n";
    // Long enough to pass for a file in a size probe.
    while (page.size() < 4000) {
        page += "<p>请返回空间首页，查看其他文件。</p>\n";
    }
    return page + "</body></html>\n";
}

Response answer(const Request& request, const ReleaseDownload& download, DownloadFault fault) {
    const bool head = request.method == "HEAD";
    const std::string& file = download.executable;
    Response r;
    if (file.empty()) {
        r.status = 404;
        r.body = "no release file\n";
        return r;
    }
    r.headers.push_back({"Content-Type", "application/octet-stream"});
    switch (fault) {
        case DownloadFault::None:
            break;
        case DownloadFault::NotFound:
            r.status = 404;
            r.body = head ? "" : "not found\n";
            return r;
        case DownloadFault::NoLength: {
            const std::string headerBlock =
                "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n"
                "Connection: close\r\n\r\n";
            r.raw = head ? headerBlock : headerBlock + file;
            return r;
        }
        case DownloadFault::Size999:
            r.contentLength = 999;
            r.body = head ? std::string() : file.substr(0, 999);
            return r;
        case DownloadFault::CutShort:
            r.contentLength = file.size();
            r.body = head ? std::string() : file.substr(0, file.size() / 2);
            return r;
        case DownloadFault::HtmlPage: {
            const std::string page = htmlErrorPage();
            r.headers = {{"Content-Type", "text/html; charset=utf-8"}};
            r.contentLength = page.size();
            r.body = head ? std::string() : page;
            return r;
        }
        case DownloadFault::Stall:
            r.contentLength = file.size();
            if (!head) {
                r.body = file.substr(0, file.size() / 3);
                r.hangAfterSending = true;
            }
            return r;
    }
    r.contentLength = file.size();
    r.body = head ? std::string() : file;
    return r;
}

}  // namespace

void addReleaseDownload(Server& server) {
    auto state = std::make_shared<DownloadState>();
    {
        const std::lock_guard lock(registryMutex);
        registry()[&server] = state;
    }
    const std::string prefix = "/down/" + std::string(deploy::kDownloadDirectoryId) + "/*";
    server.route(hostOf(deploy::kHostingEndpointPrefix), prefix, [state](const Request& request) {
        std::unique_lock lock(state->mutex);
        const ReleaseDownload& download = state->download;
        if (request.method != "HEAD" && !std::exchange(state->firstDownloadSeen, true) &&
            download.holdFirstDownload) {
            state->released.wait_for(lock, std::chrono::seconds(10),
                                     [&state] { return state->heldReleased; });
        }
        DownloadFault fault = DownloadFault::None;
        // A size probe sees the fault too, unless only the download itself is to fail.
        const bool faultApplies = request.method != "HEAD" || !download.probeAnswersNormally;
        if (download.fault != DownloadFault::None && faultApplies &&
            (download.faultyAnswers < 0 || state->faultsServed < download.faultyAnswers)) {
            fault = download.fault;
            if (request.method != "HEAD") {
                ++state->faultsServed;
            }
        }
        return answer(request, download, fault);
    });
}

void setReleaseDownload(Server& server, ReleaseDownload download) {
    std::shared_ptr<DownloadState> state;
    {
        const std::lock_guard lock(registryMutex);
        const auto found = registry().find(&server);
        if (found != registry().end()) {
            state = found->second.lock();
        }
    }
    if (state) {
        const std::lock_guard lock(state->mutex);
        state->download = std::move(download);
        state->faultsServed = 0;
        state->firstDownloadSeen = false;
        state->heldReleased = false;
    }
}

void releaseHeldDownload(Server& server) {
    const std::lock_guard registryLock(registryMutex);
    const auto found = registry().find(&server);
    if (const auto state = found == registry().end() ? nullptr : found->second.lock()) {
        {
            const std::lock_guard lock(state->mutex);
            state->heldReleased = true;
        }
        state->released.notify_all();
    }
}

}  // namespace arlo::standin
