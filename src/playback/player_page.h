#pragma once

#include <string>
#include <string_view>
#include <vector>

// The Player page: a small local HTML file that embeds a video site's player for one play
// id. The page view is pointed at it; the file's content changes between playbacks while its
// path stays the same.
namespace arlo::playback {

enum class PageTemplate {
    SohuId,   // Japanese-dubbed TV episodes and the trailer
    SohuVid,  // Mandarin-dubbed TV on Sohu
    LeTV,     // Mandarin-dubbed TV on LeTV, and every movie
    Iqiyi,    // Mandarin-dubbed TV on iQiyi
};

// Stands where the play id goes; its two ASCII letters match without regard to case.
inline constexpr std::string_view kPlayIdPlaceholder = "播放id";

// File name of the Player page inside the run directory.
inline constexpr std::string_view kPlayerPageFileName = "Arlo目录.htm";

// Run directory (no trailing separator) + "/Arlo目录.htm".
std::string playerPagePath(std::string_view runDirectory);

// The template text: seven lines joined by CR LF, no line end after "</html>", with the
// placeholder where the play id goes and the deployed player hosts filled in.
std::string templateText(PageTemplate which);

// `text` with every placeholder replaced by `playId`, left to right; the id itself is not
// searched again. The placeholders stand in addresses inside quoted attributes, and ids come
// from the episode list on the network: the characters that would end the attribute or
// start markup (" ' < >) go in percent-encoded, as an address carries them; every other
// character as it is.
std::string replacePlayId(std::string_view text, std::string_view playId);

// The template with every placeholder replaced by `playId`, as replacePlayId puts it in.
std::string buildPlayerPage(PageTemplate which, std::string_view playId);

// Which template serves the current category, language and source. Any language other than
// "日语" counts as Mandarin-dubbed; a Mandarin-dubbed TV episode on an unknown source plays
// through the Sohu vid template. A category other than "剧场版" counts as TV.
PageTemplate chooseTemplate(std::string_view category, std::string_view language,
                            std::string_view source);

// The Hook timer is armed after every navigation except on iQiyi pages.
bool armsHookTimer(std::string_view source);

enum class PageWrite {
    Written,
    Failed,  // nothing, or only the old page's absence, is left behind: never a partial page
};

// Deletes the page at `path` (a missing file is no error), then writes the built page anew
// through a temporary file in the same folder that is renamed into place, so a full disk
// never leaves a truncated page. Then applies `setHiddenAttribute`. The caller points the
// page view at `path` whatever the result.
PageWrite writePlayerPage(const std::string& path, PageTemplate which, std::string_view playId);

// Folders the Player page may be written to, in order: the run directory, then a folder of
// the program's own in the user's runtime folder ($XDG_RUNTIME_DIR) and in the user's cache
// folder ($XDG_CACHE_HOME, else ~/.cache). A system-wide installation cannot write its run
// directory; the page then lives with the user, under the same file name.
std::vector<std::string> playerPageFolders(std::string_view runDirectory);

// Where placePlayerPage(..., folders, ...) puts the next page: the page path in the first of
// `folders` that can be written, making a missing per-user folder on the way; empty when none
// can.
std::string nextPlayerPagePath(const std::vector<std::string>& folders);

// Removes the temporary files of Player pages that an earlier run left in any of
// playerPageFolders(runDirectory) when it ended while writing a page
// (files::removeStaleTemporaries). Returns how many were removed.
int removeStalePageTemporaries(std::string_view runDirectory);

// Name of the program's own folder inside the per-user folders.
inline constexpr std::string_view kUserPageFolderName = "Arlo迷";

struct PlacedPage {
    PageWrite result = PageWrite::Failed;
    std::string path;  // where the page was written; on failure, the first folder's page path
};

// Deletes the page written last (`previousPath`, wherever it went; empty for none), then
// writes the page into the first of `folders` that takes it, making a missing per-user folder
// (readable by its owner only) on the way. The page bytes and file name are the same in
// every folder.
PlacedPage placePlayerPage(const std::string& previousPath, const std::vector<std::string>& folders,
                           PageTemplate which, std::string_view playId);

// The page is marked hidden where the file system has such an attribute. Linux file systems
// have none (a leading dot would change the file name, which must stay as it is), so this
// leaves the file alone there and reports success.
bool setHiddenAttribute(const std::string& path);

}  // namespace arlo::playback
