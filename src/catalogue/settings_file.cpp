#include "catalogue/settings_file.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <optional>
#include <vector>

#include "files/atomic_file.h"
#include "text/ascii.h"
#include "text/gbk.h"
#include "text/numbers.h"
#include "text/trim.h"

namespace arlo::catalogue {
namespace {

namespace fs = std::filesystem;

struct Line {
    std::size_t begin = 0;  // first byte of the line
    std::size_t end = 0;    // one past its last byte, line end excluded
    std::size_t next = 0;   // first byte of the following line
};

// A UTF-8 byte-order mark some editors put in front of the file. It is no part of the first
// line, and stays where it is when the file is written.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::size_t contentStart(const std::string& bytes) {
    return bytes.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
}

std::vector<Line> splitLines(const std::string& bytes) {
    std::vector<Line> lines;
    std::size_t pos = contentStart(bytes);
    while (pos < bytes.size()) {
        std::size_t nl = bytes.find('\n', pos);
        Line line;
        line.begin = pos;
        if (nl == std::string::npos) {
            line.end = bytes.size();
            line.next = bytes.size();
        } else {
            line.end = (nl > pos && bytes[nl - 1] == '\r') ? nl - 1 : nl;
            line.next = nl + 1;
        }
        lines.push_back(line);
        pos = line.next;
    }
    return lines;
}

// Compares two GBK names, ASCII letters without regard to case. Double-byte characters
// compare exactly (their trail bytes may look like letters).
bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (text::gbkCharLength(a, i) == 2) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1]) {
                return false;
            }
            ++i;
            continue;
        }
        if (text::toLowerAscii(a[i]) != text::toLowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

std::optional<std::string> sectionName(std::string_view trimmedLine) {
    if (trimmedLine.empty() || trimmedLine.front() != '[') {
        return std::nullopt;
    }
    // The "]" that closes the name is a character of its own, never the trail byte of a
    // double-byte character (the GBK form of "乚" is 81 5D).
    std::size_t close = 1;
    while (close < trimmedLine.size() && trimmedLine[close] != ']') {
        close += text::gbkCharLength(trimmedLine, close);
    }
    std::string_view inner = trimmedLine.substr(1, close - 1);
    return std::string(text::trimBlanks(inner));
}

// Where a key stands in the file.
struct KeySearch {
    bool sectionFound = false;
    std::size_t sectionLastContentLine = 0;  // index of the last non-blank line of the section
    std::optional<std::size_t> keyLine;
};

KeySearch findKey(const std::string& bytes, const std::vector<Line>& lines,
                  std::string_view section, std::string_view key) {
    KeySearch found;
    bool inSection = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string_view text(bytes.data() + lines[i].begin, lines[i].end - lines[i].begin);
        std::string_view trimmed = text::trimBlanks(text);
        if (auto name = sectionName(trimmed)) {
            if (found.sectionFound && inSection) {
                return found;  // the wanted section ended without the key
            }
            inSection = sameName(*name, section);
            if (inSection) {
                found.sectionFound = true;
                found.sectionLastContentLine = i;
            }
            continue;
        }
        if (!inSection) {
            continue;
        }
        if (!trimmed.empty()) {
            found.sectionLastContentLine = i;
        }
        const std::size_t eq = trimmed.find('=');
        if (eq != std::string_view::npos &&
            sameName(text::trimBlanks(trimmed.substr(0, eq)), key)) {
            found.keyLine = i;
            return found;
        }
    }
    return found;
}

// A small file of the user's, as read at start-up and before it is replaced.
struct FileBytes {
    enum class State { Read, Missing, Unreadable };
    State state = State::Unreadable;
    std::string bytes;
};

// Reads `path` when it is a regular file of at most `maxBytes` bytes. Anything else (a
// folder, a pipe, a device, a longer file, a read error) is unreadable, found out without
// waiting: nothing but a regular file is opened for reading, and the open cannot block.
FileBytes readSmallFile(const std::string& path, std::size_t maxBytes) {
    FileBytes result;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        if (errno == ENOENT) {
            result.state = FileBytes::State::Missing;
        }
        return result;
    }
    if (!S_ISREG(info.st_mode)) {
        return result;
    }
    // The name may have been replaced since: the checks are made again on what was opened.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) {
            result.state = FileBytes::State::Missing;
        }
        return result;
    }
    bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size >= 0 &&
              static_cast<std::uintmax_t>(info.st_size) <= maxBytes;
    std::string bytes;
    if (ok) {
        // Room for one byte more than the size shows a file that has grown since; it is
        // read on up to one byte beyond the limit.
        bytes.resize(static_cast<std::size_t>(info.st_size) + 1);
        std::size_t done = 0;
        while (ok) {
            if (done == bytes.size()) {
                if (bytes.size() > maxBytes) {
                    break;
                }
                bytes.resize(std::min(bytes.size() * 2, maxBytes + 1));
            }
            const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
            if (n < 0) {
                ok = errno == EINTR;
                continue;
            }
            if (n == 0) {
                break;
            }
            done += static_cast<std::size_t>(n);
        }
        ok = ok && done <= maxBytes;
        bytes.resize(done);
    }
    ::close(fd);
    if (ok) {
        result.state = FileBytes::State::Read;
        result.bytes = std::move(bytes);
    }
    return result;
}

std::string homeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        return home;
    }
    if (const passwd* pw = getpwuid(getuid()); pw != nullptr && pw->pw_dir != nullptr) {
        return pw->pw_dir;
    }
    return "/";
}

