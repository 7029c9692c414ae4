#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "base/result.h"
#include "online/self_update.h"
#include "online/update_files.h"

// The self-update as one flow: the run directory's lock is taken where the user asks for the
// update; the size probe, the download with its retries, the checks, the replacement and the
// start of the new executable then run one after another on a worker, which reports progress
// and one outcome: done, or the step that failed and why.
namespace arlo::online {

enum class UpdateStep { Lock, Probe, Download, Replace, Start };

struct UpdateFailure {
    UpdateStep step = UpdateStep::Lock;
    UpdateWhy why = UpdateWhy::NoLock;
    bool operator==(const UpdateFailure&) const = default;
};

// The lock of `runDirectory` for one update, when this user may change the directory and no
// other update holds it.
Result<std::unique_ptr<UpdateLock>, UpdateFailure> lockForUpdate(const std::string& runDirectory);

struct UpdatePlan {
    // Everything but expectedBytes, which the probe gives.
    DownloadPlan download;
    // The executable that is replaced and then started.
    std::string executable;
};

// What the flow tells while it runs, on its own thread; each may be empty.
struct UpdateReports {
    // The probe's size was taken: the download begins.
    std::function<void(std::int64_t totalBytes)> sized;
    // Bytes of the current attempt so far, milliseconds since it began.
    std::function<void(std::int64_t done, std::int64_t elapsedMs)> progress;
    // The file passed its checks: it is put in place now, and nothing is left to call off.
    std::function<void()> downloaded;
};

// Probes the size (probeDownloadSize, acceptedDownloadSize), downloads (downloadUpdate),
// replaces plan.executable (replaceExecutable) and starts it (startDetached), while `lock` is
// held. `stop` ends the probe and the download at once (Stopped); once the file passed its
// checks the flow runs to its end.
Result<void, UpdateFailure> runUpdate(const UpdateLock& lock, const UpdatePlan& plan,
                                      const UpdateReports& reports, const StopFlag* stop = nullptr);

}  // namespace arlo::online
