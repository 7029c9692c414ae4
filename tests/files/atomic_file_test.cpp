#include "files/atomic_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>
#include <tuple>

namespace arlo::files {
namespace {

namespace fs = std::filesystem;

// No error when the file was written.
std::error_code errorOf(const Written& written) {
    return written ? std::error_code() : written.why();
}

class AtomicFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("arlo_atomic_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    static std::string read(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::size_t entries() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir_), {}));
    }

    fs::path dir_;
};

TEST_F(AtomicFileTest, replacesTheFileWholeWithReadableBytesAndLeavesNothingBeside) {
    const fs::path file = dir_ / "页面.html";
    EXPECT_TRUE(replaceFileAtomically(file.string(), std::string("first\0with NUL", 14)));
    EXPECT_EQ(read(file), std::string("first\0with NUL", 14));
    EXPECT_TRUE(replaceFileAtomically(file.string(), "second"));
    EXPECT_EQ(read(file), "second");
    EXPECT_TRUE(replaceFileAtomically(file.string(), ""));
    EXPECT_EQ(read(file), "");
    EXPECT_EQ(entries(), 1u);
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
}

TEST_F(AtomicFileTest, aPathWithoutAFolderIsWrittenInTheWorkingFolder) {
    const fs::path before = fs::current_path();
    fs::current_path(dir_);
    const std::error_code error = errorOf(replaceFileAtomically("plain.ini", "x=1"));
    fs::current_path(before);
    EXPECT_FALSE(error);
    EXPECT_EQ(read(dir_ / "plain.ini"), "x=1");
}

TEST_F(AtomicFileTest, failuresSayWhyAndLeaveTheOldStateAndNoTemporaryFile) {
    const std::error_code missing =
        errorOf(replaceFileAtomically((dir_ / "no such folder" / "a.ini").string(), "x"));
    EXPECT_EQ(missing, std::errc::no_such_file_or_directory);
    EXPECT_EQ(entries(), 0u);

    // A folder where the file should be cannot be replaced by a file.
    const fs::path folder = dir_ / "taken";
    fs::create_directory(folder);
    std::ofstream(folder / "inside") << "kept";
    const std::error_code taken = errorOf(replaceFileAtomically(folder.string(), "x"));
    EXPECT_TRUE(taken);
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_EQ(read(folder / "inside"), "kept");
    EXPECT_EQ(entries(), 1u);
}

mode_t modeOf(const fs::path& p) {
    struct stat st {};
    return ::stat(p.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

TEST_F(AtomicFileTest, aReplacedFileKeepsItsPermissionsAndAReadOnlyOneIsLeftAlone) {
    const fs::path file = dir_ / "settings.ini";
    for (const mode_t mode : {0600, 0640, 0755}) {
        std::ofstream(file) << "old";
        ASSERT_EQ(::chmod(file.c_str(), mode), 0);
        EXPECT_TRUE(replaceFileAtomically(file.string(), "new"));
        EXPECT_EQ(read(file), "new");
        EXPECT_EQ(modeOf(file), mode);
    }
    // No write permission bit: not replaced, even by root.
    for (const mode_t mode : {0444, 0400, 0}) {
        std::ofstream(file) << "kept";
        ASSERT_EQ(::chmod(file.c_str(), mode), 0);
        EXPECT_EQ(errorOf(replaceFileAtomically(file.string(), "new")),
                  std::errc::permission_denied);
        EXPECT_EQ(modeOf(file), mode);
        ASSERT_EQ(::chmod(file.c_str(), 0600), 0);
        EXPECT_EQ(read(file), "kept");
        EXPECT_EQ(entries(), 1u);
    }
}

TEST_F(AtomicFileTest, aReplacedFileKeepsItsOwnerAndGroup) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "giving a file to another owner or group takes root";
    }
    const fs::path file = dir_ / "owned.ini";
    const std::pair<uid_t, gid_t> owners[] = {{0, 0}, {0, 54321}, {54321, 0}, {54321, 54322}};
    for (const auto& [uid, gid] : owners) {
        std::ofstream(file) << "old";
        ASSERT_EQ(::chown(file.c_str(), uid, gid), 0);
        ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
        EXPECT_TRUE(replaceFileAtomically(file.string(), "new"));
        struct stat info {};
        ASSERT_EQ(::stat(file.c_str(), &info), 0);
        EXPECT_EQ(info.st_uid, uid) << uid << ":" << gid;
        EXPECT_EQ(info.st_gid, gid) << uid << ":" << gid;
        EXPECT_EQ(info.st_mode & 07777, 0640u);
        EXPECT_EQ(read(file), "new");
    }
}

// An ordinary user in a folder anyone may write: a file of another user's, with write bits
// for its owner only, is not this user's to replace, although the folder would let a rename
// put a new file in its place.
TEST_F(AtomicFileTest, aFileWhoseWriteBitsAreNotThisUsersIsLeftAlone) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "running as another, ordinary user takes root";
    }
    ASSERT_EQ(::chmod(dir_.c_str(), 0777), 0);
    const fs::path file = dir_ / "theirs.ini";
    for (const mode_t mode : {0644, 0664, 0600}) {
        std::ofstream(file) << "theirs";
        ASSERT_EQ(::chmod(file.c_str(), mode), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const bool ordinary = ::setgid(65534) == 0 && ::setuid(65534) == 0;
            const std::error_code error = errorOf(replaceFileAtomically(file.string(), "mine"));
            ::_exit(!ordinary ? 2 : error == std::errc::permission_denied ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << std::oct << mode;
        EXPECT_EQ(read(file), "theirs") << std::oct << mode;
        EXPECT_EQ(entries(), 1u);
    }
}

TEST_F(AtomicFileTest, aSymbolicLinkIsWrittenThroughToTheFileItNames) {
    fs::create_directories(dir_ / "real" / "deeper");
    const fs::path target = dir_ / "real" / "deeper" / "settings.ini";
    std::ofstream(target) << "old";
    ASSERT_EQ(::chmod(target.c_str(), 0600), 0);
    // A relative link to a relative link, each read from its own folder.
    fs::create_symlink("deeper/settings.ini", dir_ / "real" / "middle.ini");
    const fs::path link = dir_ / "link.ini";
    fs::create_symlink("real/middle.ini", link);
    EXPECT_TRUE(replaceFileAtomically(link.string(), "new"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_TRUE(fs::is_symlink(dir_ / "real" / "middle.ini"));
    EXPECT_EQ(read(target), "new");
    EXPECT_EQ(modeOf(target), 0600u);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "real" / "deeper"), {}), 1);

    // A link to a file not there yet creates the file; a link to itself is an error.
    const fs::path dangling = dir_ / "dangling.ini";
    fs::create_symlink(dir_ / "real" / "made.ini", dangling);
    EXPECT_TRUE(replaceFileAtomically(dangling.string(), "made"));
    EXPECT_TRUE(fs::is_symlink(dangling));
    EXPECT_EQ(read(dir_ / "real" / "made.ini"), "made");
    const fs::path loop = dir_ / "loop.ini";
    fs::create_symlink("loop.ini", loop);
    EXPECT_EQ(errorOf(replaceFileAtomically(loop.string(), "x")),
              std::errc::too_many_symbolic_link_levels);
    EXPECT_TRUE(fs::is_symlink(loop));
}

