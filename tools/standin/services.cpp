#include "standin/services.h"

namespace arlo::standin {

void addAllServices(Server& server) {
    addTestEndpoints(server);
    addAnalyticsCounter(server);
}

}  // namespace arlo::standin
