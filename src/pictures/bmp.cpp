#include "pictures/bmp.h"

#include <cstdint>
#include <cstring>
#include <optional>

#include "text/numbers.h"

namespace arlo::pictures {
namespace {

constexpr std::int64_t kFileHeaderSize = 14;
constexpr std::int64_t kInfoHeaderSize = 40;
constexpr std::int64_t kHeaderSize = kFileHeaderSize + kInfoHeaderSize;
constexpr std::int64_t kPaletteSize = 256 * 4;

std::uint32_t readU32(std::string_view b, std::size_t at) {
    const auto* p = reinterpret_cast<const unsigned char*>(b.data()) + at;
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

std::int32_t readI32(std::string_view b, std::size_t at) {
    return static_cast<std::int32_t>(readU32(b, at));
}

std::uint16_t readU16(std::string_view b, std::size_t at) {
    const auto* p = reinterpret_cast<const unsigned char*>(b.data()) + at;
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

bool isBmp(std::string_view b) {
    return b.size() >= 2 && b[0] == 'B' && b[1] == 'M';
}

std::int64_t rowLength(std::int64_t width, int bpp) {
    return ((width * bpp + 31) >> 5) << 2;
}

// What cutting needs to know about a source bitmap, checked once.
struct Layout {
    std::int64_t width = 0;
    std::int64_t height = 0;
    int bpp = 0;
    std::int64_t headerLength = 0;  // file and information headers plus the palette
    std::int64_t rowLength = 0;
};

std::optional<Layout> readLayout(std::string_view bmp) {
    if (!isBmp(bmp) || static_cast<std::int64_t>(bmp.size()) < kHeaderSize) {
        return std::nullopt;
    }
    if (readU32(bmp, 30) != 0) {  // compressed
        return std::nullopt;
    }
    Layout l;
    l.bpp = readU16(bmp, 28);
    switch (l.bpp) {
        case 16:
        case 24:
        case 32:
            l.headerLength = kHeaderSize;
            break;
        case 8:
            l.headerLength = kHeaderSize + kPaletteSize;
            break;
        default:
            return std::nullopt;
    }
    // Rows are read from a fixed offset after a 40-byte information header; a file laid out
    // differently (a larger header, a short palette) would be cut at the wrong bytes.
    if (readU32(bmp, kFileHeaderSize) != kInfoHeaderSize || readU32(bmp, 10) != l.headerLength ||
        static_cast<std::int64_t>(bmp.size()) < l.headerLength) {
        return std::nullopt;
    }
    l.width = readI32(bmp, 18);
    l.height = readI32(bmp, 22);  // negative for top-down files, which are not supported
    if (l.width < 1 || l.height < 1) {
        return std::nullopt;
    }
    l.rowLength = rowLength(l.width, l.bpp);
    return l;
}

// Whether the rows of a rectangle (left x, top y, width w) lie inside the buffer. Rows are
// stored bottom-up, so the rectangle's top row is the last one read.
bool rowsInside(std::string_view bmp, const Layout& l, std::int64_t x, std::int64_t y,
                std::int64_t w) {
    const std::int64_t available = static_cast<std::int64_t>(bmp.size()) - l.headerLength;
    const std::int64_t lastRow = l.height - 1 - y;
    const std::int64_t readEnd = (x + w) * (l.bpp / 8);
    return readEnd <= available && lastRow <= (available - readEnd) / l.rowLength;
}

std::string crop(std::string_view bmp, const Layout& l, int left, int top, int width, int height) {
    const std::int64_t x = left, y = top, w = width, h = height;
    if (x + w > l.width || y + h > l.height || x < 0 || y < 0 || w < 1 || h < 1) {
        return {};
    }
    const int bytesPerPixel = l.bpp / 8;
    if (!rowsInside(bmp, l, x, y, w)) {
        return {};
    }
    const std::int64_t firstRow = l.height - h - y;

    const std::int64_t destRow = rowLength(w, l.bpp);
    const std::int64_t pixelBytes = destRow * h;
    std::string out(static_cast<std::size_t>(l.headerLength + pixelBytes), '\0');
    writeBmpHeaders(out.data(), static_cast<std::uint32_t>(l.headerLength + pixelBytes),
                    static_cast<std::uint32_t>(l.headerLength), static_cast<int>(w),
                    static_cast<int>(h), l.bpp, 0);
    if (l.headerLength > kHeaderSize) {
        std::memcpy(out.data() + kHeaderSize, bmp.data() + kHeaderSize, kPaletteSize);
    }

    const char* src = bmp.data() + l.headerLength + firstRow * l.rowLength + x * bytesPerPixel;
    char* dst = out.data() + l.headerLength;
    const std::size_t copy = static_cast<std::size_t>(w * bytesPerPixel);
    for (std::int64_t i = 0; i < h; ++i) {
        std::memcpy(dst + i * destRow, src + i * l.rowLength, copy);
    }
    return out;
}

}  // namespace

void writeBmpHeaders(char* out, std::uint32_t fileSize, std::uint32_t pixelOffset, int width,
                     int height, int bpp, std::uint32_t pixelBytes) {
    auto put = [out](std::size_t at, std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            out[at + static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
        }
    };
    std::memset(out, 0, kHeaderSize);
    out[0] = 'B';
    out[1] = 'M';
    put(2, fileSize, 4);
    put(10, pixelOffset, 4);
    put(14, static_cast<std::uint32_t>(kInfoHeaderSize), 4);
    put(18, static_cast<std::uint32_t>(width), 4);
    put(22, static_cast<std::uint32_t>(height), 4);
    put(26, 1, 2);
    put(28, static_cast<std::uint32_t>(bpp), 2);
    put(34, pixelBytes, 4);
}

int bmpWidth(std::string_view bmp) {
    return isBmp(bmp) && bmp.size() >= 22 ? readI32(bmp, 18) : 0;
}

int bmpHeight(std::string_view bmp) {
    return isBmp(bmp) && bmp.size() >= 26 ? readI32(bmp, 22) : 0;
}

std::string cropBmp(std::string_view bmp, int left, int top, int width, int height) {
    const auto layout = readLayout(bmp);
    return layout ? crop(bmp, *layout, left, top, width, height) : std::string();
}

bool appendSheetFrames(std::string_view sheetBmp, long wanted, std::vector<std::string>& frames) {
    const auto layout = readLayout(sheetBmp);
    const double cellWidth = bmpWidth(sheetBmp) / 10.0;
    const double cellHeight = bmpHeight(sheetBmp) / 10.0;
    const int width = text::truncToInt(cellWidth);
    const int height = text::truncToInt(cellHeight);
    for (int row = 0; row < 10; ++row) {
        for (int column = 0; column < 10; ++column) {
            const int left = text::truncToInt(column * cellWidth);
            const int top = text::truncToInt(row * cellHeight);
            frames.push_back(layout ? crop(sheetBmp, *layout, left, top, width, height)
                                    : std::string());
            if (static_cast<long>(frames.size()) >= wanted) {
                return false;
            }
        }
    }
    return true;
}

Picture decodeBmp(std::string_view bmp) {
    const auto layout = readLayout(bmp);
    if (!layout || !rowsInside(bmp, *layout, 0, 0, layout->width)) {
        return {};
    }
    const Layout& l = *layout;
    Picture picture;
    picture.width = static_cast<int>(l.width);
    picture.height = static_cast<int>(l.height);
    picture.pixels.resize(static_cast<std::size_t>(l.width * l.height));
    const auto* bytes = reinterpret_cast<const unsigned char*>(bmp.data());
    const unsigned char* palette = bytes + kHeaderSize;
    auto rgb = [](std::uint32_t r, std::uint32_t g, std::uint32_t b) {
        return 0xFF000000u | r << 16 | g << 8 | b;
    };
    for (std::int64_t y = 0; y < l.height; ++y) {
        const unsigned char* src = bytes + l.headerLength + (l.height - 1 - y) * l.rowLength;
        std::uint32_t* dst = picture.pixels.data() + y * l.width;
        for (std::int64_t x = 0; x < l.width; ++x) {
            switch (l.bpp) {
                case 8: {
                    const unsigned char* entry = palette + 4 * src[x];
                    dst[x] = rgb(entry[2], entry[1], entry[0]);
                    break;
                }
                case 16: {
                    const std::uint32_t v =
                        std::uint32_t(src[2 * x]) | std::uint32_t(src[2 * x + 1]) << 8;
                    dst[x] = rgb((v >> 10 & 0x1F) << 3, (v >> 5 & 0x1F) << 3, (v & 0x1F) << 3);
                    break;
                }
                default: {
                    const unsigned char* p = src + x * (l.bpp / 8);
                    dst[x] = rgb(p[2], p[1], p[0]);
                    break;
                }
            }
        }
    }
    return picture;
}

}  // namespace arlo::pictures