TEST_F(AtomicFileTest, onlyOurOwnLinksInFoldersNobodyElseCanWriteAreFollowed) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "giving a link to another user takes root";
    }
    const fs::path named = dir_ / "named.ini";
    const fs::path link = dir_ / "run" / "page.htm";
    // The folder's mode, the link's owner, whether it is followed.
    const std::tuple<mode_t, uid_t, bool> cases[] = {
        {0755, 0, true},       {0775, 0, true},  {0755, 65534, false}, {01777, 0, false},
        {01777, 65534, false}, {0777, 0, false}, {01755, 0, false},    {0757, 0, false},
    };
    for (const auto& [folder, owner, followed] : cases) {
        std::ofstream(named) << "theirs";
        fs::remove_all(link.parent_path());
        fs::create_directory(link.parent_path());
        ASSERT_EQ(::chmod(link.parent_path().c_str(), folder), 0);
        fs::create_symlink(named, link);
        ASSERT_EQ(::lchown(link.c_str(), owner, owner), 0);
        EXPECT_EQ(
            errorOf(replaceFileAtomically(link.string(), "ours")),
            followed ? std::error_code() : std::make_error_code(std::errc::operation_not_permitted))
            << std::oct << folder << " " << std::dec << owner;
        EXPECT_EQ(read(named), followed ? "ours" : "theirs");
        EXPECT_TRUE(fs::is_symlink(link));
    }
}

