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

// Sets both on the application, before any window is made.
void setDesktopIdentity();

}  // namespace arlo::app
