// The Settings reader and writer on an untrusted file (fields: file, section, key, value,
// another section, another key), in a folder of its own. A plain entry written reads back
// as written; any other entry reads the same before and after; a refused write leaves the
// file byte for byte.
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "catalogue/settings_file.h"
#include "fuzz_support.h"
#include "text/ascii.h"
#include "text/gbk.h"

using arlo::fuzz::require;
namespace catalogue = arlo::catalogue;

namespace {

// A name the file can hold: GBK, no character the file's syntax uses, no blank at its ends.
bool plain(std::string_view text, bool isName) {
    const std::string_view syntax = isName ? "[]=\r\n" : "\r\n";
    return arlo::text::utf8ToGbk(text) && text.find_first_of(syntax) == std::string_view::npos &&
           !(isName && text.empty()) && text.find_first_of(" \t\"'") != 0 &&
           (text.empty() || std::string_view(" \t\"'").find(text.back()) == std::string_view::npos);
}

std::string contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Kept to the end, and removed then, after the static destructors.
    static const std::string* const folderMade = [] {
        std::string name = (std::filesystem::exists("/dev/shm") ? "/dev/shm" : "/tmp") +
                           std::string("/arlo_settings_fuzz.XXXXXX");
        std::atexit([] { std::filesystem::remove_all(*folderMade); });
        return new std::string(::mkdtemp(name.data()));
    }();
    const std::string& folder = *folderMade;
    const std::string path = catalogue::settingsPathIn(folder);
    const auto f = arlo::fuzz::fields(data, size, 6);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << f[0];
    constexpr std::string_view kNone = "\x01none";
    const std::string otherBefore = catalogue::readProfileString(path, f[4], f[5], kNone);
    const bool written = catalogue::writeProfileString(path, f[1], f[2], f[3]);
    if (!written) {
        require(contents(path) == f[0], "a refused write leaves the file as it was");
        return 0;
    }
    // Names and values holding the file's syntax are the caller's to avoid: nothing is checked.
    if (!plain(f[1], true) || !plain(f[2], true) ||
        f[3].find_first_of("\r\n") != std::string_view::npos) {
        return 0;
    }
    if (plain(f[3], false)) {
        require(catalogue::readProfileString(path, f[1], f[2], kNone) == f[3],
                "the entry reads back as written");
    }
    const bool sameEntry = arlo::text::toLowerAscii(f[1]) == arlo::text::toLowerAscii(f[4]) &&
                           arlo::text::toLowerAscii(f[2]) == arlo::text::toLowerAscii(f[5]);
    if (plain(f[4], true) && plain(f[5], true) && !sameEntry) {
        require(catalogue::readProfileString(path, f[4], f[5], kNone) == otherBefore,
                "another entry is left as it was");
    }
    return 0;
}
