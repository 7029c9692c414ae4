#include "online/self_update.h"

#include <elf.h>
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <thread>

#include "standin/server.h"
#include "standin/services.h"
#include "standin/standin_environment.h"

extern char** environ;

namespace arlo::online {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

constexpr std::string_view kReferer = "http://space.arlo.invalid/";

std::string fileContent(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const fs::path& path, const std::string& bytes, fs::perms perms = fs::perms(0755)) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    fs::permissions(path, perms);
}

// What a file check refused the file for; nothing when it accepted it.
std::optional<UpdateWhy> refusal(const Result<void, UpdateWhy>& checked) {
    return checked ? std::nullopt : std::optional(checked.why());
}

std::string sha512(const std::string& bytes) {
    std::string digest(64, '\0');
    EVP_Digest(bytes.data(), bytes.size(), reinterpret_cast<unsigned char*>(digest.data()), nullptr,
               EVP_sha512(), nullptr);
    return digest;
}

// What a release's signature covers.
std::string signedMessage(const std::string& version, const std::string& file) {
    return "Arlo迷 update " + version + "\n" + sha512(file);
}

std::string base64(const std::string& bytes) {
    std::string out(4 * ((bytes.size() + 2) / 3) + 1, '\0');
    const int n = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                                  reinterpret_cast<const unsigned char*>(bytes.data()),
                                  static_cast<int>(bytes.size()));
    out.resize(static_cast<std::size_t>(n));
    return out;
}

// An Ed25519 key pair: the base64 raw public key, and signatures made with it.
class SigningKey {
public:
    SigningKey() {
        EVP_PKEY_CTX* ctx = EVP_PKEY_CTX_new_id(EVP_PKEY_ED25519, nullptr);
        EVP_PKEY_keygen_init(ctx);
        EVP_PKEY_keygen(ctx, &key_);
        EVP_PKEY_CTX_free(ctx);
    }
    ~SigningKey() { EVP_PKEY_free(key_); }
    SigningKey(const SigningKey&) = delete;
    SigningKey& operator=(const SigningKey&) = delete;

    std::string publicKey() const {
        std::string raw(32, '\0');
        std::size_t length = raw.size();
        EVP_PKEY_get_raw_public_key(key_, reinterpret_cast<unsigned char*>(raw.data()), &length);
        return base64(raw);
    }
    std::string sign(const std::string& message) const {
        std::string signature(64, '\0');
        std::size_t length = signature.size();
        EVP_MD_CTX* ctx = EVP_MD_CTX_new();
        EVP_DigestSignInit(ctx, nullptr, nullptr, nullptr, key_);
        EVP_DigestSign(ctx, reinterpret_cast<unsigned char*>(signature.data()), &length,
                       reinterpret_cast<const unsigned char*>(message.data()), message.size());
        EVP_MD_CTX_free(ctx);
        return base64(signature);
    }

private:
    EVP_PKEY* key_ = nullptr;
};

// Runs `program` with `args`; its pid.
pid_t spawn(const std::string& program, const std::vector<std::string>& args) {
    std::vector<std::string> all = {program};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) {
        return -1;
    }
    return pid;
}

