// Marker search on untrusted pages (fields: settings byte, needle, hay, closing marker). The
// position agrees with a plain search that tries every character start (UTF-8: no
// continuation byte; GBK: walked by the lead/trail rule) and folds ASCII letter case except on
// a GBK trail byte of the needle; textBetween is two such searches.
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "text/markers.h"

using arlo::fuzz::require;
namespace text = arlo::text;

namespace {

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

std::vector<bool> trailBytes(std::string_view s, bool gbk) {
    std::vector<bool> trail(s.size(), false);
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (!gbk) {
            trail[i] = (c & 0xC0) == 0x80;
        } else if (c >= 0x81 && c <= 0xFE && i + 1 < s.size() &&
                   static_cast<unsigned char>(s[i + 1]) >= 0x40 && s[i + 1] != 0x7F &&
                   static_cast<unsigned char>(s[i + 1]) != 0xFF) {
            trail[++i] = true;
        }
    }
    return trail;
}

long plainFind(std::string_view hay, std::string_view needle, long from, bool fold, bool gbk) {
    const auto hayTrail = trailBytes(hay, gbk), needleTrail = trailBytes(needle, gbk);
    for (long i = std::max(from, 1L) - 1; needle.size() > 0 && i + needle.size() <= hay.size();
         ++i) {
        bool same = !hayTrail[static_cast<std::size_t>(i)];
        for (std::size_t j = 0; same && j < needle.size(); ++j) {
            const char h = hay[static_cast<std::size_t>(i) + j], n = needle[j];
            same = fold && !(gbk && needleTrail[j]) ? lower(h) == lower(n) : h == n;
        }
        if (same) {
            return i + 1;
        }
    }
    return -1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto f = arlo::fuzz::fields(data, size, 4);
    const int settings = f[0].empty() ? 0 : static_cast<unsigned char>(f[0][0]);
    const bool fold = settings & 1, gbk = settings & 2;
    const long from = (settings >> 2) - 2;  // -2 .. 61
    const std::string_view needle = f[1], hay = f[2], close = f[3];
    const auto mode = fold ? text::Case::IgnoreAscii : text::Case::Sensitive;
    const auto charset = gbk ? text::Charset::Gbk : text::Charset::Utf8;
    const long at = text::findText(hay, needle, from, mode, charset);
    const long expected = from < 1 ? -1 : plainFind(hay, needle, from, fold, gbk);
    require(at == expected, "findText agrees with the plain search");
    std::string between;
    if (at > 0) {
        const long after = at + static_cast<long>(needle.size());
        const long end = plainFind(hay, close, after, fold, gbk);
        if (end > 0) {
            between = hay.substr(static_cast<std::size_t>(after - 1),
                                 static_cast<std::size_t>(end - after));
        }
    }
    require(text::textBetween(hay, needle, close, from, mode, charset) == between,
            "textBetween is the two searches");
    return 0;
}
