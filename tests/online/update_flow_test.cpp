#include "online/update_flow.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

#include "standin/services.h"
#include "standin/standin_environment.h"

namespace arlo::online {
namespace {

namespace fs = std::filesystem;
using standin::DownloadFault;

std::string fileContent(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class UpdateFlow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(standin.ok());
        char pattern[] = "/tmp/arlo-flow-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        runDirectory = pattern;
        executable = runDirectory + "/Arlo迷";
        fs::copy_file(ARLO_UPDATE_DRIVER, executable);
    }
    void TearDown() override { fs::remove_all(runDirectory); }

    standin::StandinEnvironment standin;
    std::string runDirectory;
    std::string executable;
};

// Each step's failure is the flow's one outcome, with what was reported up to it.
TEST_F(UpdateFlow, theOutcomeNamesTheStepThatFailedAndWhy) {
    const std::string payload = fileContent(ARLO_UPDATE_PAYLOAD);
    const struct {
        const char* name;
        DownloadFault fault;
        bool probeAnswersNormally;
        bool stopped;
        bool executableThere;
        bool newOneCrashes;
        std::optional<UpdateFailure> failure;
        bool sized;
        bool downloaded;
    } rows[] = {
        {"stopped", DownloadFault::None, false, true, true, false,
         UpdateFailure{UpdateStep::Probe, UpdateWhy::Stopped}, false, false},
        {"probe 404", DownloadFault::NotFound, false, false, true, false,
         UpdateFailure{UpdateStep::Probe, UpdateWhy::NoAnswer}, false, false},
        {"probe 999", DownloadFault::Size999, false, false, true, false,
         UpdateFailure{UpdateStep::Probe, UpdateWhy::SizeRefused}, false, false},
        {"cut short", DownloadFault::CutShort, true, false, true, false,
         UpdateFailure{UpdateStep::Download, UpdateWhy::NoAnswer}, true, false},
        {"other size", DownloadFault::Size999, true, false, true, false,
         UpdateFailure{UpdateStep::Download, UpdateWhy::SizeRefused}, true, false},
        {"html page", DownloadFault::HtmlPage, false, false, true, false,
         UpdateFailure{UpdateStep::Download, UpdateWhy::NotAnExecutable}, true, false},
        {"no executable", DownloadFault::None, false, false, false, false,
         UpdateFailure{UpdateStep::Replace, UpdateWhy::NotReplaced}, true, true},
        {"dies at once", DownloadFault::None, false, false, true, true,
         UpdateFailure{UpdateStep::Start, UpdateWhy::DiedAtStart}, true, true},
        {"updated", DownloadFault::None, false, false, true, false, std::nullopt, true, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        standin::setReleaseDownload(standin.server(),
                                    {payload, row.fault, -1, row.probeAnswersNormally});
        if (!row.executableThere) {
            fs::remove(executable);
        }
        if (row.newOneCrashes) {
            ::setenv("ARLO_TEST_PAYLOAD_CRASHES", "1", 1);
        }
        UpdatePlan plan;
        plan.download.address = standin::downloadAddressFor("1.2");
        plan.download.pauses.clear();
        plan.executable = executable;
        std::int64_t sized = -1;
        bool downloaded = false;
        const UpdateReports reports{[&sized](std::int64_t bytes) { sized = bytes; },
                                    {},
                                    [&downloaded] { downloaded = true; }};
        const StopFlag stop = row.stopped;
        auto lock = lockForUpdate(runDirectory);
        ASSERT_TRUE(lock);
        const auto outcome = runUpdate(**lock, plan, reports, &stop);
        ::unsetenv("ARLO_TEST_PAYLOAD_CRASHES");
        if (row.failure) {
            ASSERT_FALSE(outcome);
            EXPECT_EQ(outcome.why(), *row.failure);
        } else {
            EXPECT_TRUE(outcome);
            EXPECT_EQ(fileContent(executable), payload);
        }
        EXPECT_EQ(sized >= 0, row.sized);
        EXPECT_EQ(downloaded, row.downloaded);
        EXPECT_FALSE(fs::exists(downloadPathIn(runDirectory)));
        fs::remove(executable);
        fs::copy_file(ARLO_UPDATE_DRIVER, executable);
    }
}

TEST_F(UpdateFlow, theLockIsRefusedInADirectoryThatCannotChangeOrIsBusy) {
    const UpdateLock other(runDirectory);
    const auto busy = lockForUpdate(runDirectory);
    ASSERT_FALSE(busy);
    EXPECT_EQ(busy.why(), (UpdateFailure{UpdateStep::Lock, UpdateWhy::AnotherUpdate}));
    const auto missing = lockForUpdate(runDirectory + "/gone");
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.why(), (UpdateFailure{UpdateStep::Lock, UpdateWhy::ReadOnly}));
}

}  // namespace
}  // namespace arlo::online
