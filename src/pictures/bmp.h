#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Reading and cutting uncompressed Windows bitmaps. The bytes come from the network (sprite
// sheets converted to BMP), so nothing here trusts a header: every read is checked against
// the buffer, and a file that does not hold what its header claims gives the empty result.
namespace arlo::pictures {

// A decoded picture, ready to be shown: `width` x `height` pixels, rows top first, each pixel
// 0xFFRRGGBB (the memory layout of a 32-bit RGB image). No pixels: no picture.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    bool empty() const { return pixels.empty(); }
    friend bool operator==(const Picture&, const Picture&) = default;
};

// Writes the 14-byte file header and the 40-byte information header of an uncompressed BMP
// at `out` (54 bytes): "BM", the file size, the pixel-data offset, width, height, one plane,
// the bit count and the pixel-data size; every other field 0.
void writeBmpHeaders(char* out, std::uint32_t fileSize, std::uint32_t pixelOffset, int width,
                     int height, int bpp, std::uint32_t pixelBytes);

// Pixel width and height from the bitmap header (offsets 18 and 22); 0 when the bytes are not
// a BMP or too short to hold the field.
int bmpWidth(std::string_view bmp);
int bmpHeight(std::string_view bmp);

// Cuts the rectangle (left, top, width, height; top counted from the picture's top) out of an
// uncompressed bottom-up BMP of 8, 16, 24 or 32 bits per pixel with a 40-byte information
// header. The result is a complete BMP file of the same bit depth (8-bit files keep their
// 256-entry palette); empty when the input is unsupported, damaged or the rectangle does not
// lie inside the picture.
std::string cropBmp(std::string_view bmp, int left, int top, int width, int height);

// Cuts a sprite sheet of 10 x 10 cells into frames, as cropBmp would for each cell at the
// truncated cell positions, reading the sheet's header once. Frames are appended row by row
// to `frames`; after each one, when `frames` holds `wanted` or more entries, cutting stops.
// Returns true when more frames are still wanted afterwards. A sheet cropBmp would reject
// gives empty frames, as cropBmp would.
bool appendSheetFrames(std::string_view sheetBmp, long wanted, std::vector<std::string>& frames);

// The pixels of a BMP that cropBmp accepts (an 8-bit file through its palette, 16-bit ones as
// 5-5-5, the fourth byte of a 32-bit pixel ignored); empty when cropBmp would reject it.
Picture decodeBmp(std::string_view bmp);

}  // namespace arlo::pictures