// The exit code, or -signal.
int waitFor(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

int run(const std::string& program, const std::vector<std::string>& args) {
    const pid_t pid = spawn(program, args);
    return pid > 0 ? waitFor(pid) : -1000;
}

TEST(ProgressTexts, sizesSpeedsAndTimesReadAsTheWindowShowsThem) {
    EXPECT_EQ(sizeText(1023), "1023 B");
    EXPECT_EQ(sizeText(1024), "1 KB");
    EXPECT_EQ(sizeText(1536), "1.5 KB");
    EXPECT_EQ(sizeText(1048576), "1 MB");
    EXPECT_EQ(sizeText(1073741824), "1 GB");
    EXPECT_EQ(sizeText(1048575), "1024 KB");
    EXPECT_EQ(speedText(999), "<1KB/s");
    EXPECT_EQ(speedText(1000), "1K/s");
    EXPECT_EQ(speedText(1023999), "1000K/s");
    EXPECT_EQ(speedText(1024000), "1M/s");
    EXPECT_EQ(speedText(1536000), "1.5M/s");
    EXPECT_EQ(speedText(1048576000), "1G/s");
    EXPECT_EQ(timeText(5), "00:00:05");
    EXPECT_EQ(timeText(65), "00:01:05");
    EXPECT_EQ(timeText(3725), "01:02:05");
    EXPECT_EQ(timeText(360000), "100:00:00");
}

TEST(ProgressTexts, aStatusLineJoinsSizeSpeedAndTimeWithTheirSpaces) {
    const ProgressView view = progressView(1572864, 3000, 3145728, sizeText(3145728));
    EXPECT_EQ(view.status,
              "1.5 MB/3 MB" + std::string(12, ' ') + "512K/s" + std::string(22, ' ') + "00:00:03");
    EXPECT_EQ(view.bar, 50);
    EXPECT_EQ(view.percentage, "50%");

    const ProgressView third = progressView(1000, 1000, 3000, "2.93 KB");
    EXPECT_EQ(third.percentage, "33.3%");
    EXPECT_EQ(third.bar, 33);
}

TEST(ProgressTexts, noTimeOrNoSpeedYetNeverDividesByZero) {
    const ProgressView start = progressView(0, 0, 5000, "4.88 KB");
    EXPECT_EQ(start.status,
              "0 B/4.88 KB" + std::string(12, ' ') + "<1KB/s" + std::string(22, ' ') + "--:--:--");
    EXPECT_EQ(start.percentage, "0%");
    const ProgressView instant = progressView(4096, 0, 5000, "4.88 KB");
    EXPECT_THAT(instant.status, ::testing::EndsWith("<1KB/s" + std::string(22, ' ') + "--:--:--"));
    EXPECT_EQ(instant.percentage, "81.9%");
}

TEST(ProgressTexts, fromTwoSecondsWithoutBytesTheSpeedFallsAndNoTimeIsLeft) {
    // 1.5 MB of 3 MB came in 3 s (512K/s, 3 s left); then nothing for that long.
    const std::pair<std::int64_t, std::string> cases[] = {
        {1999, "512K/s" + std::string(22, ' ') + "00:00:03"},
        {2000, "307K/s" + std::string(22, ' ') + "--:--:--"},
        {597000, "3K/s" + std::string(22, ' ') + "--:--:--"}};
    for (const auto& [quietMs, end] : cases) {
        EXPECT_THAT(progressView(1572864, 3000, 3145728, "3 MB", quietMs).status,
                    ::testing::EndsWith(std::string(12, ' ') + end));
    }
}

TEST(SizeProbe, aDecimalLengthFrom1000To512MiBPassesAnythingElseFails) {
    const struct {
        const char* length;
        std::optional<std::int64_t> size;
    } cases[] = {{"999", {}},       {"1000", 1000}, {"536870912", 1 << 29},
                 {"536870913", {}}, {"1e30", {}},   {"99999999999999999999", {}}};
    for (const auto& c : cases) {
        EXPECT_EQ(acceptedDownloadSize(c.length), c.size) << c.length;
    }
    const std::int64_t available = static_cast<std::int64_t>(fs::space("/tmp").available);
    EXPECT_TRUE(hasRoomFor("/tmp", 1000));
    EXPECT_FALSE(hasRoomFor("/tmp", available + (std::int64_t{1} << 30)));
    EXPECT_FALSE(hasRoomFor("/no/such/directory", 1000));
}

class SelfUpdate : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(standin.ok());
        char pattern[] = "/tmp/arlo-update-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        runDirectory = pattern;
        payload = fileContent(ARLO_UPDATE_PAYLOAD);
        driver = fileContent(ARLO_UPDATE_DRIVER);
        ASSERT_GT(payload.size(), 1000u);
        serve(payload);
        address = standin::downloadAddressFor("1.2");
    }
    void TearDown() override { fs::remove_all(runDirectory); }

    void serve(const std::string& bytes,
               standin::DownloadFault fault = standin::DownloadFault::None, int faultyAnswers = -1,
               bool probeAnswersNormally = false) {
        standin::setReleaseDownload(standin.server(),
                                    {bytes, fault, faultyAnswers, probeAnswersNormally});
    }

    DownloadPlan plan() const {
        DownloadPlan p;
        p.address = address;
        p.referer = kReferer;
        p.version = "1.2";
        p.expectedBytes = static_cast<std::int64_t>(payload.size());
        p.pauses = {milliseconds(10), milliseconds(20), milliseconds(40)};
        return p;
    }

    std::unique_ptr<DownloadFile> download(const DownloadPlan& p,
                                           const net::ProgressCallback& progress = {},
                                           const StopFlag* stop = nullptr) {
        const UpdateLock lock(runDirectory);
        EXPECT_TRUE(lock.held());
        auto file = downloadUpdate(p, lock, progress, stop);
        return file ? std::move(file).value() : nullptr;
    }

    // Waits until the download file is there and begins like an executable, 5 s at most.
    bool downloadUnderWay() const {
        for (int i = 0; i < 200 && !fileContent(tmpPath()).starts_with(ELFMAG); ++i) {
            std::this_thread::sleep_for(milliseconds(25));
        }
        return fileContent(tmpPath()).starts_with(ELFMAG);
    }

    std::size_t downloadsSeen() {
        std::size_t n = 0;
        for (const standin::Request& r : standin.server().requests()) {
            n += r.method == "GET" ? 1 : 0;
        }
        return n;
    }

    std::string tmpPath() const { return runDirectory + "/" + std::string(kDownloadFileName); }
    std::string exePath() const { return runDirectory + "/Arlo迷"; }

    standin::StandinEnvironment standin;
    std::string runDirectory;
    std::string payload;
    std::string driver;
    std::string address;
};

