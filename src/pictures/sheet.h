#pragma once

#include <string_view>
#include <vector>

#include "pictures/bmp.h"

// Sprite sheets: one picture holding 10 x 10 frames of a video, read row by row.
namespace arlo::pictures {

inline constexpr int kSheetColumns = 10;
inline constexpr int kSheetRows = 10;

// The pixel size of a sprite sheet that was cut, and whether frames are still wanted.
struct SheetCut {
    int width = 0;
    int height = 0;
    bool moreWanted = true;
};

// Cuts a sprite sheet that is a BMP file into its frames: appends, row by row, the pixels
// of what cropBmp cuts at each cell (an empty picture where cropBmp cuts nothing), and stops
// as soon as `frames` holds `wanted` entries. False when the sheet states no size.
bool cutBmpSheet(std::string_view sheet, long wanted, std::vector<Picture>& frames, SheetCut& cut);

}  // namespace arlo::pictures
