// cropBmp on untrusted bytes: the first 8 input bytes choose the rectangle, the rest is the
// file. A result must be a complete bitmap of the requested size, and a file that decodes must
// be one cropBmp cuts whole.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "pictures/bmp.h"

namespace {

int rectangleValue(const std::uint8_t* p) {
    return static_cast<std::int16_t>(p[0] | p[1] << 8);
}

std::uint32_t readU32(const std::string& b, std::size_t at) {
    return std::uint32_t(std::uint8_t(b[at])) | std::uint32_t(std::uint8_t(b[at + 1])) << 8 |
           std::uint32_t(std::uint8_t(b[at + 2])) << 16 |
           std::uint32_t(std::uint8_t(b[at + 3])) << 24;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 8) {
        return 0;
    }
    const int left = rectangleValue(data), top = rectangleValue(data + 2);
    const int width = rectangleValue(data + 4), height = rectangleValue(data + 6);
    const std::string_view bmp(reinterpret_cast<const char*>(data + 8), size - 8);
    const arlo::pictures::Picture decoded = arlo::pictures::decodeBmp(bmp);
    if (!decoded.empty() &&
        (decoded.pixels.size() != static_cast<std::size_t>(decoded.width) * decoded.height ||
         arlo::pictures::cropBmp(bmp, 0, 0, decoded.width, decoded.height).empty())) {
        std::abort();
    }
    const std::string out = arlo::pictures::cropBmp(bmp, left, top, width, height);
    if (out.empty()) {
        return 0;
    }
    if (out.size() < 54 || arlo::pictures::bmpWidth(out) != width ||
        arlo::pictures::bmpHeight(out) != height || readU32(out, 2) != out.size() ||
        arlo::pictures::cropBmp(out, 0, 0, width, height) != out) {
        std::abort();
    }
    return 0;
}
