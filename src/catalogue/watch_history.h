#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Where the user left off: which episodes of each dub list were played and the last one played.
// Kept in a file of its own in the user's state folder, written whole; a missing, unreadable,
// damaged or oversized file reads as an empty history.
namespace arlo::catalogue {

inline constexpr std::string_view kHistoryFolderName = "Arlo迷";
inline constexpr std::string_view kHistoryFileName = "history";
inline constexpr std::string_view kHistoryFirstLine = "Arlo迷 history 1";
// A file larger than this is not read at all.
inline constexpr std::size_t kHistoryFileMaxBytes = 64 * 1024;
// Rows beyond this are not remembered (the longest list has well under a thousand).
inline constexpr int kHistoryMaxRows = 5000;

// One dub list: rows are the list's 0-based row indexes.
struct ListHistory {
    std::vector<bool> played;  // grows to the highest played row
    int last = -1;             // -1: none played yet

    bool wasPlayed(int row) const {
        return row >= 0 && static_cast<std::size_t>(row) < played.size() &&
               played[static_cast<std::size_t>(row)];
    }
    bool operator==(const ListHistory&) const = default;
};

class WatchHistory {
public:
    // A playback start of `row` of the list of `language` ("日语" or "国语"). Other
    // languages and rows outside 0..kHistoryMaxRows-1 are not remembered; false then.
    bool recordPlay(std::string_view language, int row);
    // The list of `language`; an empty one for any other language.
    const ListHistory& of(std::string_view language) const;

    // The file's bytes, and back. Text damaged in any way gives an empty history.
    std::string toText() const;
    static WatchHistory fromText(std::string_view text);

    bool operator==(const WatchHistory&) const = default;

private:
    std::array<ListHistory, 2> lists_;  // 日语, 国语
};

// $XDG_STATE_HOME/Arlo迷/history, else $HOME/.local/state/Arlo迷/history; empty when neither
// names an absolute folder.
std::string historyFilePath();

// Reads the file at `path`: an empty history when it is missing, not a regular file, larger
// than `maxBytes`, unreadable or damaged.
WatchHistory readHistory(const std::string& path, std::size_t maxBytes = kHistoryFileMaxBytes);

// Writes the whole file atomically, making its folder (owner only) when missing. False when
// it could not be written; the old file is then as it was.
bool writeHistory(const std::string& path, const WatchHistory& history);

}  // namespace arlo::catalogue