// XDG_DOCUMENTS_DIR from user-dirs.dirs: "$HOME/..." or an absolute path.
std::optional<std::string> xdgDocumentsFolder(const std::string& home) {
    std::string config;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && *xdg == '/') {
        config = xdg;
    } else {
        config = home + "/.config";
    }
    const FileBytes file = readSmallFile(config + "/user-dirs.dirs", kProfileFileMaxBytes);
    std::string_view rest = file.bytes;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        std::string_view l = text::trimBlanks(rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
        constexpr std::string_view kKey = "XDG_DOCUMENTS_DIR=";
        if (!l.starts_with(kKey)) {
            continue;
        }
        l.remove_prefix(kKey.size());
        if (l.size() >= 2 && l.front() == '"' && l.back() == '"') {
            l = l.substr(1, l.size() - 2);
        }
        std::string value;
        if (l.starts_with("$HOME")) {
            value = home + std::string(l.substr(5));
        } else if (l.starts_with("/")) {
            value = std::string(l);
        } else {
            return std::nullopt;
        }
        while (value.size() > 1 && value.back() == '/') {
            value.pop_back();
        }
        // A documents folder equal to the home folder means "not configured".
        if (value == home || value.empty()) {
            return std::nullopt;
        }
        return value;
    }
    return std::nullopt;
}

}  // namespace

std::string readProfileString(const std::string& path, std::string_view section,
                              std::string_view key, std::string_view fallback,
                              std::size_t maxBytes) {
    const auto gbkSection = text::utf8ToGbk(section);
    const auto gbkKey = text::utf8ToGbk(key);
    const FileBytes file = readSmallFile(path, kProfileFileMaxBytes);
    if (!gbkSection || !gbkKey || file.state != FileBytes::State::Read) {
        return std::string(fallback);
    }
    const std::string& bytes = file.bytes;
    const auto lines = splitLines(bytes);
    const KeySearch found = findKey(bytes, lines, *gbkSection, *gbkKey);
    if (!found.keyLine) {
        return std::string(fallback);
    }
    const Line& line = lines[*found.keyLine];
    std::string_view text(bytes.data() + line.begin, line.end - line.begin);
    std::string_view value =
        text::trimBlanks(text::trimBlanks(text).substr(text::trimBlanks(text).find('=') + 1));
    if (value.size() >= 2 && value.front() == value.back() &&
        (value.front() == '"' || value.front() == '\'')) {
        value = value.substr(1, value.size() - 2);
    }
    if (value.size() > maxBytes) {
        std::size_t cut = maxBytes;
        if (!text::isGbkCharStart(value, cut)) {
            --cut;  // never keep half of a double-byte character
        }
        value = value.substr(0, cut);
    }
    return text::gbkToUtf8Lossy(value);
}

bool writeProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value) {
    const auto gbkSection = text::utf8ToGbk(section);
    const auto gbkKey = text::utf8ToGbk(key);
    const auto gbkValue = text::utf8ToGbk(value);
    if (path.empty() || !gbkSection || !gbkKey || !gbkValue) {
        return false;
    }
    FileBytes file = readSmallFile(path, kProfileFileMaxBytes);
    if (file.state == FileBytes::State::Unreadable) {
        return false;  // never replace what could not be read
    }
    const std::string bytes = std::move(file.bytes);
    const std::string keyLine = *gbkKey + "=" + *gbkValue;
    const auto lines = splitLines(bytes);
    const KeySearch found = findKey(bytes, lines, *gbkSection, *gbkKey);
    std::string out;
    if (found.keyLine) {
        const Line& line = lines[*found.keyLine];
        out = bytes.substr(0, line.begin) + keyLine + bytes.substr(line.end);
    } else if (found.sectionFound) {
        const Line& last = lines[found.sectionLastContentLine];
        std::string insert = keyLine + "\r\n";
        if (last.next == last.end) {
            insert = "\r\n" + insert;  // the section's last line had no line end
        }
        out = bytes.substr(0, last.next) + insert + bytes.substr(last.next);
    } else {
        out = bytes;
        if (out.size() > contentStart(out) && out.back() != '\n') {
            out += "\r\n";
        }
        out += "[" + *gbkSection + "]\r\n" + keyLine + "\r\n";
    }
    return files::replaceFileAtomically(path, out).ok();
}

std::string documentsFolder() {
    const std::string home = homeFolder();
    std::string folder = xdgDocumentsFolder(home).value_or(home + "/Documents");
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (folder.empty() || folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

std::string settingsPathIn(std::string_view folder) {
    std::string path(folder);
    if (path.empty() || path.back() != '/') {
        path += '/';
    }
    return path + std::string(kSettingsFileName);
}

void loadInstalledVersion(Installation& state, std::string_view documentsFolderPath) {
    // Start-up goes on whatever happens here: the program's own version is the fallback.
    state.installedVersion = std::string(kProgramVersion);
    try {
        state.settingsPath = settingsPathIn(documentsFolderPath);
        // What an earlier run left behind when it ended while writing the file.
        files::removeStaleTemporaries(state.settingsPath);
        const std::string stored =
            readProfileString(state.settingsPath, kVersionSection, kVersionKey, "");
        if (stored.empty() ||
            !text::isNewerVersion(text::parseReal(stored), kProgramVersionNumber)) {
            writeProfileString(state.settingsPath, kVersionSection, kVersionKey, kProgramVersion);
            return;
        }
        state.installedVersion = stored;
    } catch (const std::exception&) {
        state.installedVersion = std::string(kProgramVersion);
    }
}

void loadInstalledVersion(Installation& state) {
    std::string folder;
    try {
        folder = documentsFolder();
    } catch (const std::exception&) {
        state.installedVersion = std::string(kProgramVersion);  // no Settings file to be had
        return;
    }
    loadInstalledVersion(state, folder);
}

}  // namespace arlo::catalogue
