#include "catalogue/settings_file.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

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
    Installation state;
    loadInstalledVersion(state, dir_.string());
    EXPECT_EQ(state.installedVersion, "1.1");
    EXPECT_EQ(state.settingsPath, settingsFile());
    EXPECT_EQ(readBytes(settingsFile()), gbk("[版本号]\r\n版本号=1.1\r\n"));
}

TEST_F(SettingsFileTest, storedVersionsNotNewerAreRepaired) {
    for (const char* stored : {"1.1", "1.05", "abc", "", "0"}) {
        writeBytes(settingsFile(), gbk("[版本号]\r\n版本号=") + stored + "\r\n");
        Installation state;
        loadInstalledVersion(state, dir_.string());
        EXPECT_EQ(state.installedVersion, "1.1") << stored;
        EXPECT_EQ(readBytes(settingsFile()), gbk("[版本号]\r\n版本号=1.1\r\n")) << stored;
    }
}

TEST_F(SettingsFileTest, newerVersionIsKeptByteForByte) {
    const std::string original = gbk("[版本号]\r\n版本号=1.2\r\n");
    writeBytes(settingsFile(), original);
    Installation state;
    loadInstalledVersion(state, dir_.string());
    EXPECT_EQ(state.installedVersion, "1.2");
    EXPECT_EQ(readBytes(settingsFile()), original);
}

