#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "pictures/sheet.h"

// The arithmetic of the slide preview: what the loader fetches, how a sprite sheet is divided,
// where the popup goes and which frame the cursor points at. One frame every 6 seconds,
// 100 frames per sheet in a 10 x 10 grid.
namespace arlo::preview {

inline constexpr int kSecondsPerFrame = 6;
inline constexpr int kSheetColumns = pictures::kSheetColumns;
inline constexpr int kSheetRows = pictures::kSheetRows;
inline constexpr int kMaxSheets = 10;

// Seconds as HH:MM:SS, each part at least two digits (100 hours shows as "100:00:00").
// Negative times show as "00:00:00".
std::string timeText(long long seconds);

// Path of the show page for a show code, and of sprite sheet `sheet` (0..9) of show `showId`.
std::string showPagePath(std::string_view code);
std::string spriteSheetPath(std::string_view showId, int sheet);

struct ShowInfo {
    std::string showId;  // empty when the page has no id
    int duration = 0;    // seconds; 0 when missing or not a number
};
// The show id and duration from a show page (UTF-8), matched case-sensitively.
ShowInfo parseShowPage(std::string_view page);

// Frames the loader expects for a duration: trunc(D / 6 - 1). -1 for an empty page (D = 0).
int expectedFrameCount(int durationSeconds);

// The loader succeeded when it collected exactly the expected, non-zero number of frames.
bool previewSucceeded(std::size_t frameCount, int expected);

struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

// Cell (column, row) of a sheet of the given pixel size, at truncated positions and sizes.
Rect sheetCell(int sheetWidth, int sheetHeight, int column, int row);

struct PopupGeometry {
    Rect frame;    // the popup's frame; its left is kept from `frameLeft`
    Rect picture;  // the picture panel inside the frame
    Rect pointer;  // the pointer under the frame; its height is kept from `pointerHeight`
};
// Places the popup above a slider whose top is `sliderTop`, for cells of a sheet of the given
// pixel size.
PopupGeometry popupGeometry(int sheetWidth, int sheetHeight, int sliderTop, int frameLeft,
                            int pointerHeight);

// The 1-based frame under the cursor: trunc(maximum / sliderWidth x (cursorX - sliderLeft)),
// clamped to 1..maximum.
int frameAtCursor(int maximum, int sliderWidth, int sliderLeft, int cursorX);

// The popup's left edge centres it (give or take 4 pixels) on the cursor; the pointer sits
// 4 pixels in from the popup's left.
int popupLeft(int cursorX, int frameWidth);
inline int pointerLeft(int frameLeft) {
    return frameLeft + 4;
}

}  // namespace arlo::preview
