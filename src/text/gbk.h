#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Conversions between the program's UTF-8 text and code page 936 (GBK) bytes, which only
// exist at the edges that need them: the Settings file, form encoding, GBK pages.
namespace arlo::text {

// UTF-8 -> GBK. Empty optional when the input is not valid UTF-8 or holds a character
// that has no GBK form; nothing is ever dropped or replaced silently.
std::optional<std::string> utf8ToGbk(std::string_view utf8);

// GBK -> UTF-8. Empty optional when the bytes are not valid GBK.
std::optional<std::string> gbkToUtf8(std::string_view gbk);

// GBK -> UTF-8 for bytes from outside (web pages): what cannot be read becomes U+FFFD and
// the conversion goes on, so a damaged page still yields its readable parts. A double-byte
// character (gbkCharLength below) is one replacement when the code page has no character
// for it, the user-defined ranges (AAA1-AFFE, F8A1-FEFE, A140-A7A0) included; any other
// unreadable byte is one replacement of its own.
std::string gbkToUtf8Lossy(std::string_view gbk);

// Byte length of a UTF-8 text once encoded as GBK; -1 when it has no GBK form.
long gbkByteLength(std::string_view utf8);

// Where GBK characters begin and end: the one rule for everything that walks GBK bytes
// (marker search, trimming, the Settings file's names, the lossy decoder). A lead byte
// (0x81..0xFE) followed by a byte that may trail it (0x40..0xFE but 0x7F) is one double-byte
// character; every other byte is a character of its own: 0x80 (a single-byte character in
// CP936), 0xFF, and a lead byte at the end or before a byte that cannot trail it.
constexpr bool isGbkLeadByte(unsigned char c) {
    return c >= 0x81 && c <= 0xFE;
}

constexpr bool isGbkTrailByte(unsigned char c) {
    return c >= 0x40 && c <= 0xFE && c != 0x7F;
}

// Byte length, 1 or 2, of the character that starts at byte `pos` (< size) of GBK `bytes`.
constexpr std::size_t gbkCharLength(std::string_view bytes, std::size_t pos) {
    return pos + 1 < bytes.size() && isGbkLeadByte(static_cast<unsigned char>(bytes[pos])) &&
                   isGbkTrailByte(static_cast<unsigned char>(bytes[pos + 1]))
               ? 2
               : 1;
}

// True when byte `pos` of GBK `bytes` starts a character (not the trail byte of a
// double-byte one); also at the end of the bytes.
bool isGbkCharStart(std::string_view bytes, std::size_t pos);

}  // namespace arlo::text
