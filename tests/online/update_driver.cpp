// The "old executable" of the self-update tests: it updates itself the way the program does.
//
//   update_driver --check                         exits 0 (the file is runnable)
//   update_driver ADDRESS [PAUSE_MS [KEY SIGNATURE]]
//
// Exit codes: 0 replaced and the new executable started, 2 the size probe failed, 3 the
// download failed, 4 the replacement failed, 5 the run directory cannot be written.
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "online/self_update.h"
#include "text/numbers.h"

int main(int argc, char** argv) {
    using namespace arlo;
    if (argc < 2) {
        return 64;
    }
    if (std::string(argv[1]) == "--check") {
        return 0;
    }
    const std::string address = argv[1];
    const std::string length = online::probeDownloadSize(address);
    if (!online::probeAccepts(length)) {
        return 2;
    }
    const std::string executable = online::runningExecutablePath();
    const std::string directory = std::filesystem::path(executable).parent_path().string();
    if (!online::canReplaceIn(directory)) {
        return 5;
    }
    online::DownloadPlan plan;
    plan.address = address;
    plan.runDirectory = directory;
    plan.referer = "http://space.arlo.invalid/";
    plan.expectedBytes = static_cast<std::int64_t>(text::parseReal(length));
    if (argc > 2) {
        const std::chrono::milliseconds pause(std::atoi(argv[2]));
        plan.pauses = {pause, pause * 2, pause * 4};
    }
    if (argc > 4) {
        plan.publicKey = argv[3];
        plan.signature = argv[4];
    }
    if (!online::downloadUpdate(plan, {})) {
        return 3;
    }
    if (!online::replaceExecutable(directory + "/" + std::string(online::kDownloadFileName),
                                   executable)) {
        return 4;
    }
    online::startDetached(executable);
    return 0;
}
