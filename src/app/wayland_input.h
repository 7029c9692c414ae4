#pragma once

namespace arlo::app {

// Qt's Wayland client asks the compositor's first seat for its text input whenever a text box
// paints its caret, and crashes when the compositor announces text input but no seat at all
// (a headless compositor, a kiosk with no input devices attached). Called before the
// application object exists: when a Wayland compositor can be reached and announces no seat,
// and the user chose no input method module, this chooses none (QT_IM_MODULE=none). Without
// a seat there is no keyboard to type with, so no input method is lost.
void avoidTextInputWithoutSeat();

}  // namespace arlo::app
