#include "text/trim.h"

#include "text/gbk.h"

namespace arlo::text {
namespace {

constexpr std::string_view kFullWidthUtf8 = "\xE3\x80\x80";
constexpr std::string_view kFullWidthGbk = "\xA1\xA1";

std::string_view fullWidth(Charset charset) {
    return charset == Charset::Gbk ? kFullWidthGbk : kFullWidthUtf8;
}

// Length of the space that starts at `pos` (0 when none). Callers only ask at character
// starts, so in GBK the bytes A1 A1 found here are a whole full-width space.
std::size_t spaceAt(std::string_view s, std::size_t pos, Charset charset) {
    if (s[pos] == ' ') {
        return 1;
    }
    const auto fw = fullWidth(charset);
    return s.compare(pos, fw.size(), fw) == 0 ? fw.size() : 0;
}

}  // namespace

std::string_view trimBlanks(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::string_view trimSpaces(std::string_view text, Charset charset) {
    std::size_t begin = 0;
    while (begin < text.size()) {
        std::size_t n = spaceAt(text, begin, charset);
        if (n == 0) {
            break;
        }
        begin += n;
    }
    text.remove_prefix(begin);
    const auto fw = fullWidth(charset);
    for (;;) {
        if (!text.empty() && text.back() == ' ') {
            text.remove_suffix(1);
        } else if (text.size() >= fw.size() && text.ends_with(fw) &&
                   (charset == Charset::Utf8 || isGbkCharStart(text, text.size() - fw.size()))) {
            text.remove_suffix(fw.size());
        } else {
            break;
        }
    }
    return text;
}

std::string removeSpaces(std::string_view text, Charset charset) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    const bool gbk = charset == Charset::Gbk;
    while (i < text.size()) {
        std::size_t n = spaceAt(text, i, charset);
        if (n > 0) {
            i += n;
            continue;
        }
        const std::size_t len = gbk ? gbkCharLength(text, i) : 1;
        out.append(text.substr(i, len));
        i += len;
        // In malformed UTF-8 the bytes around a removed space can join into a new one
        // ("\xE3" "\xE3\x80\x80" "\x80\x80"): it goes too.
        if (!gbk && out.ends_with(kFullWidthUtf8)) {
            out.resize(out.size() - kFullWidthUtf8.size());
        }
    }
    return out;
}

}  // namespace arlo::text
