#include "text/markers.h"

#include "text/ascii.h"
#include "text/gbk.h"

namespace arlo::text {
namespace {

// Compares `needle` with `hay` at `at`. Letter case is folded only on single-byte
// characters: a GBK trail byte may look like an ASCII letter but is not one.
bool matchesAt(std::string_view hay, std::size_t at, std::string_view needle, Case mode,
               Charset charset) {
    if (mode == Case::Sensitive) {
        return hay.compare(at, needle.size(), needle) == 0;
    }
    for (std::size_t j = 0; j < needle.size(); ++j) {
        const char h = hay[at + j];
        const char n = needle[j];
        if (charset == Charset::Gbk && gbkCharLength(needle, j) == 2) {
            if (h != n || hay[at + j + 1] != needle[j + 1]) {
                return false;
            }
            ++j;
            continue;
        }
        if (toLowerAscii(h) != toLowerAscii(n)) {
            return false;
        }
    }
    return true;
}

}  // namespace

long findText(std::string_view hay, std::string_view needle, long from, Case mode,
              Charset charset) {
    if (needle.empty() || from < 1 || static_cast<std::size_t>(from) > hay.size() ||
        needle.size() > hay.size()) {
        return -1;
    }
    const std::size_t start = static_cast<std::size_t>(from - 1);
    const std::size_t last = hay.size() - needle.size();
    if (charset == Charset::Gbk) {
        // Walk whole characters from the beginning so that trail bytes are never candidates.
        std::size_t i = 0;
        while (i <= last) {
            if (i >= start && matchesAt(hay, i, needle, mode, charset)) {
                return static_cast<long>(i + 1);
            }
            i += gbkCharLength(hay, i);
        }
        return -1;
    }
    for (std::size_t i = start; i <= last; ++i) {
        auto c = static_cast<unsigned char>(hay[i]);
        if ((c & 0xC0) == 0x80) {
            continue;  // UTF-8 continuation byte
        }
        if (matchesAt(hay, i, needle, mode, charset)) {
            return static_cast<long>(i + 1);
        }
    }
    return -1;
}

std::string textBetween(std::string_view text, std::string_view open, std::string_view close,
                        long from, Case mode, Charset charset) {
    const long openAt = findText(text, open, from, mode, charset);
    if (openAt < 0) {
        return {};
    }
    const long afterOpen = openAt + static_cast<long>(open.size());
    const long closeAt = findText(text, close, afterOpen, mode, charset);
    if (closeAt < 0) {
        return {};
    }
    return std::string(text.substr(static_cast<std::size_t>(afterOpen - 1),
                                   static_cast<std::size_t>(closeAt - afterOpen)));
}

}  // namespace arlo::text
