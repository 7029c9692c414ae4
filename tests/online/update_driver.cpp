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

#include "online/update_flow.h"

int main(int argc, char** argv) {
    using namespace arlo;
    if (argc < 2) {
        return 64;
    }
    if (std::string(argv[1]) == "--check") {
        return 0;
    }
    online::UpdatePlan plan;
    plan.executable = online::runningExecutablePath();
    plan.download.address = argv[1];
    plan.download.referer = "http://space.arlo.invalid/";
    if (argc > 2) {
        const std::chrono::milliseconds pause(std::atoi(argv[2]));
        plan.download.pauses = {pause, pause * 2, pause * 4};
    }
    if (argc > 5) {
        plan.download.publicKey = argv[3];
        plan.download.signature = argv[4];
        plan.download.version = argv[5];
    }
    const auto lock =
        online::lockForUpdate(std::filesystem::path(plan.executable).parent_path().string());
    if (!lock) {
        return lock.why().why == online::UpdateWhy::AnotherUpdate ? 7 : 5;
    }
    const auto outcome = online::runUpdate(**lock, plan, {});
    // By the failed step: Lock, Probe, Download, Replace, Start.
    constexpr int kExitCodes[] = {5, 2, 3, 4, 6};
    return outcome ? 0 : kExitCodes[static_cast<int>(outcome.why().step)];
}
