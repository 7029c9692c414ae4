#pragma once

#include <array>
#include <string>
#include <string_view>

// Pictures made to wear a decoder out, each of them a valid picture: what a hostile server
// would send as a cover, a captcha or a sprite sheet.
namespace arlo::standin {

// A progressive JPEG of one colour whose last scan is repeated until the file holds `scans`
// scans (fewer than the encoder wrote: its first `scans`). Every repeat costs the decoder a
// pass over the whole picture.
std::string jpegWithScans(int width, int height, int scans);
// A grey PNG of width x height pixels, compressed to next to nothing.
std::string flatPng(int width, int height);
// A lossless WebP of width x height (at most 16384 each) pixels of one colour in 30 bytes.
std::string flatWebp(int width, int height);

// The crafted pictures by name:
//   "many-scans.jpg"  400 x 140 pixels in 20,000 scans (680 KB; seconds of decoding)
//   "huge.png"        3000 x 3000 pixels (9 KB)
//   "huge.webp"       5000 x 5000 pixels (100 MB decoded)
inline constexpr std::array<std::string_view, 3> kCraftedPictures = {"many-scans.jpg", "huge.png",
                                                                     "huge.webp"};
// Empty for another name. Made once per name.
const std::string& craftedPicture(std::string_view name);

}  // namespace arlo::standin
