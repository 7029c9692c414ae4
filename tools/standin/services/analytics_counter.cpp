#include <string>

#include "deploy/deploy.h"
#include "standin/services.h"

namespace arlo::standin {

void addAnalyticsCounter(Server& server) {
    // Hits are the server's request log: requestsFor(counter host, "/stat.htm").
    server.route(std::string(deploy::kCounterHost), "/stat.htm", [](const Request&) {
        Response r;
        r.headers.push_back({"Content-Type", "application/javascript"});
        r.body = "/* counted */\n";
        return r;
    });
}

}  // namespace arlo::standin
