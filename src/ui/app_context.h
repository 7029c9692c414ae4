#pragma once

#include <QString>
#include <mutex>
#include <string>

#include "catalogue/playback_state.h"

namespace arlo::ui {

class Notices;

// What the windows and the handlers behind them share for the whole run. Lives on the
// user-interface thread; workers get copies of what they need, and take the locks.
struct AppContext final {
    catalogue::PlaybackState state;
    // Held for a whole list refresh, thumbnail load and slide-preview load respectively.
    std::mutex listLock;
    std::mutex thumbnailLock;
    std::mutex previewLock;
    Notices* notices = nullptr;
    // The executable's directory, without a trailing separator.
    QString runDirectory;
    // Where the Settings file lives; empty means the user's Documents folder.
    std::string documentsFolder;
};

}  // namespace arlo::ui
