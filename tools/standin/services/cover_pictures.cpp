#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

#include "catalogue/catalogue.h"
#include "deploy/deploy.h"
#include "standin/crafted_pictures.h"
#include "standin/picture_canvas.h"
#include "standin/services.h"

namespace arlo::standin {
namespace {

// The thumbnail of episode n: a 160 x 90 picture in the episode's colour with its number.
std::string drawCover(long episode) {
    const Rgb background = colourFor(episode * 7 + 3);
    Canvas canvas(160, 90, background);
    canvas.fillRect(0, 78, 160, 12, Rgb{0, 0, 0});
    canvas.drawNumber(0, 0, 160, 78, episode, inkOn(background));
    return canvas.jpeg();
}

}  // namespace

void addCoverPictures(Server& server) {
    // Path of each catalogue thumbnail -> its episode number.
    auto episodes = std::make_shared<std::unordered_map<std::string, long>>();
    const catalogue::Catalogue& catalogue = catalogue::Catalogue::builtIn();
    const std::string host = hostOf(deploy::kCoverHost);
    for (int n = 1; n <= catalogue.count(catalogue::List::MandarinThumbnailUrls); ++n) {
        // The address follows the first dash: a host name may hold dashes of its own.
        const std::string entry = catalogue.entry(catalogue::List::MandarinThumbnailUrls, n);
        const std::string url = entry.substr(entry.find('-') + 1);
        if (hostOf(url) == host) {
            const auto scheme = url.find("://");
            const auto path = url.find('/', scheme == std::string::npos ? 0 : scheme + 3);
            if (path != std::string::npos) {
                episodes->emplace(url.substr(path), n);
            }
        }
    }
    server.route(host, "/*", [episodes](const Request& request) {
        Response r;
        constexpr std::string_view kCrafted = "/crafted/";
        if (request.path.starts_with(kCrafted)) {
            r.body = craftedPicture(std::string_view(request.path).substr(kCrafted.size()));
            if (!r.body.empty()) {
                r.headers.push_back({"Content-Type", "image/jpeg"});
                return r;
            }
        }
        const auto found = episodes->find(request.path);
        if (found == episodes->end()) {
            r.status = 404;
            r.headers.push_back({"Content-Type", "text/html"});
            r.body = "<html><body>404 Not Found</body></html>";
            return r;
        }
        r.headers.push_back({"Content-Type", "image/jpeg"});
        r.body = drawCover(found->second);
        return r;
    });
}

}  // namespace arlo::standin
