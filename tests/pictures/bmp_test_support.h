#pragma once

#include <cstdint>
#include <string>

// Builds bottom-up BMP files whose pixels tell where they came from, and reads pixels back
// with plain arithmetic, independent of the code under test.
namespace arlo::pictures::testing {

// A byte of pixel (x, y) (y counted from the top), channel c: distinct for nearby pixels.
inline char patternByte(int x, int y, int c) {
    return static_cast<char>((x * 7 + y * 31 + c * 101) & 0xFF);
}

inline void put32(std::string& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        b[at + i] = static_cast<char>(v >> (8 * i));
    }
}

inline std::uint32_t get32(const std::string& b, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) {
        v = v << 8 | static_cast<unsigned char>(b[at + i]);
    }
    return v;
}

inline int rowBytes(int width, int bpp) {
    return ((width * bpp + 31) / 32) * 4;
}

inline std::string makeBmp(int width, int height, int bpp) {
    const int header = bpp == 8 ? 1078 : 54;
    const int row = rowBytes(width, bpp);
    std::string b(header + row * height, '\0');
    b[0] = 'B';
    b[1] = 'M';
    put32(b, 2, static_cast<std::uint32_t>(b.size()));
    put32(b, 10, header);
    put32(b, 14, 40);
    put32(b, 18, width);
    put32(b, 22, height);
    b[26] = 1;
    b[28] = static_cast<char>(bpp);
    if (bpp == 8) {
        for (int i = 0; i < 1024; ++i) {
            b[54 + i] = static_cast<char>(i * 13);
        }
    }
    // Padding bytes get a marker so a copy that strays into them shows up.
    for (int r = 0; r < height; ++r) {
        for (int p = width * bpp / 8; p < row; ++p) {
            b[header + r * row + p] = '\x5A';
        }
    }
    for (int y = 0; y < height; ++y) {
        const int fileRow = height - 1 - y;
        for (int x = 0; x < width; ++x) {
            for (int c = 0; c < bpp / 8; ++c) {
                b[header + fileRow * row + x * bpp / 8 + c] = patternByte(x, y, c);
            }
        }
    }
    return b;
}

// Channel c of pixel (x, y from the top) of a bottom-up BMP with a 40-byte header.
inline char pixelByte(const std::string& bmp, int x, int y, int c) {
    const int width = static_cast<int>(get32(bmp, 18));
    const int height = static_cast<int>(get32(bmp, 22));
    const int bpp = static_cast<unsigned char>(bmp[28]);
    const int header = static_cast<int>(get32(bmp, 10));
    return bmp.at(header + (height - 1 - y) * rowBytes(width, bpp) + x * bpp / 8 + c);
}

}  // namespace arlo::pictures::testing