TEST_F(SelfUpdate, theProbeReadsTheLengthOnlyFromAGoodAnswer) {
    EXPECT_EQ(probeDownloadSize(address, kReferer).valueOr(""), std::to_string(payload.size()));
    EXPECT_EQ(standin.server().requests().back().method, "HEAD");
    serve(payload, standin::DownloadFault::NotFound);
    EXPECT_EQ(probeDownloadSize(address, kReferer).why(), UpdateWhy::NoAnswer);
    serve(payload, standin::DownloadFault::NoLength);
    EXPECT_EQ(probeDownloadSize(address, kReferer).why(), UpdateWhy::NoAnswer);
    serve(payload, standin::DownloadFault::Size999);
    EXPECT_EQ(probeDownloadSize(address, kReferer).valueOr(""), "999");
}

TEST_F(SelfUpdate, theProbeAndTheDownloadSendTheSameThreeHeadersInOrder_progressWith123) {
    static_cast<void>(probeDownloadSize(address, kReferer));
    const std::string probe = standin.server().requests().back().raw;
    std::mutex mutex;
    std::vector<std::pair<int, std::int64_t>> calls;
    const auto file =
        download(plan(), [&](int value, std::int64_t, std::int64_t done, std::int64_t) {
            const std::lock_guard lock(mutex);
            calls.emplace_back(value, done);
        });
    ASSERT_TRUE(file);
    EXPECT_TRUE(fileContent(tmpPath()) == payload);
    const standin::Request got = standin.server().requests().back();
    EXPECT_THAT(got.raw, ::testing::HasSubstr(
                             "\r\nAccept:*/*\r\nReferer:http://space.arlo.invalid/\r\nUser-Agent: "
                             "Mozilla/5.0 (Windows NT 6.1; WOW64; rv:23.0) Gecko/20100101 "
                             "Firefox/23.0\r\n\r\n"));
    EXPECT_EQ(probe.substr(0, 5) + probe.substr(probe.find("\r\n")),
              "HEAD " + got.raw.substr(got.raw.find("\r\n")));
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back(), std::make_pair(123, static_cast<std::int64_t>(payload.size())));
}

