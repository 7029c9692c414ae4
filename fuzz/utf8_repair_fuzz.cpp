// UTF-8 repair of untrusted page bodies. The result is valid UTF-8 (as a validator of this
// target's own reads it), equals a valid input, is repaired no further, loses no ASCII byte
// and is at most three times as long; a page's text ends at its first NUL byte.
#include <string>

#include "fuzz_support.h"
#include "net/page_fetcher.h"

using arlo::fuzz::require;

namespace {

std::string asciiOf(std::string_view s) {
    std::string out;
    for (const char c : s) {
        out += static_cast<unsigned char>(c) < 0x80 ? std::string(1, c) : std::string();
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string repaired = arlo::net::sanitizeUtf8(bytes);
    require(arlo::fuzz::isValidUtf8(repaired), "the result is valid UTF-8");
    require(!arlo::fuzz::isValidUtf8(bytes) || repaired == bytes, "valid text stays as it is");
    require(arlo::net::sanitizeUtf8(repaired) == repaired, "repairing twice changes nothing");
    require(asciiOf(repaired) == asciiOf(bytes), "no ASCII byte is lost or added");
    require(repaired.size() <= 3 * size, "at most three bytes for each byte");
    require(arlo::net::utf8PageText(bytes) ==
                arlo::net::sanitizeUtf8(bytes.substr(0, bytes.find('\0'))),
            "a page's text ends at its first NUL");
    return 0;
}
