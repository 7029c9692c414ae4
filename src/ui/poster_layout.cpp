#include "ui/poster_layout.h"

#include <algorithm>
#include <cstdint>

namespace arlo::ui::posters {

Box cellFrame(int k, Box first) {
    return {first.left + (first.width + kGap) * (columnOf(k) - 1),
            first.top + (first.height + kGap) * (rowOf(k) - 1), first.width, first.height};
}

int containerHeight(Box lastCell) {
    return lastCell.bottom() + kGap;
}

int scrollMaximum(int containerHeight, int viewportHeight) {
    return std::max(0, containerHeight - viewportHeight);
}

int wheelPosition(int position, int notches, int maximum) {
    // Wide arithmetic: a burst of notches must not wrap around.
    const std::int64_t next = std::int64_t{position} - std::int64_t{kWheelStep} * notches;
    return static_cast<int>(std::clamp<std::int64_t>(next, 0, std::max(0, maximum)));
}

ScrollAreaLayout scrollAreaLayout(int outerWidth, int outerHeight, int scrollBarWidth) {
    ScrollAreaLayout layout;
    layout.scrollBar = {outerWidth - scrollBarWidth + 5, 0, scrollBarWidth, outerHeight};
    layout.viewport = {1, 1, outerWidth - scrollBarWidth, outerHeight - 2};
    layout.container = {1, 1, layout.viewport.width - 2, layout.viewport.height - 2};
    return layout;
}

Box playButtonBox(int buttonWidth, int buttonHeight) {
    return {(kOverlayInPoster.width - buttonWidth) / 2,
            (kOverlayInPoster.height - buttonHeight) / 2, buttonWidth, buttonHeight};
}

}  // namespace arlo::ui::posters