TEST_F(SelfUpdate, aFailedDownloadIsRetriedAfterAPauseAndThenSucceeds) {
    serve(payload, standin::DownloadFault::CutShort, 2, true);
    const auto file = download(plan());
    EXPECT_TRUE(file);
    EXPECT_EQ(downloadsSeen(), 3u);
    EXPECT_TRUE(fileContent(tmpPath()) == payload);
}

TEST_F(SelfUpdate, faultyFilesAreRefusedDeletedAndTriedAFewTimesOnly) {
    for (const auto fault : {standin::DownloadFault::NotFound, standin::DownloadFault::CutShort,
                             standin::DownloadFault::HtmlPage, standin::DownloadFault::Size999}) {
        standin.server().clearRequests();
        serve(payload, fault, -1, true);
        EXPECT_FALSE(download(plan())) << static_cast<int>(fault);
        EXPECT_EQ(downloadsSeen(), 4u) << static_cast<int>(fault);
        EXPECT_FALSE(fs::exists(tmpPath())) << static_cast<int>(fault);
    }
    StopFlag stop = true;
    EXPECT_FALSE(download(plan(), {}, &stop));
}

// A download that stops moving ends at its own deadline, or at once when the Update window
// no longer wants it, long before the 30 s stall rule would end it.
TEST_F(SelfUpdate, aStalledDownloadEndsAtItsDeadlineOrWhenNoLongerWanted) {
    serve(payload, standin::DownloadFault::Stall, -1, true);
    DownloadPlan shortLived = plan();
    shortLived.deadline = milliseconds(700);
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(download(shortLived));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(15));
    EXPECT_EQ(downloadsSeen(), 4u);
    EXPECT_FALSE(fs::exists(tmpPath()));

    StopFlag stop = false;
    std::thread closer([&] {
        std::this_thread::sleep_for(milliseconds(800));
        stop = true;
    });
    start = std::chrono::steady_clock::now();
    EXPECT_FALSE(download(plan(), {}, &stop));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    closer.join();
    EXPECT_FALSE(fs::exists(tmpPath()));

    // The probe too ends when the window goes.
    stop = false;
    standin.server().route("silent-probe.test", "/", [](const standin::Request&) {
        standin::Response r;
        r.silent = true;
        r.hangAfterSending = true;
        return r;
    });
    std::thread closeAgain([&] {
        std::this_thread::sleep_for(milliseconds(800));
        stop = true;
    });
    start = std::chrono::steady_clock::now();
    EXPECT_EQ(probeDownloadSize("http://silent-probe.test/", kReferer, &stop).why(),
              UpdateWhy::Stopped);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));
    closeAgain.join();
}

TEST(DownloadDeadline, growsWithTheFileFromTwoMinutes) {
    EXPECT_EQ(downloadDeadline(0), std::chrono::seconds(120));
    EXPECT_EQ(downloadDeadline(16 * 1024 * 60), std::chrono::seconds(180));
    // 17.39 MB: about 18 minutes more.
    EXPECT_EQ(downloadDeadline(18234736), std::chrono::seconds(120 + 1112));
    EXPECT_EQ(downloadDeadline(9'000'000'000'000'000'000), std::chrono::seconds(120 + 32768));
}

