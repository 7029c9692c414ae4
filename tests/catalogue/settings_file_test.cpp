#include "catalogue/settings_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "text/gbk.h"

namespace arlo::catalogue {
namespace {

namespace fs = std::filesystem;

class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "arlo-settings-XXXXXX").string();
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        dir_ = tmpl;
    }
    void TearDown() override {
        std::error_code ec;
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(dir_, ec);
    }

    static std::string gbk(std::string_view utf8) { return *text::utf8ToGbk(utf8); }

    void writeBytes(const fs::path& path, const std::string& bytes) {
        std::ofstream out(path, std::ios::binary);
        out << bytes;
    }
    std::string readBytes(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    std::string settingsFile() const { return settingsPathIn(dir_.string()); }

    fs::path dir_;
};

TEST_F(SettingsFileTest, pathHasExactlyOneSeparatorBeforeTheName) {
    EXPECT_EQ(settingsPathIn("/home/u/Documents/"), "/home/u/Documents/Arlo迷_配置.ini");
    EXPECT_EQ(settingsPathIn("/home/u/Documents"), "/home/u/Documents/Arlo迷_配置.ini");
}

TEST_F(SettingsFileTest, missingFileIsCreatedWithTheProgramVersion) {
    PlaybackState state;
    loadInstalledVersion(state, dir_.string());
    EXPECT_EQ(state.installedVersion, "1.1");
    EXPECT_EQ(state.settingsPath, settingsFile());
    EXPECT_EQ(readBytes(settingsFile()), gbk("[版本号]\r\n版本号=1.1\r\n"));
}

TEST_F(SettingsFileTest, storedVersionsNotNewerAreRepaired) {
    for (const char* stored : {"1.1", "1.05", "abc", "", "0"}) {
        writeBytes(settingsFile(), gbk("[版本号]\r\n版本号=") + stored + "\r\n");
        PlaybackState state;
        loadInstalledVersion(state, dir_.string());
        EXPECT_EQ(state.installedVersion, "1.1") << stored;
        EXPECT_EQ(readBytes(settingsFile()), gbk("[版本号]\r\n版本号=1.1\r\n")) << stored;
    }
}

TEST_F(SettingsFileTest, newerVersionIsKeptByteForByte) {
    const std::string original = gbk("[版本号]\r\n版本号=1.2\r\n");
    writeBytes(settingsFile(), original);
    PlaybackState state;
    loadInstalledVersion(state, dir_.string());
    EXPECT_EQ(state.installedVersion, "1.2");
    EXPECT_EQ(readBytes(settingsFile()), original);
}

TEST_F(SettingsFileTest, otherSectionsAndKeysArePreserved) {
    const std::string before = gbk(
        "; 用户的注释\r\n[Other]\r\nx = 1\r\n\r\n[版本号]\r\nzoom=2\r\n版本号 = 1.0\r\nafter=3\r\n"
        "[Last]\r\ny=\xE4\xBD\xA0\r\n");
    writeBytes(settingsFile(), before);
    PlaybackState state;
    loadInstalledVersion(state, dir_.string());
    EXPECT_EQ(state.installedVersion, "1.1");
    const std::string expected = gbk(
        "; 用户的注释\r\n[Other]\r\nx = 1\r\n\r\n[版本号]\r\nzoom=2\r\n版本号=1.1\r\nafter=3\r\n"
        "[Last]\r\ny=\xE4\xBD\xA0\r\n");
    EXPECT_EQ(readBytes(settingsFile()), expected);
}

TEST_F(SettingsFileTest, keyIsAddedToAnExistingSectionAndNamesIgnoreAsciiCase) {
    const std::string path = (dir_ / "a.ini").string();
    writeBytes(path, "[Main]\r\nOne=1\r\n\r\n[Next]\r\nz=9");
    EXPECT_TRUE(writeProfileString(path, "MAIN", "two", "2"));
    EXPECT_EQ(readBytes(path), "[Main]\r\nOne=1\r\ntwo=2\r\n\r\n[Next]\r\nz=9");
    EXPECT_EQ(readProfileString(path, "main", "ONE", "?"), "1");
    EXPECT_EQ(readProfileString(path, "next", "Z", "?"), "9");
    EXPECT_EQ(readProfileString(path, "next", "missing", "?"), "?");
    EXPECT_TRUE(writeProfileString(path, "Next", "w", "5"));
    EXPECT_EQ(readBytes(path), "[Main]\r\nOne=1\r\ntwo=2\r\n\r\n[Next]\r\nz=9\r\nw=5\r\n");
}

TEST_F(SettingsFileTest, longValuesAreCutAtTheReadLimit) {
    const std::string path = (dir_ / "b.ini").string();
    writeBytes(path, "[s]\r\nk=" + std::string(20000, '7') + "\r\n");
    EXPECT_EQ(readProfileString(path, "s", "k", "").size(), kProfileReadLimit);
}

TEST_F(SettingsFileTest, missingFolderIsCreatedAndUnwritableFolderIsTolerated) {
    const fs::path nested = dir_ / "home";
    ::setenv("HOME", nested.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (dir_ / "cfg").c_str(), 1);
    const std::string docs = documentsFolder();
    EXPECT_EQ(docs, (nested / "Documents").string() + "/");
    EXPECT_TRUE(fs::is_directory(docs));

    // A "folder" that is really a file cannot be written into, not even by root.
    const fs::path notAFolder = dir_ / "plain-file";
    writeBytes(notAFolder, "x");
    PlaybackState state;
    loadInstalledVersion(state, notAFolder.string());
    EXPECT_EQ(state.installedVersion, "1.1");
    EXPECT_EQ(readBytes(notAFolder), "x");
}

TEST_F(SettingsFileTest, documentsFolderFollowsTheXdgSetting) {
    ::setenv("HOME", dir_.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (dir_ / "cfg").c_str(), 1);
    fs::create_directories(dir_ / "cfg");
    writeBytes(dir_ / "cfg" / "user-dirs.dirs", "# user dirs\nXDG_DOCUMENTS_DIR=\"$HOME/文档\"\n");
    EXPECT_EQ(documentsFolder(), (dir_ / "文档").string() + "/");
    EXPECT_TRUE(fs::is_directory(dir_ / "文档"));
}

TEST_F(SettingsFileTest, unreadableFileIsNeverReplaced) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root reads any file";
    }
    const std::string path = (dir_ / "c.ini").string();
    writeBytes(path, "[s]\r\nk=1\r\n");
    fs::permissions(path, fs::perms::none);
    EXPECT_FALSE(writeProfileString(path, "s", "k", "2"));
    fs::permissions(path, fs::perms::owner_all);
    EXPECT_EQ(readBytes(path), "[s]\r\nk=1\r\n");
}

}  // namespace
}  // namespace arlo::catalogue
