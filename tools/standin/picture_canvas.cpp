#include "standin/picture_canvas.h"
#include "text/ascii.h"

#include <jpeglib.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>

namespace arlo::standin {
namespace {

// 5 x 7 digit glyphs, one row per byte, the left-most column in bit 4.
constexpr unsigned char kDigits[10][7] = {
    {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E},  // 0
    {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E},  // 1
    {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F},  // 2
    {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E},  // 3
    {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02},  // 4
    {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E},  // 5
    {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E},  // 6
    {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08},  // 7
    {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E},  // 8
    {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C},  // 9
};

struct ErrorJump {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

[[noreturn]] void failEncoding(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorJump*>(info->err)->jump, 1);
}

}  // namespace

Canvas::Canvas(int width, int height, Rgb fill)
    : width_(std::max(width, 1)),
      height_(std::max(height, 1)),
      pixels_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_) * 3) {
    fillRect(0, 0, width_, height_, fill);
}

Rgb Canvas::pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
        return {};
    }
    const std::size_t at = (static_cast<std::size_t>(y) * width_ + x) * 3;
    return {pixels_[at], pixels_[at + 1], pixels_[at + 2]};
}

void Canvas::fillRect(int x, int y, int width, int height, Rgb colour) {
    const int left = std::max(x, 0), right = std::min(x + width, width_);
    const int top = std::max(y, 0), bottom = std::min(y + height, height_);
    for (int row = top; row < bottom; ++row) {
        unsigned char* p = &pixels_[(static_cast<std::size_t>(row) * width_ + left) * 3];
        for (int col = left; col < right; ++col) {
            *p++ = colour.r;
            *p++ = colour.g;
            *p++ = colour.b;
        }
    }
}

void Canvas::drawNumber(int x, int y, int width, int height, long number, Rgb colour) {
    const std::string digits = std::to_string(number < 0 ? -number : number);
    const int cells = static_cast<int>(digits.size()) * 6 - 1;  // one blank column between
    const int scale = std::max(1, std::min(height / 2 / 7, width * 4 / 5 / cells));
    const int left = x + (width - cells * scale) / 2;
    const int top = y + (height - 7 * scale) / 2;
    for (std::size_t n = 0; n < digits.size(); ++n) {
        const auto& glyph = kDigits[digits[n] - '0'];
        const int glyphLeft = left + static_cast<int>(n) * 6 * scale;
        for (int row = 0; row < 7; ++row) {
            for (int col = 0; col < 5; ++col) {
                if (glyph[row] & (0x10 >> col)) {
                    fillRect(glyphLeft + col * scale, top + row * scale, scale, scale, colour);
                }
            }
        }
    }
}

std::string Canvas::jpeg(int quality, bool progressive) const {
    jpeg_compress_struct info{};
    ErrorJump error{};
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = failEncoding;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    if (setjmp(error.jump)) {
        jpeg_destroy_compress(&info);
        std::free(buffer);
        return {};
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width_);
    info.image_height = static_cast<JDIMENSION>(height_);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    if (progressive) {
        jpeg_simple_progression(&info);
    }
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<unsigned char*>(
            &pixels_[static_cast<std::size_t>(info.next_scanline) * width_ * 3]);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    std::string out(reinterpret_cast<const char*>(buffer), size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return out;
}

Rgb colourFor(long number) {
    const unsigned long n = static_cast<unsigned long>(number < 0 ? -number : number);
    return {static_cast<unsigned char>(40 + n * 53 % 180),
            static_cast<unsigned char>(40 + n * 97 % 180),
            static_cast<unsigned char>(40 + n * 151 % 180)};
}

Rgb inkOn(Rgb background) {
    const int luminance = 299 * background.r + 587 * background.g + 114 * background.b;
    return luminance > 128000 ? Rgb{0, 0, 0} : Rgb{255, 255, 255};
}

std::string hostOf(std::string_view address) {
    if (const auto scheme = address.find("://"); scheme != std::string_view::npos) {
        address.remove_prefix(scheme + 3);
    }
    address = address.substr(0, address.find_first_of("/:?#"));
    return text::toLowerAscii(address);
}

}  // namespace arlo::standin
