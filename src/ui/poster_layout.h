#pragma once

// Where everything on the movie page goes: the scroll area, the eighteen poster cells, the
// hover overlay's play button, and how the wheel moves the scroll position. Plain arithmetic,
// so the rules are checked without building any widgets.
namespace arlo::ui::posters {

struct Box {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    constexpr int bottom() const { return top + height; }
    friend constexpr bool operator==(const Box&, const Box&) = default;
};

inline constexpr int kCellCount = 18;
inline constexpr int kColumns = 2;
inline constexpr int kGap = 16;  // between cells, and below the last row
// Cell 1 sits here; the others follow it across and down.
inline constexpr Box kFirstCell{16, 16, 164, 272};
inline constexpr Box kPosterInCell{1, 1, 162, 230};
inline constexpr Box kTitleInCell{1, 231, 162, 40};
// The overlay covers a whole poster.
inline constexpr Box kOverlayInPoster{0, 0, 162, 230};
inline constexpr int kPlayButtonSize = 54;
inline constexpr int kWheelStep = 60;  // pixels per wheel notch

// Cells are numbered row by row, two to a row, from 1.
constexpr int rowOf(int k) {
    return (k + 1) / 2;
}
constexpr int columnOf(int k) {
    return 2 - k % 2;
}

// Cell k placed after the first cell, keeping its size.
Box cellFrame(int k, Box first = kFirstCell);

// The grid container reaches one gap below its last cell.
int containerHeight(Box lastCell);

// How far the container can scroll inside the viewport; never negative.
int scrollMaximum(int containerHeight, int viewportHeight);

// The scroll position after turning the wheel by `notches` (positive away from the user,
// which brings the first rows back), kept within 0..maximum.
int wheelPosition(int position, int notches, int maximum);

// The scroll bar on the right edge of the outer frame (pushed 5 pixels past it, so its own
// border is clipped away), the viewport beside it and the container inside the viewport.
struct ScrollAreaLayout {
    Box scrollBar;
    Box viewport;
    Box container;
};
ScrollAreaLayout scrollAreaLayout(int outerWidth, int outerHeight, int scrollBarWidth);

// The play button centred on the poster, whole pixels.
Box playButtonBox(int buttonWidth, int buttonHeight);

}  // namespace arlo::ui::posters
