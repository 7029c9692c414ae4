#pragma once

#include <QIcon>
#include <QString>

// How the desktop recognises the program's windows: the name of its desktop entry, which the
// task bar and the application menu match windows to, and the icon every window carries.
namespace arlo::app {

// The desktop entry's file name without ".desktop"; the hicolor icons carry the same name.
QString desktopFileName();

// The program's icon at every size drawn for it (16 to 256 pixels).
QIcon applicationIcon();

// Sets the desktop entry's name on the application, before any window is made.
void setDesktopIdentity();

// Gives every window the program's icon. Decoding its eight sizes is not needed for the Main
// window's first paint, so start-up does it right after.
void setApplicationIcon();

}  // namespace arlo::app
