// The "old executable" of the self-update tests: it updates itself the way the program does.
//
//   update_driver --check                         exits 0 (the file is runnable)
//   update_driver ADDRESS [PAUSE_MS [KEY SIGNATURE VERSION]]
//
// Exit codes: 0 replaced and the new executable started, 2 the size probe failed, 3 the
// download failed, 4 the replacement failed, 5 the run directory cannot be written, 6 the new
// executable did not start, 7 another update is under way in the run directory.
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "online/self_update.h"

int main(int argc, char** argv) {
    using namespace arlo;
    if (argc < 2) {
        return 64;
    }
    if (std::string(argv[1]) == "--check") {
        return 0;
    }
    const std::string address = argv[1];
    const std::string executable = online::runningExecutablePath();
    const std::string directory = std::filesystem::path(executable).parent_path().string();
    if (!online::canReplaceIn(directory)) {
        return 5;
    }
    const online::UpdateLock lock(directory);
    if (!lock.held()) {
        return lock.state() == online::UpdateLock::State::Busy ? 7 : 5;
    }
    const std::string referer = "http://space.arlo.invalid/";
    const auto size = online::acceptedDownloadSize(online::probeDownloadSize(address, referer));
    if (!size) {
        return 2;
    }
    online::DownloadPlan plan;
    plan.address = address;
    plan.referer = referer;
    plan.expectedBytes = *size;
    if (argc > 2) {
        const std::chrono::milliseconds pause(std::atoi(argv[2]));
        plan.pauses = {pause, pause * 2, pause * 4};
    }
    if (argc > 5) {
        plan.publicKey = argv[3];
        plan.signature = argv[4];
        plan.version = argv[5];
    }
    const auto file = online::downloadUpdate(plan, lock, {});
    if (!file) {
        return 3;
    }
    if (!online::replaceExecutable(*file, executable)) {
        return 4;
    }
    return online::startDetached(executable) ? 0 : 6;
}
