#include "files/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace arlo::files {
namespace {

namespace fs = std::filesystem;

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
    EXPECT_FALSE(replaceFileAtomically(file.string(), std::string("first\0with NUL", 14)));
    EXPECT_EQ(read(file), std::string("first\0with NUL", 14));
    EXPECT_FALSE(replaceFileAtomically(file.string(), "second"));
    EXPECT_EQ(read(file), "second");
    EXPECT_FALSE(replaceFileAtomically(file.string(), ""));
    EXPECT_EQ(read(file), "");
    EXPECT_EQ(entries(), 1u);
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
}

TEST_F(AtomicFileTest, aPathWithoutAFolderIsWrittenInTheWorkingFolder) {
    const fs::path before = fs::current_path();
    fs::current_path(dir_);
    const std::error_code error = replaceFileAtomically("plain.ini", "x=1");
    fs::current_path(before);
    EXPECT_FALSE(error);
    EXPECT_EQ(read(dir_ / "plain.ini"), "x=1");
}

TEST_F(AtomicFileTest, failuresSayWhyAndLeaveTheOldStateAndNoTemporaryFile) {
    const std::error_code missing =
        replaceFileAtomically((dir_ / "no such folder" / "a.ini").string(), "x");
    EXPECT_EQ(missing, std::errc::no_such_file_or_directory);
    EXPECT_EQ(entries(), 0u);

    // A folder where the file should be cannot be replaced by a file.
    const fs::path folder = dir_ / "taken";
    fs::create_directory(folder);
    std::ofstream(folder / "inside") << "kept";
    const std::error_code taken = replaceFileAtomically(folder.string(), "x");
    EXPECT_TRUE(taken);
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_EQ(read(folder / "inside"), "kept");
    EXPECT_EQ(entries(), 1u);
}

}  // namespace
}  // namespace arlo::files
