#include "ui/skinned/draw_state.h"

namespace arlo::skinned {

std::optional<DrawStateChange> nextDrawState(int state, ButtonEvent event, bool focused) {
    switch (event) {
        case ButtonEvent::FocusIn:
            if (state == kStatePressed) {
                return DrawStateChange{kStateHover, true};
            }
            return std::nullopt;
        case ButtonEvent::FocusOut:
            if (state == kStateHover) {
                return DrawStateChange{kStateNormal, true};
            }
            return std::nullopt;
        case ButtonEvent::Enabled:
            return DrawStateChange{kStateNormal, true};
        case ButtonEvent::Disabled:
            return DrawStateChange{kStateDisabled, true};
        case ButtonEvent::Down:
            return DrawStateChange{kStatePressed, true};
        case ButtonEvent::Up:
            return DrawStateChange{focused ? kStateHover : kStateNormal, true};
        case ButtonEvent::MouseMove:
            if (state == kStateHover || state == kStatePressed) {
                return std::nullopt;
            }
            return DrawStateChange{kStateHover, true};
        case ButtonEvent::LeftPress:
            return DrawStateChange{kStatePressed, true};
        case ButtonEvent::LeftRelease:
            return DrawStateChange{state == kStatePressed ? kStateHover : kStateNormal, true};
        case ButtonEvent::MouseLeave:
            return DrawStateChange{kStateNormal, true};
    }
    return std::nullopt;
}

ImageSlot imageSlotForState(int state) {
    switch (state) {
        case kStateHover:
            return ImageSlot::Hover;
        case kStatePressed:
            return ImageSlot::Pressed;
        case kStateDisabled:
            return ImageSlot::Disabled;
        default:
            return ImageSlot::Normal;
    }
}

}  // namespace arlo::skinned
