#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "deploy/deploy.h"
#include "standin/picture_canvas.h"
#include "standin/services.h"
#include "standin/services/hosting_pages.h"

namespace arlo::standin {
namespace {

// What one server's update notice and hosting space hold, and the sessions its endpoint
// handed out.
struct HostingSpace {
    std::mutex mutex;
    ReleaseOffer offer;
    std::string token;
    std::set<std::string> sessions;
    Handler formHandler;  // the endpoint's other forms (the guestbook's)
    std::mt19937_64 random{std::random_device{}()};

    std::string randomHex(int digits) {
        static constexpr char kDigits[] = "0123456789abcdef";
        std::string out;
        for (int i = 0; i < digits; ++i) {
            out += kDigits[random() % 16];
        }
        return out;
    }
};

std::mutex registryMutex;
std::map<const Server*, std::weak_ptr<HostingSpace>>& registry() {
    static std::map<const Server*, std::weak_ptr<HostingSpace>> spaces;
    return spaces;
}

std::shared_ptr<HostingSpace> spaceOf(const Server& server) {
    const std::lock_guard lock(registryMutex);
    const auto found = registry().find(&server);
    return found == registry().end() ? nullptr : found->second.lock();
}

// The path of a full address, "/" when it has none.
std::string pathOf(std::string_view address) {
    const auto scheme = address.find("://");
    const auto slash = address.find('/', scheme == std::string_view::npos ? 0 : scheme + 3);
    return slash == std::string_view::npos ? std::string("/") : std::string(address.substr(slash));
}

// "ASP.NET_SessionId" must come back, and the space cookie with it: the session, or empty.
std::string sessionIn(const Request& request, const std::set<std::string>& sessions) {
    const std::string cookies = request.header("Cookie");
    for (const std::string& session : sessions) {
        if (cookies.find("ASP.NET_SessionId=" + session) != std::string::npos &&
            cookies.find("space=arlo") != std::string::npos) {
            return session;
        }
    }
    return {};
}

bool carriesSession(const Request& request, const std::set<std::string>& sessions) {
    return !sessionIn(request, sessions).empty();
}

}  // namespace

std::string updateNoticePage(std::string_view version, std::string_view notes,
                             std::string_view signature) {
    std::string page =
        "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Arlo迷 更新公告</title>"
        "</head>\n<body><h1>更新公告</h1>\n<p>版本=[" +
        std::string(version) + "];</p>\n<p>更新说明=[" + std::string(notes) + "];</p>\n";
    if (!signature.empty()) {
        page += "<p>签名=[" + std::string(signature) + "];</p>\n";
    }
    return page + "</body></html>\n";
}

std::string downloadAddressFor(std::string_view version) {
    return std::string(deploy::kHostingEndpointPrefix.substr(
               0, deploy::kHostingEndpointPrefix.find("/Ccenter.aspx"))) +
           "/down/" + std::string(deploy::kDownloadDirectoryId) + "/arlo-" + std::string(version) +
           ".exe";
}

std::string listingEntry(std::string_view version, std::string_view address) {
    return "<LI>\n  <a href='/note/fd.htm?" + std::string(address) +
           "' target='_blank'>Arlo迷.exe</a> 版本 <font>" + std::string(version) +
           "</font> 大小 1.52 MB\n</LI>\n";
}

std::string downloadListingPage(const std::vector<std::string>& entries) {
    std::string page = "<html><head><title>下载目录</title></head><body>\n<ul class=\"files\">\n";
    for (const std::string& entry : entries) {
        page += entry;
    }
    return page + "</ul>\n</body></html>\n";
}

ReleaseOffer releaseOfferFor(std::string_view version) {
    ReleaseOffer offer;
    offer.notice = updateNoticePage(
        version, "新增剧场版海报墙；修复国语版切换片源后集数错乱的问题 &amp; 其他细节");
    offer.listing = downloadListingPage({listingEntry("1.1", downloadAddressFor("1.1")),
                                         listingEntry(version, downloadAddressFor(version))});
    return offer;
}

void setReleaseOffer(Server& server, ReleaseOffer offer) {
    if (const auto space = spaceOf(server)) {
        const std::lock_guard lock(space->mutex);
        space->offer = std::move(offer);
    }
}

std::string hostingSessionOf(const Server& server, const Request& request) {
    const auto space = spaceOf(server);
    if (!space) {
        return {};
    }
    const std::lock_guard lock(space->mutex);
    return sessionIn(request, space->sessions);
}

void setHostingFormHandler(Server& server, Handler handler) {
    if (const auto space = spaceOf(server)) {
        const std::lock_guard lock(space->mutex);
        space->formHandler = std::move(handler);
    }
}

std::string hostingSpaceToken(const Server& server) {
    const auto space = spaceOf(server);
    if (!space) {
        return {};
    }
    const std::lock_guard lock(space->mutex);
    return space->token;
}

void addReleaseOffer(Server& server) {
    auto space = std::make_shared<HostingSpace>();
    space->offer = releaseOfferFor("1.1");
    space->token = "Sp" + space->randomHex(12);
    {
        const std::lock_guard lock(registryMutex);
        registry()[&server] = space;
    }

    server.route(hostOf(deploy::kUpdateNoticeAddress), pathOf(deploy::kUpdateNoticeAddress),
                 [space](const Request&) {
                     const std::lock_guard lock(space->mutex);
                     Response r;
                     if (space->offer.noticeStalls) {
                         r.silent = true;
                         r.hangAfterSending = true;
                         return r;
                     }
                     r.headers.push_back({"Content-Type", "text/html; charset=utf-8"});
                     r.body = space->offer.notice;
                     return r;
                 });

    server.route(hostOf(deploy::kHostingSpaceHome), "/", [space](const Request&) {
        const std::lock_guard lock(space->mutex);
        return hosting::gbkPage(
            "<html><head><title>Arlo迷的空间</title></head><body>\n"
            "<div id=\"menu\"><a href=\"/\">首页</a> <a href=\"" +
            std::string(deploy::kHostingEndpointPrefix) + space->token +
            "\">留言板</a></div>\n<p>欢迎光临！</p>\n</body></html>\n");
    });

    server.route(
        hostOf(deploy::kHostingEndpointPrefix), "/Ccenter.aspx", [space](const Request& request) {
            std::unique_lock lock(space->mutex);
            if (request.queryValue("z") != space->token) {
                return hosting::gbkPage("<html><body>空间不存在</body></html>", 404);
            }
            if (request.method == "GET") {
                const std::string session = space->randomHex(24);
                space->sessions.insert(session);
                Response r = hosting::gbkPage(
                    "<html><body><form method=\"post\">"
                    "</form></body></html>");
                r.headers.push_back(
                    {"Set-Cookie", "ASP.NET_SessionId=" + session + "; path=/; HttpOnly"});
                r.headers.push_back({"Set-Cookie", "space=arlo; path=/"});
                return r;
            }
            const bool listingAsked =
                request.body ==
                "Yz0=dq&Yz1=" + std::string(deploy::kDownloadDirectoryId) + "&Yz2=&Yz3=&Yz4=";
            if (request.method == "POST" && !listingAsked && space->formHandler) {
                const Handler form = space->formHandler;
                lock.unlock();
                return form(request);
            }
            if (request.method != "POST" || !listingAsked ||
                !carriesSession(request, space->sessions)) {
                return hosting::sessionExpiredPage();
            }
            return hosting::gbkPage(space->offer.listing);
        });
}

}  // namespace arlo::standin
