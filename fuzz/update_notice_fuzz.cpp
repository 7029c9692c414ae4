// The update notice as the check reads it: an untrusted page body (its first byte a repeat
// count, so notes can outgrow their limit), repaired to UTF-8 and unescaped. The version text
// is at most 32 bytes and the notes at most 64 KiB of valid UTF-8, both what a plain reading
// of the notice finds, the notes cut only at a character boundary; "&amp;" in any case is "&".
#include <string>

#include "fuzz_support.h"
#include "net/page_fetcher.h"
#include "online/version_check.h"
#include "text/ascii.h"

using arlo::fuzz::require;
namespace online = arlo::online;

namespace {

std::string plainBetween(std::string_view page, std::string_view open, std::string_view close) {
    const auto at = page.find(open);
    const auto end = at == std::string_view::npos ? at : page.find(close, at + open.size());
    return end == std::string_view::npos
               ? std::string()
               : std::string(page.substr(at + open.size(), end - at - open.size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string_view piece(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::string body;
    for (int i = 0; i <= data[0] % 16; ++i) {
        body += piece;
    }
    const std::string text = arlo::net::utf8PageText(body);
    const std::string notice = online::unescapeAmpersands(text);
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool entity = arlo::text::toLowerAscii(text.substr(i, 5)) == "&amp;";
        plain += text[i];
        i += entity ? 4 : 0;
    }
    require(notice == plain, "every &amp; becomes &");
    online::VersionState state{.current = "1.1", .latest = "x", .releaseNotes = "x"};
    online::readUpdateNotice(notice, state);
    const std::string version = plainBetween(notice, "版本=[", "];");
    require(state.latest == (version.size() <= 32 ? version : ""), "the version, 32 bytes at most");
    const std::string notes = plainBetween(notice, "更新说明=[", "];");
    require(state.releaseNotes.size() <= online::kMaxReleaseNotesBytes &&
                notes.starts_with(state.releaseNotes) &&
                notes.size() - state.releaseNotes.size() <=
                    (notes.size() > online::kMaxReleaseNotesBytes ? notes.size() - 65533 : 0) &&
                arlo::fuzz::isValidUtf8(state.releaseNotes),
            "the notes, 64 KiB at most, cut at a character boundary");
    require(state.signature == plainBetween(notice, "签名=[", "];"), "the signature");
    return 0;
}
