#include "online/usage_ping.h"

#include <string>

#include "deploy/deploy.h"
#include "net/page_fetcher.h"

namespace arlo::online {

bool sendUsagePing() {
    const std::string url = std::string(deploy::kCounterScheme) +
                            std::string(deploy::kCounterHost) +
                            "/stat.htm?id=" + std::string(deploy::kCounterSiteId);
    // The counter attributes the hit by its Referer; the fetcher adds no Referer of its own
    // when the block has one. No spaces after the colons: this is what the counter gets.
    const net::PageResult hit = net::Fetch({
        .url = url,
        .headers = "Host:" + std::string(deploy::kCounterHost) +
                   "\r\nReferer:" + std::string(deploy::kHostingSpaceHome),
    });
    // Counted only when the counter's whole answer arrived and says so: some header lines,
    // or an error status, are no hit.
    return hit.complete && hit.status >= 200 && hit.status < 300;
}

}  // namespace arlo::online
