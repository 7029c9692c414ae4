#pragma once

#include <string>
#include <string_view>
#include <vector>

// Pictures the stand-in serves (sprite sheets, covers), drawn without a GUI toolkit so the
// stand-in stays a plain library: an RGB canvas, filled rectangles, numbers in a blocky
// digit font, and JPEG encoding through libjpeg.
namespace arlo::standin {

struct Rgb {
    unsigned char r = 0;
    unsigned char g = 0;
    unsigned char b = 0;
};

class Canvas final {
public:
    Canvas(int width, int height, Rgb fill);

    int width() const { return width_; }
    int height() const { return height_; }
    Rgb pixel(int x, int y) const;

    // Parts outside the canvas are clipped.
    void fillRect(int x, int y, int width, int height, Rgb colour);
    // The decimal digits of `number`, as large as fits in half the box's height and most of
    // its width, centred in the box.
    void drawNumber(int x, int y, int width, int height, long number, Rgb colour);

    // Baseline JPEG of the canvas (progressive on request); empty if the encoder fails.
    std::string jpeg(int quality = 90, bool progressive = false) const;

private:
    int width_;
    int height_;
    std::vector<unsigned char> pixels_;  // RGB, rows top-down
};

// A colour that tells the number apart from its neighbours, and black or white, whichever
// reads better on it.
Rgb colourFor(long number);
Rgb inkOn(Rgb background);

// Host of an address "scheme://host[:port]/...", lower-cased, without scheme and port.
std::string hostOf(std::string_view address);

}  // namespace arlo::standin
