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
    using online::UpdateStep;
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
    if (outcome) {
        return 0;
    }
    switch (outcome.why().step) {
        case UpdateStep::Lock:
            return 5;
        case UpdateStep::Probe:
            return 2;
        case UpdateStep::Download:
            return 3;
        case UpdateStep::Replace:
            return 4;
        case UpdateStep::Start:
            break;
    }
    return 6;
}
