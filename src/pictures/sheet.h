#pragma once

#include <string_view>
#include <vector>

#include "pictures/bmp.h"

// Sprite sheets: one picture holding 10 x 10 frames of a video, read row by row.
namespace arlo::pictures {

inline constexpr int kSheetColumns = 10;
inline constexpr int kSheetRows = 10;

// The sheets' documented size: 10 x 10 cells of 160 x 90 pixels.
inline constexpr long long kDocumentedSheetWidth = 1600;
inline constexpr long long kDocumentedSheetHeight = 900;
// The largest sheet that is cut: four times the documented pixels (3200 x 1800, say). The
// bytes come from the network, and a small JPEG can state a huge picture.
inline constexpr long long kMaxSheetPixels = 4 * kDocumentedSheetWidth * kDocumentedSheetHeight;
// The most frame pixels one load keeps: ten documented sheets need 14.4 million.
inline constexpr long long kMaxLoadFramePixels = 16'000'000;

// Whether a sheet of this pixel size is cut at all: not empty and at most kMaxSheetPixels.
bool sheetSizeAccepted(long long width, long long height);

// Whether the frames that cutting a sheet of this pixel size would add to `frames` (up to
// `wanted` entries, at least one) keep the pixels of all of them within kMaxLoadFramePixels.
bool sheetFramesFit(const std::vector<Picture>& frames, long wanted, long long width,
                    long long height);

// The pixel size of a sprite sheet that was cut, and whether frames are still wanted.
struct SheetCut {
    int width = 0;
    int height = 0;
    bool moreWanted = true;
};

// Cuts a sprite sheet that is a BMP file into its frames: appends, row by row, the pixels
// of what cropBmp cuts at each cell (an empty picture where cropBmp cuts nothing), and stops
// as soon as `frames` holds `wanted` entries. False, with `frames` untouched, when the sheet
// states no size, a size sheetSizeAccepted refuses, or frames that sheetFramesFit refuses.
bool cutBmpSheet(std::string_view sheet, long wanted, std::vector<Picture>& frames, SheetCut& cut);

}  // namespace arlo::pictures
