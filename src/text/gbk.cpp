#include "text/gbk.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

namespace arlo::text {
namespace {

// One converter per thread and direction: iconv_t is not safe to share, and opening one
// per call costs more than the conversion of a short title.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (cd_ != reinterpret_cast<iconv_t>(-1)) {
            iconv_close(cd_);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts all of `in`. On an invalid or unconvertible sequence: with `replacement`
    // empty the conversion fails; otherwise the replacement is written once for the
    // `unitLength` bytes of the offending unit, and conversion goes on after them.
    using UnitLength = std::size_t (*)(const char* at, std::size_t left);
    std::optional<std::string> run(std::string_view in, std::string_view replacement = {},
                                   UnitLength unitLength = nullptr) {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) {
            return std::nullopt;
        }
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // reset shift state
        std::string out;
        out.reserve(in.size() * 3 / 2 + 8);
        std::vector<char> buf(4096);
        char* src = const_cast<char*>(in.data());
        std::size_t srcLeft = in.size();
        while (srcLeft > 0) {
            char* dst = buf.data();
            std::size_t dstLeft = buf.size();
            std::size_t rc = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            out.append(buf.data(), buf.size() - dstLeft);
            if (rc == static_cast<std::size_t>(-1)) {
                if (errno == E2BIG) {
                    continue;
                }
                // EILSEQ or EINVAL (truncated sequence at the end)
                if (replacement.empty()) {
                    return std::nullopt;
                }
                out.append(replacement);
                const std::size_t skip = unitLength != nullptr ? unitLength(src, srcLeft) : 1;
                src += skip;
                srcLeft -= skip;
                iconv(cd_, nullptr, nullptr, nullptr, nullptr);
            }
        }
        return out;
    }

private:
    iconv_t cd_;
};

Converter& toGbk() {
    thread_local Converter c("CP936", "UTF-8");
    return c;
}

Converter& fromGbk() {
    thread_local Converter c("UTF-8", "CP936");
    return c;
}

// The bytes a GBK decoder treats as one character, whether or not the code page assigns it
// one (so a code it cannot map never swallows the next character).
std::size_t gbkUnitLength(const char* at, std::size_t left) {
    return gbkCharLength(std::string_view(at, left), 0);
}

bool isAscii(std::string_view s) {
    for (unsigned char c : s) {
        if (c >= 0x80) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::optional<std::string> utf8ToGbk(std::string_view utf8) {
    if (isAscii(utf8)) {
        return std::string(utf8);
    }
    return toGbk().run(utf8);
}

std::optional<std::string> gbkToUtf8(std::string_view gbk) {
    if (isAscii(gbk)) {
        return std::string(gbk);
    }
    return fromGbk().run(gbk);
}

std::string gbkToUtf8Lossy(std::string_view gbk) {
    if (isAscii(gbk)) {
        return std::string(gbk);
    }
    return fromGbk().run(gbk, "\xEF\xBF\xBD", gbkUnitLength).value_or(std::string());
}

long gbkByteLength(std::string_view utf8) {
    auto gbk = utf8ToGbk(utf8);
    return gbk ? static_cast<long>(gbk->size()) : -1;
}

bool isGbkCharStart(std::string_view bytes, std::size_t pos) {
    if (pos >= bytes.size()) {
        return pos == bytes.size();
    }
    std::size_t i = 0;
    while (i < pos) {
        i += gbkCharLength(bytes, i);
    }
    return i == pos;
}

}  // namespace arlo::text
