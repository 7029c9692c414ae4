#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The Settings file: a profile (ini) file in the user's Documents folder, kept in GBK with
// CR LF line ends: "[section]" lines, "key=value" lines, section and key names matched
// without regard to ASCII letter case, everything else in the file kept byte for byte.
// Only a regular file of at most kProfileFileMaxBytes is read; anything else of that name
// (a folder, a pipe, a device, a longer file) is unreadable and never replaced. A UTF-8
// byte-order mark in front of the first line is passed over (and kept).
namespace arlo::catalogue {

inline constexpr std::string_view kSettingsFileName = "Arlo迷_配置.ini";
inline constexpr std::string_view kVersionSection = "版本号";
inline constexpr std::string_view kVersionKey = "版本号";
inline constexpr std::size_t kProfileReadLimit = 10239;
inline constexpr std::size_t kProfileFileMaxBytes = std::size_t{1} << 20;

// The program's own version.
inline constexpr std::string_view kProgramVersion = "1.1";
inline constexpr double kProgramVersionNumber = 1.1;

// Where the Settings file lives and the version it records for this installation; both fixed
// once start-up has read them.
struct Installation {
    std::string settingsPath;
    std::string installedVersion;
};

// Reads `key` of `section`; `fallback` when the file is missing or unreadable, or the section
// or key is missing. Names and value are UTF-8 here and GBK in the file. A value longer than
// `maxBytes` GBK bytes is cut.
std::string readProfileString(const std::string& path, std::string_view section,
                              std::string_view key, std::string_view fallback,
                              std::size_t maxBytes = kProfileReadLimit);

// Writes `key`=`value` into `section`, creating the file and the section when missing. The
// file is replaced through a temporary file and a rename, so it is never left half-written;
// a symbolic link is written through, the file's permissions are kept, and a read-only file
// is left as it is. False when the file is unreadable, read-only or cannot be written, or a
// text has no GBK form.
bool writeProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value);

// The user's Documents folder, ending with "/": the XDG documents folder, or $HOME/Documents
// when none is configured. Created when missing (a failure to create it is not an error here;
// the Settings file operations then fail and report it).
std::string documentsFolder();

// `folder` + the Settings file name, with exactly one separator between them.
std::string settingsPathIn(std::string_view folder);

// Start-up step: sets `settingsPath` and `installedVersion`. A stored version that is not
// newer than the program's own (empty, not a number, 1.05, 1.1) is repaired to "1.1"; a
// newer one is kept unchanged in memory and in the file. An unreadable file counts as "1.1"
// and stays as it is. Write failures are ignored; nothing is thrown and nothing waits.
// Temporary files that an earlier run left beside the Settings file when it ended while
// writing it are removed first (files::removeStaleTemporaries).
void loadInstalledVersion(Installation& state, std::string_view documentsFolderPath);
void loadInstalledVersion(Installation& state);

}  // namespace arlo::catalogue
