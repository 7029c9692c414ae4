#include "catalogue/watch_history.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#include <cstdlib>

#include "catalogue/vocabulary.h"
#include "files/atomic_file.h"
#include "text/split.h"

namespace arlo::catalogue {
namespace {

int listIndex(std::string_view language) {
    if (language == kLanguageJapanese) {
        return 0;
    }
    return language == kLanguageMandarin ? 1 : -1;
}

constexpr std::array<std::string_view, 2> kListNames{kLanguageJapanese, kLanguageMandarin};

// A whole decimal number within 0..limit; -1 otherwise.
int parseCount(std::string_view text, int limit) {
    int value = -1;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 0 ||
        value > limit) {
        return -1;
    }
    return value;
}

// The played rows as 1-based episode numbers in runs: "1-40,42"; "-" for none.
std::string runsText(const std::vector<bool>& played) {
    std::string text;
    const int count = static_cast<int>(played.size());
    for (int row = 0; row < count;) {
        if (!played[static_cast<std::size_t>(row)]) {
            ++row;
            continue;
        }
        int end = row;
        while (end + 1 < count && played[static_cast<std::size_t>(end + 1)]) {
            ++end;
        }
        text += text.empty() ? "" : ",";
        text += std::to_string(row + 1);
        if (end > row) {
            text += "-" + std::to_string(end + 1);
        }
        row = end + 1;
    }
    return text.empty() ? "-" : text;
}

// Reads "1-40,42" into `played`; false when any part is not a run of numbers 1..kHistoryMaxRows
// in order.
bool readRuns(std::string_view text, std::vector<bool>& played) {
    if (text == "-") {
        return true;
    }
    if (text.empty() || text.back() == ',') {
        return false;
    }
    for (const std::string_view run : text::split(text, ",")) {
        const auto dash = run.find('-');
        const int first = parseCount(run.substr(0, dash), kHistoryMaxRows);
        const int last = dash == std::string_view::npos
                             ? first
                             : parseCount(run.substr(dash + 1), kHistoryMaxRows);
        if (first < 1 || last < first) {
            return false;
        }
        if (played.size() < static_cast<std::size_t>(last)) {
            played.resize(static_cast<std::size_t>(last));
        }
        for (int number = first; number <= last; ++number) {
            played[static_cast<std::size_t>(number - 1)] = true;
        }
    }
    return true;
}

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

}  // namespace

bool WatchHistory::recordPlay(std::string_view language, int row) {
    const int list = listIndex(language);
    if (list < 0 || row < 0 || row >= kHistoryMaxRows) {
        return false;
    }
    ListHistory& history = lists_[static_cast<std::size_t>(list)];
    if (history.played.size() <= static_cast<std::size_t>(row)) {
        history.played.resize(static_cast<std::size_t>(row) + 1);
    }
    history.played[static_cast<std::size_t>(row)] = true;
    history.last = row;
    return true;
}

const ListHistory& WatchHistory::of(std::string_view language) const {
    static const ListHistory kNone;
    const int list = listIndex(language);
    return list < 0 ? kNone : lists_[static_cast<std::size_t>(list)];
}

// "Arlo迷 history 1", then a line per list: its name, the last episode number played (0 for
// none) and the played episode numbers in runs.
std::string WatchHistory::toText() const {
    std::string text = std::string(kHistoryFirstLine) + "\n";
    for (std::size_t list = 0; list < lists_.size(); ++list) {
        const ListHistory& history = lists_[list];
        text += std::string(kListNames[list]) + " " + std::to_string(history.last + 1) + " " +
                runsText(history.played) + "\n";
    }
    return text;
}

WatchHistory WatchHistory::fromText(std::string_view text) {
    const std::vector<std::string_view> lines = text::split(text, "\n");
    if (lines.empty() || lines.front() != kHistoryFirstLine) {
        return {};
    }
    WatchHistory history;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::vector<std::string_view> fields = text::split(lines[i], " ");
        const int list = fields.size() == 3 ? listIndex(fields[0]) : -1;
        const int last = fields.size() == 3 ? parseCount(fields[1], kHistoryMaxRows) : -1;
        ListHistory read;
        if (list < 0 || last < 0 || !readRuns(fields[2], read.played)) {
            return {};
        }
        read.last = last - 1;
        // The last episode is one of the played ones, or none.
        if (read.last >= 0 && !read.wasPlayed(read.last)) {
            return {};
        }
        history.lists_[static_cast<std::size_t>(list)] = std::move(read);
    }
    return history;
}

std::string historyFilePath() {
    std::string state = environment("XDG_STATE_HOME");
    if (state.empty() || state.front() != '/') {
        const std::string home = environment("HOME");
        if (home.empty() || home.front() != '/') {
            return {};
        }
        state = home + "/.local/state";
    }
    return state + "/" + std::string(kHistoryFolderName) + "/" + std::string(kHistoryFileName);
}

WatchHistory readHistory(const std::string& path, std::size_t maxBytes) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return {};
    }
    struct stat info {};
    std::string bytes;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size >= 0 &&
        static_cast<std::size_t>(info.st_size) <= maxBytes) {
        // One byte more than the bound shows a file that grew since fstat.
        bytes.resize(maxBytes + 1);
        std::size_t got = 0;
        while (got < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
            if (n <= 0) {
                got = n < 0 ? bytes.size() : got;  // an unreadable file counts as too long
                break;
            }
            got += static_cast<std::size_t>(n);
        }
        bytes.resize(got <= maxBytes ? got : 0);
    }
    ::close(fd);
    return WatchHistory::fromText(bytes);
}

bool writeHistory(const std::string& path, const WatchHistory& history) {
    const auto slash = path.find_last_of('/');
    if (path.empty() || slash == std::string::npos ||
        (slash > 0 && !files::makeOwnFolder(path.substr(0, slash)))) {
        return false;
    }
    return files::replaceFileAtomically(path, history.toText()).ok();
}

}  // namespace arlo::catalogue
