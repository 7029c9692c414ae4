#include "standin/services.h"

namespace arlo::standin {

void addAllServices(Server& server) {
    addTestEndpoints(server);
    addAnalyticsCounter(server);
    addPptvShows(server);
    addCoverPictures(server);
    addReleaseOffer(server);
    addFlashPlayers(server);
    addReleaseDownload(server);
    addGuestbook(server);
}

}  // namespace arlo::standin
