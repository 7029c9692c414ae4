// GBK decoding of untrusted bytes. The lenient decoder gives valid UTF-8 with one character
// for each GBK unit (units walked here by the lead/trail rule), an ASCII unit as itself; it
// agrees with the strict decoder wherever that succeeds, and what the strict one decodes
// encodes back and decodes to the same text. The same bytes read as UTF-8 and encoded to GBK
// decode back to themselves.
#include <string>

#include "fuzz_support.h"
#include "net/page_fetcher.h"
#include "text/gbk.h"

using arlo::fuzz::require;
namespace text = arlo::text;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string lossy = text::gbkToUtf8Lossy(bytes);
    require(arlo::fuzz::isValidUtf8(lossy), "the lenient result is valid UTF-8");
    std::size_t at = 0;  // byte of `lossy` where the current unit's character starts
    for (std::size_t i = 0; i < size;) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        const bool pair = i + 1 < size && c >= 0x81 && c <= 0xFE &&
                          static_cast<unsigned char>(bytes[i + 1]) >= 0x40 &&
                          bytes[i + 1] != 0x7F && static_cast<unsigned char>(bytes[i + 1]) != 0xFF;
        require(text::isGbkCharStart(bytes, i) || i > 64, "a unit starts a character");
        require(at < lossy.size(), "one character for each unit");
        const auto lead = static_cast<unsigned char>(lossy[at]);
        require(pair || c >= 0x80 || lead == c, "an ASCII unit stays itself");
        at += lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        i += pair ? 2 : 1;
    }
    require(at == lossy.size(), "no character beyond the units");
    require(
        arlo::net::gbkPageText(bytes) == text::gbkToUtf8Lossy(bytes.substr(0, bytes.find('\0'))),
        "a page's text ends at its first NUL");
    if (const auto strict = text::gbkToUtf8(bytes)) {
        require(*strict == lossy, "the lenient decoder agrees with the strict one");
        const auto back = text::utf8ToGbk(*strict);
        require(back && text::gbkToUtf8(*back) == *strict, "decoded text encodes back");
    }
    if (const auto gbk = text::utf8ToGbk(bytes)) {
        require(text::gbkToUtf8(*gbk) == bytes, "encoded text decodes back");
        require(text::gbkByteLength(bytes) == static_cast<long>(gbk->size()), "GBK length");
    } else {
        require(text::gbkByteLength(bytes) == -1, "no GBK length without a GBK form");
    }
    return 0;
}