// What an ended writer leaves: its temporary files are removed; anything else that looks
// like one is not, nor is a temporary file that is being written.
TEST_F(AtomicFileTest, staleTemporariesAreRemovedAndNothingElse) {
    const fs::path file = dir_ / "Arlo迷_配置.ini";
    std::ofstream(file) << "kept";
    const std::set<std::string> stale = {"Arlo迷_配置.ini.aB3xZ9", "Arlo迷_配置.ini.000000"};
    for (const std::string& name : stale) {
        std::ofstream(dir_ / name) << "half";
    }
    const std::set<std::string> others = {"Arlo迷_配置.ini.aB3xZ",  "Arlo迷_配置.ini.aB3xZ9a",
                                          "Arlo迷_配置.ini.aB-xZ9", "Arlo迷_配置.inI.aB3xZ9",
                                          "other.ini.aB3xZ9",       "Arlo迷_配置.ini.folder",
                                          "Arlo迷_配置.ini.linkk1", "Arlo迷_配置.ini.lockd1",
                                          "Arlo迷_配置.ini.fifo01", "Arlo迷_配置.ini.empty1.x"};
    for (const std::string& name : others) {
        std::ofstream(dir_ / name) << "other";
    }
    fs::remove(dir_ / "Arlo迷_配置.ini.folder");
    fs::create_directory(dir_ / "Arlo迷_配置.ini.folder");
    fs::remove(dir_ / "Arlo迷_配置.ini.linkk1");
    fs::create_symlink(file, dir_ / "Arlo迷_配置.ini.linkk1");
    fs::remove(dir_ / "Arlo迷_配置.ini.fifo01");
    ASSERT_EQ(::mkfifo((dir_ / "Arlo迷_配置.ini.fifo01").c_str(), 0600), 0);
    // Being written: its writer holds the lock.
    const int writer = ::open((dir_ / "Arlo迷_配置.ini.lockd1").c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(writer, 0);
    ASSERT_EQ(::flock(writer, LOCK_EX | LOCK_NB), 0);

    EXPECT_EQ(removeStaleTemporaries(file.string()), 2);
    std::set<std::string> left;
    for (const auto& entry : fs::directory_iterator(dir_)) {
        left.insert(entry.path().filename().string());
    }
    std::set<std::string> expected = others;
    expected.insert(file.filename().string());
    EXPECT_EQ(left, expected);
    EXPECT_EQ(read(file), "kept");
    // Once its writer is gone, it is stale too. Through a link, the target's folder is cleaned.
    ::close(writer);
    fs::create_directory(dir_ / "via");
    fs::create_symlink(file, dir_ / "via" / "link.ini");
    EXPECT_EQ(removeStaleTemporaries((dir_ / "via" / "link.ini").string()), 1);
    EXPECT_FALSE(fs::exists(dir_ / "Arlo迷_配置.ini.lockd1"));
    EXPECT_EQ(removeStaleTemporaries((dir_ / "no such folder" / "a.ini").string()), 0);
}

TEST_F(AtomicFileTest, anotherUsersTemporariesAreLeftAlone) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "making a file of another user takes root";
    }
    const fs::path file = dir_ / "page.htm";
    const fs::path theirs = dir_ / "page.htm.Qw12Er";
    std::ofstream(theirs) << "theirs";
    ASSERT_EQ(::chown(theirs.c_str(), 65534, 65534), 0);
    EXPECT_EQ(removeStaleTemporaries(file.string()), 0);
    EXPECT_TRUE(fs::exists(theirs));
}

// Writers killed at any moment leave the old file or the new one, and temporaries that the
// next clean-up removes; a clean-up running beside a live writer never makes a write fail.
TEST_F(AtomicFileTest, killedWritersLeaveOnlyWhatTheCleanUpRemovesAndLiveWritersAreSpared) {
    const fs::path file = dir_ / "Arlo迷_配置.ini";
    const std::string first(256 * 1024, 'a'), second(256 * 1024, 'b');
    ASSERT_TRUE(replaceFileAtomically(file.string(), first));
    auto startWriter = [&](int rounds) {
        const pid_t child = ::fork();
        if (child == 0) {
            for (int i = 0; rounds == 0 || i < rounds; ++i) {
                if (!replaceFileAtomically(file.string(), i % 2 ? first : second)) {
                    ::_exit(1);
                }
            }
            ::_exit(0);
        }
        return child;
    };
    for (int kill = 0; kill < 20; ++kill) {
        const pid_t child = startWriter(0);
        ASSERT_GT(child, 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(5 + kill * 3));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        const std::string now = read(file);
        EXPECT_TRUE(now == first || now == second);
    }
    removeStaleTemporaries(file.string());
    EXPECT_EQ(entries(), 1u);

    const pid_t writer = startWriter(60);
    ASSERT_GT(writer, 0);
    int status = 0;
    while (::waitpid(writer, &status, WNOHANG) == 0) {
        removeStaleTemporaries(file.string());
    }
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "a write failed beside the clean-up";
    EXPECT_EQ(entries(), 1u);
}

}  // namespace
}  // namespace arlo::files
