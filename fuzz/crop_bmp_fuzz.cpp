// cropBmp on untrusted bytes: the first 8 input bytes choose the rectangle, the rest is the
// file. A result must be a complete bitmap of the requested size.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "ui/preview/bmp.h"

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
    const std::string out = arlo::preview::cropBmp(bmp, left, top, width, height);
    if (out.empty()) {
        return 0;
    }
    if (out.size() < 54 || arlo::preview::bmpWidth(out) != width ||
        arlo::preview::bmpHeight(out) != height || readU32(out, 2) != out.size() ||
        arlo::preview::cropBmp(out, 0, 0, width, height) != out) {
        std::abort();
    }
    return 0;
}
