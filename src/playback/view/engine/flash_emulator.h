#pragma once

#include <QString>

#include "playback/view/page_view.h"

// The Flash emulator that presents the Player page's player element: its files are found on
// disk and its script is injected into every page the view shows. The page file itself stays
// as written.
namespace arlo::pageview {

// Shown in place of the player when it cannot be loaded or played.
inline constexpr char16_t kPlaybackFailureMessage[] = u"无法播放：播放器文件无法载入或已失效。";

// The folder holding the emulator's script, core chunk and WebAssembly module: where
// ARLO_RUFFLE_DIR says if set, else "ruffle" next to the executable, else the program's data
// folder of the installed layout around the executable, else, for a program inside the build
// folder, where the build put them. Empty when none holds the emulator's script.
QString findFlashEmulatorFolder();

// The script injected at document creation: the bounds of the player files' requests, the
// emulator's configuration, the emulator itself (read from `folder`), the loading ring shown
// over a player until it has its movie, and the watch that replaces the emulator's error
// panel with the failure message. With an empty `folder`, or one whose script cannot be read,
// a page holding a Flash element shows the failure message straight away.
QString flashEmulatorScript(const QString& folder, const PlayerFileBounds& bounds);

// Whether a console message of the page says that the player could not be loaded.
bool isPlaybackFailureMessage(const QString& message);

// Script that shows the failure message in the page, once.
QString showPlaybackFailureScript();

// Script that puts the document of the page file `text` in place of the one shown, so that the
// emulator the page has already loaded plays the new player at once; the old player ends as
// its element leaves the document. Its result is true once done; it is false, and the page is
// left as it is, when the page shows the failure message or the new document would lay out
// in another mode (one has a document type, the other none): such a page is loaded afresh.
QString replaceDocumentScript(const QString& text);

}  // namespace arlo::pageview
