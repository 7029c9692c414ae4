#pragma once

#include <QString>
#include <mutex>
#include <string>

#include "catalogue/catalogue.h"
#include "catalogue/settings_file.h"
#include "playback/navigation.h"

namespace arlo::ui {

class Notices;

// What the Main window's handlers keep between events.
struct WindowFlags {
    // The movie the poster grid's play button plays: the one last under the cursor.
    int hoveredMovie = 0;
    // A control holds the mouse to learn when the cursor leaves it (the logo, the preview
    // slider, a poster).
    bool mouseCaptured = false;
};

// What the windows and the handlers behind them share for the whole run. Lives on the
// user-interface thread; workers get copies of what they need, and take the locks.
struct AppContext final {
    // What the Player window plays.
    playback::PlaybackSession playback;
    WindowFlags windows;
    // Read at start-up.
    catalogue::Installation installation;
    // The catalogue the windows show when it is not the built-in one (generated catalogues
    // in benchmarks and tests). Set before the windows are made; it outlives them.
    const catalogue::Catalogue* shownCatalogue = nullptr;
    // Held for a whole list refresh, thumbnail load and slide-preview load respectively.
    std::mutex listLock;
    std::mutex thumbnailLock;
    std::mutex previewLock;
    Notices* notices = nullptr;
    // The executable's directory, without a trailing separator.
    QString runDirectory;
    // Where the Settings file lives; empty means the user's Documents folder.
    std::string documentsFolder;

    const catalogue::Catalogue& catalogue() const {
        return shownCatalogue != nullptr ? *shownCatalogue : catalogue::Catalogue::builtIn();
    }
};

}  // namespace arlo::ui
