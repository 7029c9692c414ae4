#include "net/host_map.h"

#include <cstdlib>

#include "text/ascii.h"
#include "text/trim.h"

namespace arlo::net {
namespace {

bool allDigits(std::string_view s) {
    if (s.empty() || s.size() > 5) {
        return false;
    }
    for (char c : s) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

}  // namespace

std::vector<HostMapping> parseHostMap(std::string_view text) {
    std::vector<HostMapping> out;
    while (!text.empty()) {
        const auto comma = text.find(',');
        const std::string_view entry = text::trimSpaces(text.substr(0, comma));
        text = comma == std::string_view::npos ? std::string_view{} : text.substr(comma + 1);

        const auto eq = entry.find('=');
        if (eq == std::string_view::npos) {
            continue;
        }
        const std::string_view host = text::trimSpaces(entry.substr(0, eq));
        const std::string_view target = text::trimSpaces(entry.substr(eq + 1));
        const auto colon = target.rfind(':');
        if (host.empty() || colon == std::string_view::npos || colon == 0) {
            continue;
        }
        const std::string_view portText = target.substr(colon + 1);
        if (!allDigits(portText)) {
            continue;
        }
        const int port = std::atoi(std::string(portText).c_str());
        if (port < 1 || port > 65535) {
            continue;
        }
        out.push_back({host == "*" ? std::string() : text::toLowerAscii(host),
                       std::string(target.substr(0, colon)), port});
    }
    return out;
}

std::vector<std::string> connectToEntries(std::string_view hostMapText) {
    std::vector<std::string> named;
    std::vector<std::string> any;
    for (const HostMapping& m : parseHostMap(hostMapText)) {
        // An empty host or port field in a CONNECT_TO entry matches every host or port.
        std::string entry = m.host + "::" + m.address + ":" + std::to_string(m.port);
        (m.host.empty() ? any : named).push_back(std::move(entry));
    }
    named.insert(named.end(), any.begin(), any.end());
    return named;
}

std::string hostResolverRules(std::string_view hostMapText) {
    std::vector<std::string> named;
    std::vector<std::string> any;
    for (const HostMapping& m : parseHostMap(hostMapText)) {
        const std::string host = m.host.empty() ? std::string("*") : m.host;
        if (host.find_first_of(" \t") != std::string::npos ||
            m.address.find_first_of(" \t") != std::string::npos) {
            continue;
        }
        std::string rule = "MAP " + host + " " + m.address + ":" + std::to_string(m.port);
        (m.host.empty() ? any : named).push_back(std::move(rule));
    }
    named.insert(named.end(), any.begin(), any.end());
    std::string rules;
    for (const std::string& rule : named) {
        rules += (rules.empty() ? "" : ",") + rule;
    }
    return rules;
}

std::vector<std::string> connectToEntriesFromEnvironment() {
    const char* map = std::getenv("ARLO_HOST_MAP");
    return map ? connectToEntries(map) : std::vector<std::string>{};
}

}  // namespace arlo::net