TEST_F(SettingsFileTest, otherSectionsAndKeysArePreserved) {
    const std::string before = gbk(
        "; 用户的注释\r\n[Other]\r\nx = 1\r\n\r\n[版本号]\r\nzoom=2\r\n版本号 = 1.0\r\nafter=3\r\n"
        "[Last]\r\ny=\xE4\xBD\xA0\r\n");
    writeBytes(settingsFile(), before);
    Installation state;
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

// A GBK trail byte may be "]" (乚 is 81 5D, 乛 81 5E): the name ends at a "]" of its own.
TEST_F(SettingsFileTest, aSectionNameEndsAtABracketThatIsACharacter) {
    const std::string path = (dir_ / "b.ini").string();
    const std::pair<std::string, std::string> rows[] = {
        {"乚", "1"},
        {"a乚", "2"},
        {"乚]", "?"},
        {"乛", "4"},
    };
    for (const auto& [section, value] : rows) {
        writeBytes(path, "[" + gbk(section) + "]\r\nk=" + value + "\r\n");
        EXPECT_EQ(readProfileString(path, section, "k", "?"), value) << section;
    }
    writeBytes(path, "[" + gbk("乚") + "]x]\r\nk=5\r\n");
    EXPECT_EQ(readProfileString(path, "乚", "k", "?"), "5");
    EXPECT_TRUE(writeProfileString(path, "乚", "k", "6"));
    EXPECT_EQ(readBytes(path), "[" + gbk("乚") + "]x]\r\nk=6\r\n");
}

TEST_F(SettingsFileTest, matchedQuotesAroundAValueAreRemovedAndOthersKept) {
    const std::string path = (dir_ / "q.ini").string();
    const std::pair<std::string, std::string> rows[] = {
        {R"("1.2")", "1.2"},  {"'1.2'", "1.2"},       {R"("")", ""},
        {R"(")", R"(")"},     {R"("1.2)", R"("1.2)"}, {R"(1.2")", R"(1.2")"},
        {R"('x")", R"('x")"}, {R"("x')", R"("x')"},   {R"(" a ")", " a "},
    };
    for (const auto& [written, read] : rows) {
        writeBytes(path, "[s]\r\nk=" + written + "\r\n");
        EXPECT_EQ(readProfileString(path, "s", "k", "?"), read) << written;
    }
}

TEST_F(SettingsFileTest, longValuesAreCutAtTheReadLimit) {
    const std::string path = (dir_ / "b.ini").string();
    writeBytes(path, "[s]\r\nk=" + std::string(20000, '7') + "\r\n");
    EXPECT_EQ(readProfileString(path, "s", "k", ""), std::string(10239, '7'));
    // A double-byte character across the limit is left out whole, one before it kept.
    writeBytes(path, "[s]\r\nk=" + std::string(10238, '7') + gbk("中") + "\r\n");
    EXPECT_EQ(readProfileString(path, "s", "k", ""), std::string(10238, '7'));
    writeBytes(path, "[s]\r\nk=" + std::string(10237, '7') + gbk("中中") + "\r\n");
    EXPECT_EQ(readProfileString(path, "s", "k", ""), std::string(10237, '7') + "中");
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
    Installation state;
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

// Runs `check` in a child process that a watchdog ends after a few seconds, so that a read
// that blocks or never ends, or an abort, fails the test instead of hanging or ending it.
// `asUser`: the child gives up root first (to a user without rights to the test's files).
::testing::AssertionResult runsAndPasses(const std::function<bool()>& check, bool asUser = false) {
    const pid_t child = ::fork();
    if (child < 0) {
        return ::testing::AssertionFailure() << "fork failed";
    }
    if (child == 0) {
        ::alarm(5);
        if (asUser && ::geteuid() == 0) {
            const gid_t nogroup = 65534;
            const uid_t nobody = 65534;
            if (::setgroups(0, nullptr) != 0 || ::setgid(nogroup) != 0 || ::setuid(nobody) != 0) {
                ::_exit(3);
            }
        }
        int code = 1;
        try {
            code = check() ? 0 : 1;
        } catch (...) {
            code = 2;
        }
        ::_exit(code);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFSIGNALED(status)) {
        return ::testing::AssertionFailure() << "ended by signal " << WTERMSIG(status)
                                             << (WTERMSIG(status) == SIGALRM ? " (it waited)" : "");
    }
    if (WEXITSTATUS(status) != 0) {
        return ::testing::AssertionFailure() << "exit status " << WEXITSTATUS(status)
                                             << (WEXITSTATUS(status) == 2 ? " (an exception)" : "");
    }
    return ::testing::AssertionSuccess();
}

TEST_F(SettingsFileTest, unreadableFileIsNeverReplaced) {
    // The folder is open to everyone and the file to no one; root checks as another user.
    fs::permissions(dir_, fs::perms::all);
    const std::string path = (dir_ / "c.ini").string();
    writeBytes(path, "[s]\r\nk=1\r\n");
    fs::permissions(path, fs::perms::none);
    EXPECT_TRUE(runsAndPasses(
        [&] {
            return ::access(path.c_str(), R_OK) != 0 &&
                   readProfileString(path, "s", "k", "?") == "?" &&
                   !writeProfileString(path, "s", "k", "2");
        },
        true));
    fs::permissions(path, fs::perms::owner_all);
    EXPECT_EQ(readBytes(path), "[s]\r\nk=1\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(SettingsFileTest, onlyARegularFileOfASaneSizeIsReadAndNothingElseIsReplaced) {
    // An over-long file whose first lines would be read as an old version.
    const std::string longText =
        gbk("[版本号]\r\n版本号=1.0\r\n") + std::string(kProfileFileMaxBytes, ';');
    struct Case {
        const char* what;
        std::function<void(const fs::path&)> make;
        std::function<bool(const fs::path&)> unchanged;
    };
    const Case cases[] = {
        {"a folder",
         [&](const fs::path& p) {
             fs::create_directory(p);
             writeBytes(p / "inside", "kept");
         },
         [&](const fs::path& p) {
             return fs::is_directory(p) && readBytes(p / "inside") == "kept";
         }},
        {"a named pipe", [](const fs::path& p) { ::mkfifo(p.c_str(), 0644); },
         [](const fs::path& p) { return fs::is_fifo(fs::symlink_status(p)); }},
        {"a link to an endless device",
         [](const fs::path& p) { fs::create_symlink("/dev/zero", p); },
         [](const fs::path& p) { return fs::is_symlink(p) && fs::read_symlink(p) == "/dev/zero"; }},
        {"an over-long file", [&](const fs::path& p) { writeBytes(p, longText); },
         [&](const fs::path& p) { return readBytes(p) == longText; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path folder = dir_ / c.what;
        fs::create_directory(folder);
        const fs::path settings = settingsPathIn(folder.string());
        c.make(settings);
        ASSERT_TRUE(fs::exists(fs::symlink_status(settings)));

        EXPECT_TRUE(runsAndPasses([&] {
            Installation state;
            loadInstalledVersion(state, folder.string());
            return state.installedVersion == "1.1" && state.settingsPath == settings.string() &&
                   !writeProfileString(settings.string(), "版本号", "版本号", "1.1");
        }));
        EXPECT_TRUE(c.unchanged(settings));
        // No temporary file left beside it either.
        EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
    }
}

TEST_F(SettingsFileTest, aFileOfExactlyTheSizeLimitIsStillRead) {
    const std::string path = (dir_ / "full.ini").string();
    std::string text = "[s]\r\nk=7\r\n";
    text.resize(kProfileFileMaxBytes, ';');
    writeBytes(path, text);
    EXPECT_EQ(readProfileString(path, "s", "k", "?"), "7");
    // A longer value makes it one byte too long: from then on unreadable, and left alone.
    EXPECT_TRUE(writeProfileString(path, "s", "k", "10"));
    EXPECT_EQ(fs::file_size(path), kProfileFileMaxBytes + 1);
    EXPECT_EQ(readProfileString(path, "s", "k", "?"), "?");
    EXPECT_FALSE(writeProfileString(path, "s", "k", "11"));
    EXPECT_EQ(fs::file_size(path), kProfileFileMaxBytes + 1);
}

TEST_F(SettingsFileTest, aDocumentsSettingThatCannotBeReadMeansTheDefaultFolder) {
    ::setenv("HOME", dir_.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (dir_ / "cfg").c_str(), 1);
    fs::create_directories(dir_ / "cfg");
    const std::string expected = (dir_ / "Documents").string() + "/";
    const fs::path dirs = dir_ / "cfg" / "user-dirs.dirs";

    fs::create_directory(dirs);
    EXPECT_TRUE(runsAndPasses([&] { return documentsFolder() == expected; }));
    fs::remove(dirs);

    ::mkfifo(dirs.c_str(), 0644);
    EXPECT_TRUE(runsAndPasses([&] { return documentsFolder() == expected; }));
}

TEST_F(SettingsFileTest, aReadOnlyFileIsLeftAloneAndTheModeOfAWritableOneIsKept) {
    const std::string old = gbk("[版本号]\r\n版本号=1.0\r\n");
    writeBytes(settingsFile(), old);
    fs::permissions(settingsFile(), fs::perms::owner_read | fs::perms::group_read);
    Installation state;
    loadInstalledVersion(state, dir_.string());
    EXPECT_EQ(state.installedVersion, "1.1");
    EXPECT_EQ(readBytes(settingsFile()), old);
    EXPECT_EQ(fs::status(settingsFile()).permissions(),
              fs::perms::owner_read | fs::perms::group_read);
    EXPECT_FALSE(writeProfileString(settingsFile(), "版本号", "版本号", "1.1"));

    fs::permissions(settingsFile(), fs::perms::owner_read | fs::perms::owner_write);
    loadInstalledVersion(state, dir_.string());
    EXPECT_EQ(readBytes(settingsFile()), gbk("[版本号]\r\n版本号=1.1\r\n"));
    EXPECT_EQ(fs::status(settingsFile()).permissions(),
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(SettingsFileTest, aLinkedSettingsFileIsWrittenThroughTheLink) {
    fs::create_directory(dir_ / "synced");
    const fs::path target = dir_ / "synced" / "arlo.ini";
    writeBytes(target, gbk("[版本号]\r\n版本号=1.0\r\n"));
    fs::create_symlink("synced/arlo.ini", settingsFile());
    Installation state;
    loadInstalledVersion(state, dir_.string());
    EXPECT_EQ(state.installedVersion, "1.1");
    EXPECT_TRUE(fs::is_symlink(settingsFile()));
    EXPECT_EQ(readBytes(target), gbk("[版本号]\r\n版本号=1.1\r\n"));
}

TEST_F(SettingsFileTest, aLeadingByteOrderMarkIsPassedOverAndKept) {
    const std::string bom = "\xEF\xBB\xBF";
    const std::string newer = bom + gbk("[版本号]\r\n版本号=1.2\r\n");
    writeBytes(settingsFile(), newer);
    Installation state;
    loadInstalledVersion(state, dir_.string());
    EXPECT_EQ(state.installedVersion, "1.2");
    EXPECT_EQ(readBytes(settingsFile()), newer);

    writeBytes(settingsFile(), bom + gbk("[版本号]\r\n版本号=1.0\r\n"));
    loadInstalledVersion(state, dir_.string());
    EXPECT_EQ(state.installedVersion, "1.1");
    EXPECT_EQ(readBytes(settingsFile()), bom + gbk("[版本号]\r\n版本号=1.1\r\n"));

    // A mark alone, and a mark further on, which is part of the text.
    writeBytes(settingsFile(), bom);
    loadInstalledVersion(state, dir_.string());
    EXPECT_EQ(readBytes(settingsFile()), bom + gbk("[版本号]\r\n版本号=1.1\r\n"));
    const std::string path = (dir_ / "b.ini").string();
    writeBytes(path, "[a]\r\n" + bom + "[s]\r\nk=1\r\n");
    EXPECT_EQ(readProfileString(path, "s", "k", "?"), "?");
}

TEST_F(SettingsFileTest, temporariesOfARunThatEndedWhileWritingAreRemovedAtStartUp) {
    const std::string settings = settingsFile();
    writeBytes(settings + ".Xy12zW", "[版本号]\r\n版");
    writeBytes(settings + ".a1b2c3", "");
    writeBytes(dir_ / "mine.ini.a1b2c3", "not ours");
    Installation state;
    loadInstalledVersion(state, dir_.string());
    EXPECT_FALSE(fs::exists(settings + ".Xy12zW"));
    EXPECT_FALSE(fs::exists(settings + ".a1b2c3"));
    EXPECT_TRUE(fs::exists(dir_ / "mine.ini.a1b2c3"));
    EXPECT_EQ(readBytes(settings), gbk("[版本号]\r\n版本号=1.1\r\n"));
}

}  // namespace
}  // namespace arlo::catalogue
