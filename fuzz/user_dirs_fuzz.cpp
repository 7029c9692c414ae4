// The XDG user-dirs reader on an untrusted user-dirs.dirs, through documentsFolder with HOME
// and XDG_CONFIG_HOME in a folder of this target's own. The documents folder is the one a
// plain reading of the file names ("$HOME/..." or an absolute path, quotes around it, the
// home folder itself meaning none) or $HOME/Documents, ending with "/". Only files naming a
// folder inside the target's own are handed over: documentsFolder creates the folder.
#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "catalogue/settings_file.h"
#include "fuzz_support.h"
#include "text/split.h"
#include "text/trim.h"

using arlo::fuzz::require;
namespace fs = std::filesystem;

namespace {

std::string plainReading(std::string_view file, const std::string& home) {
    for (const std::string_view raw : arlo::text::split(file, "\n")) {
        std::string_view line = arlo::text::trimBlanks(raw);
        if (!line.starts_with("XDG_DOCUMENTS_DIR=")) {
            continue;
        }
        line.remove_prefix(18);
        if (line.size() > 1 && line.front() == '"' && line.back() == '"') {
            line = line.substr(1, line.size() - 2);
        }
        std::string value = line.starts_with("$HOME") ? home + std::string(line.substr(5))
                            : line.starts_with('/')   ? std::string(line)
                                                      : home;
        while (value.size() > 1 && value.back() == '/') {
            value.pop_back();
        }
        return value.empty() || value == home ? home + "/Documents" : value;
    }
    return home + "/Documents";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Kept to the end, and removed then, after the static destructors.
    static const std::string* const homeMade = [] {
        std::string name = (fs::exists("/dev/shm") ? "/dev/shm" : "/tmp") +
                           std::string("/arlo_user_dirs_fuzz.XXXXXX");
        const std::string made(::mkdtemp(name.data()));
        fs::create_directories(made + "/config");
        ::setenv("HOME", made.c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (made + "/config").c_str(), 1);
        std::atexit([] { fs::remove_all(*homeMade); });
        return new std::string(made);
    }();
    const std::string& home = *homeMade;
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    const std::string expected = plainReading(file, home);
    if (!expected.starts_with(home + "/") || expected.find("/..") != std::string::npos ||
        expected.find('\0') != std::string::npos || expected.starts_with(home + "/config")) {
        return 0;
    }
    std::ofstream(home + "/config/user-dirs.dirs", std::ios::binary | std::ios::trunc) << file;
    const std::string folder = arlo::catalogue::documentsFolder();
    require(folder == expected + "/", "the documents folder the file names");
    for (const auto& entry : fs::directory_iterator(home)) {
        if (entry.path().filename() != "config") {
            fs::remove_all(entry.path());
        }
    }
    return 0;
}
