#include "online/hosting_space.h"

#include "deploy/deploy.h"
#include "net/page_fetcher.h"
#include "text/markers.h"

namespace arlo::online {

std::string HostingSession::endpoint() const {
    return std::string(deploy::kHostingEndpointPrefix) + token;
}

HostingSession openHostingSession(const StopFlag* stop) {
    HostingSession session;
    // The hosting service writes its pages in GBK.
    const std::string home = net::FetchPageText(deploy::kHostingSpaceHome);
    session.token = text::textBetween(home, "Ccenter.aspx?z=", "\"");
    if (isStopped(stop)) {
        return session;
    }
    // The cookies of the endpoint's first answer are the session; its body is not used.
    session.cookieJar = net::Fetch({.url = session.endpoint()}).returnedCookies;
    return session;
}

}  // namespace arlo::online
