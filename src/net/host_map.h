#pragma once

#include <string>
#include <string_view>
#include <vector>

// ARLO_HOST_MAP sends the program's requests for chosen hosts to another address, with the
// URL and the Host line unchanged: "host=ip:port" entries joined by commas, "*" for every
// host. Tests and the demo point it at the local stand-in services.
namespace arlo::net {

struct HostMapping {
    std::string host;     // lower-cased; empty for "*"
    std::string address;  // IPv4, name, or [IPv6]
    int port = 0;
};

// Entries in the order given; malformed ones (no "=", no port, port outside 1..65535) are
// skipped.
std::vector<HostMapping> parseHostMap(std::string_view text);

// The mappings as CURLOPT_CONNECT_TO entries ("host::address:port", any port of the host).
// Named hosts come before "*", so a named entry wins over the catch-all.
std::vector<std::string> connectToEntries(std::string_view hostMapText);

// The mappings as the browser engine's host resolver rules ("MAP host address:port" joined by
// commas, named hosts before "*"), so the page view reaches the same addresses as the
// program's own requests. Entries holding blanks, which would split the engine's flag, are
// left out.
std::string hostResolverRules(std::string_view hostMapText);

// connectToEntries of the ARLO_HOST_MAP environment variable (none when it is unset).
std::vector<std::string> connectToEntriesFromEnvironment();

}  // namespace arlo::net
