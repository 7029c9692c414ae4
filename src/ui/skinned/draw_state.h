#pragma once

#include <optional>

// How a skinned button's look follows the mouse, the keyboard focus and its enabled state.
namespace arlo::skinned {

// Draw states, as stored in "Nimbus_DrawState".
inline constexpr int kStateNormal = 0;
inline constexpr int kStateHover = 1;
inline constexpr int kStatePressed = 2;
inline constexpr int kStateDisabled = 3;

enum class ButtonEvent {
    FocusIn,
    FocusOut,
    Enabled,
    Disabled,
    Down,  // the button went down (mouse press, space key)
    Up,    // and came up again (release, or dragged off while pressed)
    MouseMove,
    LeftPress,
    LeftRelease,
    MouseLeave,
};

struct DrawStateChange {
    int state = kStateNormal;
    bool forced = false;  // redraw even when the state stays the same
};

// The change an event makes to a button in draw state `state` that has (`focused`) or has not
// the keyboard focus; nothing when the event leaves the look alone. For LeftRelease, `state`
// is the state the button was in when the release arrived, before the button itself came up.
std::optional<DrawStateChange> nextDrawState(int state, ButtonEvent event, bool focused);

// Which picture a state shows: normal, hover, pressed or disabled. A state without its own
// picture shows the normal one.
enum class ImageSlot { Normal, Hover, Pressed, Disabled };
ImageSlot imageSlotForState(int state);

}  // namespace arlo::skinned