TEST_F(SelfUpdate, onlyACompleteExecutableForThisMachineWithAValidSignatureIsAccepted) {
    const std::string path = runDirectory + "/candidate";
    const auto size = static_cast<std::int64_t>(payload.size());
    writeFile(path, payload);
    // Rewritten in place below: the descriptor reads each new content.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    EXPECT_EQ(refusal(verifyDownload(fd, size, "1.2", "", "")), std::nullopt);
    EXPECT_EQ(refusal(verifyDownload(fd, size + 1, "1.2", "", "")), UpdateWhy::WrongSize);
    EXPECT_EQ(refusal(verifyDownload(-1, size, "1.2", "", "")), UpdateWhy::WrongSize);

    std::string foreign = payload;
    foreign[18] =
        static_cast<char>(EM_ARM == static_cast<unsigned char>(foreign[18]) ? EM_X86_64 : EM_ARM);
    foreign[19] = 0;
    writeFile(path, foreign);
    EXPECT_EQ(refusal(verifyDownload(fd, size, "1.2", "", "")), UpdateWhy::NotAnExecutable);
    const std::string page = "<html>" + std::string(payload.size() - 6, ' ');
    writeFile(path, page);
    EXPECT_EQ(refusal(verifyDownload(fd, size, "1.2", "", "")), UpdateWhy::NotAnExecutable);

    writeFile(path, payload);
    const SigningKey key;
    const SigningKey other;
    const struct {
        std::string signature;
        const char* offeredAs;
        std::optional<UpdateWhy> verdict;
    } cases[] = {{key.sign(signedMessage("1.2", payload)), "1.2", std::nullopt},
                 // An older release's file and signature, offered as the newer version.
                 {key.sign(signedMessage("1.1", payload)), "1.2", UpdateWhy::BadSignature},
                 {key.sign(signedMessage("1.2", payload)), "1.20", UpdateWhy::BadSignature},
                 {key.sign(signedMessage("", payload)), "", UpdateWhy::BadSignature},
                 {key.sign(payload), "1.2", UpdateWhy::BadSignature},
                 {other.sign(signedMessage("1.2", payload)), "1.2", UpdateWhy::BadSignature},
                 {key.sign(signedMessage("1.2", payload + "x")), "1.2", UpdateWhy::BadSignature},
                 {"", "1.2", UpdateWhy::BadSignature},
                 {"not base64!", "1.2", UpdateWhy::BadSignature}};
    for (const auto& c : cases) {
        EXPECT_EQ(refusal(verifyDownload(fd, size, c.offeredAs, c.signature, key.publicKey())),
                  c.verdict)
            << c.offeredAs << " " << c.signature;
    }
    ::close(fd);
}

TEST_F(SelfUpdate, theReplacementTakesTheOldPermissionsAndLeavesNoDownloadBehind) {
    writeFile(exePath(), driver, fs::perms(0750));
    auto file = download(plan());
    ASSERT_TRUE(file);
    EXPECT_EQ(fs::status(tmpPath()).permissions() & fs::perms::all, fs::perms(0600));
    ASSERT_TRUE(replaceExecutable(*file, exePath()));
    EXPECT_TRUE(fileContent(exePath()) == payload);
    EXPECT_EQ(fs::status(exePath()).permissions() & fs::perms::all, fs::perms(0750));
    EXPECT_FALSE(fs::exists(tmpPath()));

    file = download(plan());
    ASSERT_TRUE(file);
    EXPECT_FALSE(replaceExecutable(*file, runDirectory + "/no-such-executable"));
    EXPECT_FALSE(fs::exists(tmpPath()));
}

// Whatever else carries the download's name, an attempt deletes and installs only the file
// it created: one planted while it downloads, or after it verified its own.
TEST_F(SelfUpdate, anAttemptRemovesAndInstallsOnlyTheFileItCreated) {
    writeFile(exePath(), driver);
    writeFile(tmpPath(), "left by an update that was killed");
    auto plant = [this] {
        writeFile(runDirectory + "/planted", "someone else's");
        fs::rename(runDirectory + "/planted", tmpPath());
    };
    serve(payload, standin::DownloadFault::Stall, -1, true);
    StopFlag stop = false;
    std::thread worker([&] { EXPECT_FALSE(download(plan(), {}, &stop)); });
    EXPECT_TRUE(downloadUnderWay());
    plant();
    stop = true;
    worker.join();
    EXPECT_EQ(fileContent(tmpPath()), "someone else's");

    serve(payload);
    const auto file = download(plan());
    ASSERT_TRUE(file);
    plant();
    EXPECT_FALSE(replaceExecutable(*file, exePath()));
    EXPECT_TRUE(fileContent(exePath()) == driver);
    EXPECT_EQ(fileContent(tmpPath()), "someone else's");
}

