// Header readers and the one-pass sheet cutting on untrusted bytes: cutting a sheet in one
// pass must give exactly what cropBmp gives cell by cell.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "pictures/bmp.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const int width = arlo::pictures::bmpWidth(bytes);
    const int height = arlo::pictures::bmpHeight(bytes);
    std::vector<std::string> frames;
    const long wanted = size > 0 ? data[size - 1] : 0;
    arlo::pictures::appendSheetFrames(bytes, wanted, frames);
    const double cw = width / 10.0, ch = height / 10.0;
    for (std::size_t n = 0; n < frames.size(); ++n) {
        const int i = static_cast<int>(n % 10), j = static_cast<int>(n / 10);
        if (frames[n] != arlo::pictures::cropBmp(bytes, static_cast<int>(i * cw),
                                                 static_cast<int>(j * ch), static_cast<int>(cw),
                                                 static_cast<int>(ch))) {
            std::abort();
        }
    }
    return 0;
}
