#include "online/update_flow.h"

namespace arlo::online {
namespace {

Failure<UpdateFailure> failed(UpdateStep step, UpdateWhy why) {
    return fail(UpdateFailure{step, why});
}

}  // namespace

Result<std::unique_ptr<UpdateLock>, UpdateFailure> lockForUpdate(const std::string& runDirectory) {
    // An installation this user cannot change is not downloaded at all, nor one that another
    // copy of the program is updating.
    if (!canReplaceIn(runDirectory)) {
        return failed(UpdateStep::Lock, UpdateWhy::ReadOnly);
    }
    auto lock = std::make_unique<UpdateLock>(runDirectory);
    switch (lock->state()) {
        case UpdateLock::State::Held:
            return lock;
        case UpdateLock::State::Busy:
            return failed(UpdateStep::Lock, UpdateWhy::AnotherUpdate);
        case UpdateLock::State::Failed:
            break;
    }
    return failed(UpdateStep::Lock, UpdateWhy::NoLock);
}

Result<void, UpdateFailure> runUpdate(const UpdateLock& lock, const UpdatePlan& plan,
                                      const UpdateReports& reports, const StopFlag* stop) {
    const Result<std::string, UpdateWhy> length =
        probeDownloadSize(plan.download.address, plan.download.referer, stop);
    if (!length) {
        return failed(UpdateStep::Probe, length.why());
    }
    const std::optional<std::int64_t> size = acceptedDownloadSize(*length);
    if (!size) {
        return failed(UpdateStep::Probe, UpdateWhy::SizeRefused);
    }
    if (reports.sized) {
        reports.sized(*size);
    }
    DownloadPlan download = plan.download;
    download.expectedBytes = *size;
    net::ProgressCallback progress;
    if (reports.progress) {
        progress = [&reports](int, std::int64_t, std::int64_t done, std::int64_t elapsedMs) {
            reports.progress(done, elapsedMs);
        };
    }
    Result<std::unique_ptr<DownloadFile>, UpdateWhy> file =
        downloadUpdate(download, lock, progress, stop);
    if (!file) {
        return failed(UpdateStep::Download, file.why());
    }
    if (reports.downloaded) {
        reports.downloaded();
    }
    if (!replaceExecutable(**file, plan.executable)) {
        return failed(UpdateStep::Replace, UpdateWhy::NotReplaced);
    }
    // The new executable is watched for a moment; the program ends only once it is seen running.
    if (!startDetached(plan.executable)) {
        return failed(UpdateStep::Start, UpdateWhy::DiedAtStart);
    }
    return {};
}

}  // namespace arlo::online