// The program ends without waiting for its download thread, after removing that thread's file.
TEST_F(SelfUpdate, theUnfinishedDownloadIsRemovedAtOnceWhenTheProgramEnds) {
    serve(payload, standin::DownloadFault::Stall, -1, true);
    StopFlag stop = false;
    std::thread worker([&] { EXPECT_FALSE(download(plan(), {}, &stop)); });
    EXPECT_TRUE(downloadUnderWay());
    removeUnfinishedDownloads();
    EXPECT_FALSE(fs::exists(tmpPath()));
    stop = true;
    worker.join();
    EXPECT_FALSE(fs::exists(tmpPath()));
}

TEST_F(SelfUpdate, oneUpdateAtATimeHoldsTheRunDirectoryAndStartUpLeavesItsFileAlone) {
    const std::string lockPath = runDirectory + "/" + std::string(kUpdateLockFileName);
    writeFile(lockPath, "");  // left by an update that was killed: no lock any more
    {
        const UpdateLock first(runDirectory);
        ASSERT_TRUE(first.held());
        EXPECT_EQ(UpdateLock(runDirectory).state(), UpdateLock::State::Busy);
        writeFile(tmpPath(), "the first update's download");
        removeStaleDownload(runDirectory);
        EXPECT_TRUE(fs::exists(tmpPath()));
    }
    EXPECT_FALSE(fs::exists(lockPath));
    removeStaleDownload(runDirectory);
    EXPECT_TRUE(fs::is_empty(runDirectory));
    EXPECT_TRUE(UpdateLock(runDirectory).held());
}

// The second copy of the program starts its update while the first one's download is held
// back by the server.
TEST_F(SelfUpdate, twoUpdatesAtOnceTurnTheSecondAwayAndInstallOneWholeFile) {
    standin::setReleaseDownload(standin.server(), {payload, {}, -1, false, true});
    writeFile(exePath(), driver);
    const pid_t first = spawn(exePath(), {address, "10"});
    ASSERT_TRUE(standin.server().waitForRequests(2, std::chrono::seconds(10)));
    EXPECT_EQ(run(exePath(), {address, "10"}), 7);
    standin::releaseHeldDownload(standin.server());
    EXPECT_EQ(waitFor(first), 0);
    EXPECT_TRUE(fileContent(exePath()) == payload);
    EXPECT_FALSE(fs::exists(tmpPath()));
    EXPECT_EQ(run(exePath(), {}), 0);
}

TEST_F(SelfUpdate, anExecutableThatCannotStartOrDiesAtOnceIsNotStarted) {
    const struct {
        std::string content;
        fs::perms perms;
        bool started;
    } cases[] = {{payload, fs::perms(0755), true},
                 {"#!/bin/sh\nsleep 3\n", fs::perms(0755), true},
                 {"#!/bin/sh\nexit 3\n", fs::perms(0755), false},
                 {"#!/bin/sh\nkill -SEGV $$\n", fs::perms(0755), false},
                 {payload, fs::perms(0644), false},
                 {std::string(4096, 'x'), fs::perms(0755), false}};
    for (const auto& c : cases) {
        fs::remove(exePath());
        writeFile(exePath(), c.content, c.perms);
        EXPECT_EQ(startDetached(exePath()), c.started) << c.content.substr(0, 20);
    }
    EXPECT_FALSE(startDetached(runDirectory + "/missing"));
}

