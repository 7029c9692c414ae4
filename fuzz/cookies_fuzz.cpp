// MergeCookies on an untrusted jar and untrusted received pairs (fields: jar, received). The
// merged jar holds no control byte, no blank but the "; " between pairs, no empty or
// "deleted" pair; the usable received pairs come first in their order, the jar's own pairs
// after them under names nobody else took; merging the same pairs again changes nothing.
#include <set>
#include <string>

#include "fuzz_support.h"
#include "net/cookies.h"
#include "text/split.h"

using arlo::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto f = arlo::fuzz::fields(data, size, 2);
    std::string jar(f[0]), received(f[1]);
    const std::string merged = arlo::net::MergeCookies(jar, received);
    require(merged == jar, "the jar receives the result");
    require(arlo::net::SafeCookiePairs(received) == received, "received pairs are safe");
    std::vector<std::string_view> usable;
    std::set<std::string_view> receivedNames;
    for (const std::string_view pair : arlo::text::split(received, ";")) {
        receivedNames.insert(pair.substr(0, pair.find('=')));
        if (!pair.empty() && !pair.ends_with("=deleted")) {
            usable.push_back(pair);
        }
    }
    const auto pairs =
        merged.empty() ? std::vector<std::string_view>{} : arlo::text::split(merged, "; ");
    require(pairs.size() >= usable.size(), "every usable received pair is kept");
    std::set<std::string_view> jarNames;
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        const std::string_view pair = pairs[i];
        require(!pair.empty() && !pair.ends_with("=deleted"), "no empty or deleted pair");
        for (const char c : pair) {
            require(!arlo::fuzz::isControl(c) && c != ' ' && c != ';', "a pair is one token");
        }
        if (i < usable.size()) {
            require(pair == usable[i], "received pairs come first, in order");
        } else {
            const std::string_view name = pair.substr(0, pair.find('='));
            require(!receivedNames.contains(name) && jarNames.insert(name).second,
                    "a jar pair keeps a name nobody else has");
        }
    }
    std::string again = merged, same = received;
    require(arlo::net::MergeCookies(again, same) == merged, "merging twice changes nothing");
    return 0;
}
