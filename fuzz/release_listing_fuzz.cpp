// The download listing as the check reads it: an untrusted GBK page (fields: the latest
// version, the page). Its entries are what a plain reading of the "<li>" markers finds; the
// download address taken from them is a piece of an entry, and only a web address of
// printable characters is one the desktop may open.
#include <string>

#include "fuzz_support.h"
#include "net/page_fetcher.h"
#include "online/version_check.h"
#include "text/ascii.h"
#include "text/trim.h"

using arlo::fuzz::require;
namespace online = arlo::online;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto f = arlo::fuzz::fields(data, size, 2);
    const std::string listing = arlo::net::gbkPageText(f[1]);
    const auto entries = online::listingEntries(listing);
    const std::string lower = arlo::text::toLowerAscii(listing);
    std::size_t from = 0, count = 0;
    for (;;) {
        const auto open = lower.find("<li>", from);
        const auto close = open == std::string::npos ? open : lower.find("</li>", open + 4);
        if (close == std::string::npos) {
            break;
        }
        const std::string_view entry =
            arlo::text::trimSpaces(std::string_view(listing).substr(open + 4, close - open - 4));
        if (entry.empty()) {
            break;
        }
        require(count < entries.size() && entries[count++] == entry, "the entries as written");
        from = close;
    }
    require(count == entries.size(), "no entry beyond the plain reading");
    online::VersionState state{.latest = std::string(f[0]), .downloadAddress = "\x01none"};
    online::takeDownloadAddress(entries, state);
    bool inEntry = state.downloadAddress == "\x01none";
    for (const std::string& entry : entries) {
        inEntry = inEntry || entry.find(state.downloadAddress) != std::string::npos;
    }
    require(inEntry, "the address comes from an entry");
    if (online::isWebAddress(state.downloadAddress)) {
        const std::string head = arlo::text::toLowerAscii(state.downloadAddress.substr(0, 8));
        require(head.starts_with("http://") || head.starts_with("https://"), "a web address");
        for (const char c : state.downloadAddress) {
            require(!arlo::fuzz::isControl(c), "no control character in a web address");
        }
    }
    return 0;
}