TEST_F(SelfUpdate, aRunningProgramReplacesItselfAndTheNewExecutableStarts) {
    writeFile(exePath(), driver);
    EXPECT_EQ(run(exePath(), {address, "10"}), 0);
    EXPECT_TRUE(fileContent(exePath()) == payload);
    EXPECT_FALSE(fs::exists(tmpPath()));
    const fs::path marker = runDirectory + "/started.marker";
    for (int i = 0; i < 200 && !fileContent(marker).ends_with('\n'); ++i) {
        std::this_thread::sleep_for(milliseconds(25));
    }
    // Out of the old program's session: ending that session does not end it.
    EXPECT_THAT(fileContent(marker), ::testing::EndsWith(" own session\n"));
}

TEST_F(SelfUpdate, everyFaultLeavesTheOldExecutableByteForByte) {
    writeFile(exePath(), driver);
    const struct {
        standin::DownloadFault fault;
        int exitCode;
    } cases[] = {{standin::DownloadFault::NotFound, 2}, {standin::DownloadFault::NoLength, 2},
                 {standin::DownloadFault::Size999, 2},  {standin::DownloadFault::CutShort, 3},
                 {standin::DownloadFault::HtmlPage, 3}, {standin::DownloadFault::Stall, 3}};
    ::setenv("ARLO_NET_STALL_SECONDS", "1", 1);
    for (const auto& c : cases) {
        serve(payload, c.fault, -1, c.exitCode == 3);
        EXPECT_EQ(run(exePath(), {address, "10"}), c.exitCode) << static_cast<int>(c.fault);
        EXPECT_TRUE(fileContent(exePath()) == driver) << static_cast<int>(c.fault);
        EXPECT_FALSE(fs::exists(tmpPath())) << static_cast<int>(c.fault);
    }
    ::unsetenv("ARLO_NET_STALL_SECONDS");

    // A build that carries a signing key refuses a file whose signature does not match.
    serve(payload);
    const SigningKey key;
    const std::string good = key.sign(signedMessage("1.2", payload));
    EXPECT_EQ(run(exePath(), {address, "10", key.publicKey(), good, "1.3"}), 3);
    EXPECT_TRUE(fileContent(exePath()) == driver);
    EXPECT_EQ(run(exePath(), {address, "10", key.publicKey(), good, "1.2"}), 0);
    EXPECT_TRUE(fileContent(exePath()) == payload);
}

TEST_F(SelfUpdate, killingTheUpdateAtAnyMomentLeavesAWholeRunnableExecutable) {
    // A larger file keeps the download and the replacement under way for longer.
    const std::string big = payload + std::string(3 << 20, '\0');
    serve(big);
    std::mt19937 random(20240611);
    const auto start = std::chrono::steady_clock::now();
    writeFile(exePath(), driver);
    ASSERT_EQ(run(exePath(), {address, "10"}), 0);
    const auto whole = std::chrono::steady_clock::now() - start;
    const auto span = std::chrono::duration_cast<std::chrono::microseconds>(whole).count() + 1;

    int replaced = 0;
    for (int i = 0; i < 40; ++i) {
        writeFile(exePath(), driver);
        fs::remove(tmpPath());
        const pid_t pid = spawn(exePath(), {address, "10"});
        ASSERT_GT(pid, 0);
        std::this_thread::sleep_for(std::chrono::microseconds(random() % span));
        ::kill(pid, SIGKILL);
        waitFor(pid);
        const std::string now = fileContent(exePath());
        const bool old = now == driver;
        const bool fresh = now == big;
        ASSERT_TRUE(old || fresh) << "run " << i << ": " << now.size() << " bytes";
        replaced += fresh ? 1 : 0;
        EXPECT_EQ(run(exePath(), {"--check"}), 0) << "run " << i;
    }
    std::cout << "replaced in " << replaced << " of 40 runs\n";
}

}  // namespace
}  // namespace arlo::online
