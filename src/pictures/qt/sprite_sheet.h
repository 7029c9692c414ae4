#pragma once

#include <string>
#include <vector>

#include "pictures/sheet.h"

namespace arlo::pictures {

// Cuts a sprite sheet in any picture format convertImage reads into its 10 x 10 frames with
// one decode: each frame shows the pixels cropBmp cuts from convertImage's BMP of the sheet,
// without that BMP ever being encoded and without a frame's pixels being copied: the frames
// point into the decoded sheet, which they share. False, with `frames` untouched, when the sheet
// cannot be decoded, when its header states more than kMaxSheetPixels (it is then never decoded),
// or when its frames would take `frames` past kMaxLoadFramePixels.
bool cutSpriteSheet(const std::string& sheet, long wanted, std::vector<Frame>& frames,
                    SheetCut& cut);

// While one of these exists (a preview load runs), the memory of sheets whose frames are all
// dropped is kept for the next sheets to be decoded into, instead of having fresh pages mapped
// and cleared for every sheet. When the last one ends, that memory goes back to the system:
// between loads only the frames shown take memory. Safe from any thread.
class KeepSpareSheets final {
public:
    KeepSpareSheets();
    ~KeepSpareSheets();
    KeepSpareSheets(const KeepSpareSheets&) = delete;
    KeepSpareSheets& operator=(const KeepSpareSheets&) = delete;
};

// Memory of decoded sheets kept for reuse, in bytes the process holds (for tests and
// benchmarks).
std::size_t spareSheetBytes();

}  // namespace arlo::pictures
