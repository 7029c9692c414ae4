// The host map on an untrusted ARLO_HOST_MAP text. Every entry read has a port in 1..65535;
// written out again as "host=address:port" it reads back the same; the curl entries and the
// browser rules name the same mappings, named hosts before "*", no rule split by a blank.
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "net/host_map.h"
#include "text/split.h"

using arlo::fuzz::require;
namespace net = arlo::net;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view map(reinterpret_cast<const char*>(data), size);
    const auto entries = net::parseHostMap(map);
    std::string written;
    std::size_t plainRules = 0;
    for (const net::HostMapping& m : entries) {
        require(m.port >= 1 && m.port <= 65535, "ports in range");
        written +=
            (m.host.empty() ? "*" : m.host) + "=" + m.address + ":" + std::to_string(m.port) + ",";
        plainRules += (m.host + m.address).find_first_of(" \t") == std::string::npos ? 1 : 0;
    }
    const auto again = net::parseHostMap(written);
    require(again.size() == entries.size(), "written out, the map reads back whole");
    for (std::size_t i = 0; i < entries.size(); ++i) {
        require(again[i].host == entries[i].host && again[i].address == entries[i].address &&
                    again[i].port == entries[i].port,
                "written out, each entry reads back the same");
    }
    const auto connectTo = net::connectToEntries(map);
    require(connectTo.size() == entries.size(), "one curl entry for each mapping");
    std::vector<std::string> hosts;  // named ones first, in the order given
    for (const bool any : {false, true}) {
        for (const net::HostMapping& m : entries) {
            if (m.host.empty() == any) {
                hosts.push_back(m.host);
            }
        }
    }
    for (std::size_t i = 0; i < connectTo.size(); ++i) {
        require(connectTo[i].starts_with(hosts[i] + "::"), "named hosts before \"*\"");
    }
    const std::string rules = net::hostResolverRules(map);
    const auto pieces =
        rules.empty() ? std::vector<std::string_view>{} : arlo::text::split(rules, ",");
    require(pieces.size() == plainRules, "one rule for each mapping without blanks");
    for (const std::string_view rule : pieces) {
        require(rule.starts_with("MAP ") && rule.find(' ', 4) == rule.rfind(' ') &&
                    rule.find('\t') == std::string_view::npos,
                "a rule is MAP, a host and an address");
    }
    return 0;
}
