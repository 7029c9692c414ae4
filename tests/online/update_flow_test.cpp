#include "online/update_flow.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

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
    }
    void TearDown() override { fs::remove_all(runDirectory); }

    standin::StandinEnvironment standin;
    std::string runDirectory;
};

// The outcome names the step that failed and why; the reports come up to that step.
TEST_F(UpdateFlow, theOutcomeNamesTheStepThatFailedAndWhy) {
    using enum UpdateStep;
    using enum UpdateWhy;
    enum class Also { Nothing, Stopped, NoExecutable, NewOneDies };
    const std::string payload = fileContent(ARLO_UPDATE_PAYLOAD);
    const std::string executable = runDirectory + "/Arlo迷";
    const struct {
        DownloadFault fault;
        bool probeAnswersNormally;
        Also also;
        UpdateFailure failure;  // step Lock: none, the update is done
    } rows[] = {
        {DownloadFault::None, false, Also::Stopped, {Probe, Stopped}},
        {DownloadFault::NotFound, false, Also::Nothing, {Probe, NoAnswer}},
        {DownloadFault::Size999, false, Also::Nothing, {Probe, SizeRefused}},
        {DownloadFault::CutShort, true, Also::Nothing, {Download, NoAnswer}},
        {DownloadFault::Size999, true, Also::Nothing, {Download, SizeRefused}},
        {DownloadFault::HtmlPage, false, Also::Nothing, {Download, NotAnExecutable}},
        {DownloadFault::None, false, Also::NoExecutable, {Replace, NotReplaced}},
        {DownloadFault::None, false, Also::NewOneDies, {Start, DiedAtStart}},
        {DownloadFault::None, false, Also::Nothing, {Lock, NoLock}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.failure.why));
        standin::setReleaseDownload(standin.server(),
                                    {payload, row.fault, -1, row.probeAnswersNormally});
        if (row.also != Also::NoExecutable) {
            fs::copy_file(ARLO_UPDATE_DRIVER, executable);
        }
        if (row.also == Also::NewOneDies) {
            ::setenv("ARLO_TEST_PAYLOAD_CRASHES", "1", 1);
        }
        UpdatePlan plan{.download = {}, .executable = executable};
        plan.download.address = standin::downloadAddressFor("1.2");
        plan.download.pauses = {};
        bool sized = false;
        bool downloaded = false;
        const UpdateReports reports{
            [&sized](std::int64_t) { sized = true; }, {}, [&downloaded] { downloaded = true; }};
        const StopFlag stop = row.also == Also::Stopped;
        const auto outcome = runUpdate(*lockForUpdate(runDirectory).value(), plan, reports, &stop);
        ::unsetenv("ARLO_TEST_PAYLOAD_CRASHES");
        const bool done = row.failure.step == Lock;
        EXPECT_EQ(outcome.ok(), done);
        if (!done) {
            EXPECT_EQ(outcome.why(), row.failure);
        }
        EXPECT_EQ(sized, done || row.failure.step > Probe);
        EXPECT_EQ(downloaded, done || row.failure.step > Download);
        // A new executable that dies at its start stays in place; the user is told.
        EXPECT_EQ(fileContent(executable) == payload, done || row.failure.step == Start);
        EXPECT_FALSE(fs::exists(downloadPathIn(runDirectory)));
        fs::remove(executable);
    }
}

TEST_F(UpdateFlow, theLockIsRefusedInADirectoryThatCannotChangeOrIsBusy) {
    const UpdateLock other(runDirectory);
    EXPECT_EQ(lockForUpdate(runDirectory).why(),
              (UpdateFailure{UpdateStep::Lock, UpdateWhy::AnotherUpdate}));
    EXPECT_EQ(lockForUpdate(runDirectory + "/gone").why(),
              (UpdateFailure{UpdateStep::Lock, UpdateWhy::ReadOnly}));
}

}  // namespace
}  // namespace arlo::online
