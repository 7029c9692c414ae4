#include "playback/player_page.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "deploy/deploy.h"

namespace arlo::playback {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> splitCrLf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t pos = 0;
    for (;;) {
        const std::size_t end = text.find("\r\n", pos);
        lines.push_back(text.substr(pos, end == std::string::npos ? std::string::npos : end - pos));
        if (end == std::string::npos) {
            return lines;
        }
        pos = end + 2;
    }
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string host() {
    return std::string(deploy::kPlayerHost);
}

TEST(PlayerPage, everyTemplateIsSevenAsciiLinesAroundItsPlayerElement) {
    const std::string sohuId =
        "<embed allownetworking=\"internal\" allowfullscreen=\"true\" allowscriptaccess=\"never\" "
        "src=\"" +
        host() +
        "/sohu_20140917.swf?id=4711&topBar=0&autoplay=true&rewriteType=5&shareBtn=0&likeBtn=0&"
        "topBarFull=0&topBarNor=0&sogouBtn=0\" type=\"application/x-shockwave-flash\" "
        "width=\"100%\" height=\"100%\" style=\"display: block;\">";
    const std::string sohuVid =
        "<embed allownetworking=\"internal\" allowfullscreen=\"true\" allowscriptaccess=\"never\" "
        "src=\"" +
        host() +
        "/sohu_20140917.swf?vid=4711&skinNum=1&topBar=0&showRecommend=0&autoplay=true&api_key="
        "5e0c3a7d9b214f86a0c4e2b7d91f3a68&sogouBtn=0\" type=\"application/x-shockwave-flash\" "
        "width=\"100%\" height=\"100%\" style=\"display: block;\">";
    const std::string letvAddress = host() + "/20150110_letv.swf?autoPlay=1&id=4711";
    const std::string letv =
        "<object width='100%' height='100%'><param name='allowFullScreen' value='true'><param "
        "name='movie' value='" +
        letvAddress + "'/><embed src='" + letvAddress +
        "' width='100%' height='100%' allowFullScreen='true' "
        "type='application/x-shockwave-flash'/></object> ";
    const std::string iqiyi =
        "<embed type=\"application/x-shockwave-flash\" src=\"" +
        std::string(deploy::kIqiyiPlayerHost) +
        "/player/20140730103714/Player.swf?definitionID=4711&menu=false&autoplay=true&cid=qc_"
        "100001_100100&=undefined\" width=\"100%\" height=\"100%\" bgcolor=\"#000000\" "
        "quality=\"high\" allowfullscreen=\"true\" allowscriptaccess=\"always\" wmode=\"opaque\" "
        "salign=\"lt\" flashvars=\"\">";

    const struct {
        PageTemplate which;
        const std::string& element;
    } cases[] = {{PageTemplate::SohuId, sohuId},
                 {PageTemplate::SohuVid, sohuVid},
                 {PageTemplate::LeTV, letv},
                 {PageTemplate::Iqiyi, iqiyi}};
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.which));
        const std::string page = buildPlayerPage(c.which, "4711");
        const std::vector<std::string> lines = splitCrLf(page);
        ASSERT_EQ(lines.size(), 7u);
        EXPECT_EQ(lines[0], "<html style=\"height:100%;margin:0\">");
        EXPECT_EQ(lines[1], "<head>");
        EXPECT_EQ(lines[2], "</head>");
        EXPECT_EQ(lines[3], "<body style=\"height:100%;margin:0\">");
        EXPECT_EQ(lines[4], c.element);
        EXPECT_EQ(lines[5], "</body>");
        EXPECT_EQ(lines[6], "</html>");
        for (const char ch : page) {
            // Pure ASCII, no NUL, and no line end other than the CR LF pairs split above.
            ASSERT_GT(ch, 0);
        }
        for (const std::string& line : lines) {
            EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
        }
    }
}

TEST(PlayerPage, playIdReplacesEveryPlaceholderWhateverTheCaseOfItsLetters) {
    EXPECT_EQ(replacePlayId("a=播放id&b=播放ID&c=播放Id&d=播放iD", "X9"), "a=X9&b=X9&c=X9&d=X9");
    // Not a placeholder: other letters, or a text ending before the placeholder does.
    EXPECT_EQ(replacePlayId("播放ix 播放", "X9"), "播放ix 播放");
    EXPECT_EQ(replacePlayId("播放i", "X9"), "播放i");
    // The id is put in as it stands and is not searched again.
    EXPECT_EQ(replacePlayId("[播放id]", "播放id"), "[播放id]");
    EXPECT_EQ(replacePlayId("[播放id]", ""), "[]");
    // An id from a crafted list cannot leave its attribute.
    EXPECT_EQ(replacePlayId("src='播放id' x=\"播放id\"", "1'\"><img onerror=a>"),
              "src='1%27%22%3E%3Cimg onerror=a%3E' x=\"1%27%22%3E%3Cimg onerror=a%3E\"");

    const std::string letv = buildPlayerPage(PageTemplate::LeTV, "27193155");
    const std::string address = host() + "/20150110_letv.swf?autoPlay=1&id=27193155";
    const std::size_t param = letv.find("<param name='movie' value='" + address + "'/>");
    const std::size_t embed = letv.find("<embed src='" + address + "'");
    EXPECT_NE(param, std::string::npos);
    EXPECT_NE(embed, std::string::npos);
    EXPECT_LT(param, embed);

    const std::string iqiyi = buildPlayerPage(PageTemplate::Iqiyi, "9f3c2a01b7e4&tvId=2310984");
    EXPECT_NE(iqiyi.find("definitionID=9f3c2a01b7e4&tvId=2310984&menu=false"), std::string::npos);
}

TEST(PlayerPage, templateChoiceFollowsCategoryLanguageAndSource) {
    const struct {
        const char* category;
        const char* language;
        const char* source;
        PageTemplate expected;
    } rows[] = {
        {"TV版", "日语", "搜狐", PageTemplate::SohuId},
        {"TV版", "日语", "乐视", PageTemplate::SohuId},
        {"TV版", "日语", "爱奇艺", PageTemplate::SohuId},
        {"TV版", "日语", "", PageTemplate::SohuId},
        {"TV版", "国语", "搜狐", PageTemplate::SohuVid},
        {"TV版", "国语", "乐视", PageTemplate::LeTV},
        {"TV版", "国语", "爱奇艺", PageTemplate::Iqiyi},
        {"TV版", "国语", "", PageTemplate::SohuVid},
        {"TV版", "国语", "优酷", PageTemplate::SohuVid},
        {"TV版", "粤语", "乐视", PageTemplate::LeTV},  // any language but 日语 is Mandarin
        {"剧场版", "日语", "搜狐", PageTemplate::LeTV},
        {"剧场版", "国语", "爱奇艺", PageTemplate::LeTV},
        {"剧场版", "", "", PageTemplate::LeTV},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.category) + "/" + r.language + "/" + r.source);
        EXPECT_EQ(chooseTemplate(r.category, r.language, r.source), r.expected);
    }
    EXPECT_TRUE(armsHookTimer("搜狐"));
    EXPECT_TRUE(armsHookTimer("乐视"));
    EXPECT_TRUE(armsHookTimer(""));
    EXPECT_FALSE(armsHookTimer("爱奇艺"));
}

class PlayerPageFile : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("arlo_page_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        path_ = playerPagePath(dir_.string());
    }
    void TearDown() override {
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(dir_);
    }
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_)) {
            names.push_back(e.path().filename().string());
        }
        return names;
    }

    fs::path dir_;
    std::string path_;
};

TEST_F(PlayerPageFile, pageIsRewrittenOverAReadOnlyPageAndLeavesNoOtherFile) {
    EXPECT_EQ(path_, dir_.string() + "/Arlo目录.htm");
    {
        std::ofstream old(path_, std::ios::binary);
        old << "an older and much longer page that must not survive in any part";
    }
    fs::permissions(path_, fs::perms::owner_read | fs::perms::group_read);

    ASSERT_EQ(writePlayerPage(path_, PageTemplate::SohuId, "1001"), PageWrite::Written);
    EXPECT_EQ(readFile(path_), buildPlayerPage(PageTemplate::SohuId, "1001"));
    ASSERT_EQ(writePlayerPage(path_, PageTemplate::LeTV, "2002"), PageWrite::Written);
    EXPECT_EQ(readFile(path_), buildPlayerPage(PageTemplate::LeTV, "2002"));
    EXPECT_EQ(entries(), std::vector<std::string>{"Arlo目录.htm"});
}

TEST_F(PlayerPageFile, aWriteCutShortLeavesNoTruncatedPageAndReportsFailure) {
    {
        std::ofstream old(path_, std::ios::binary);
        old << "old page";
    }
    // A file size limit makes the write stop part way, as a full disk would.
    auto* previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    rlimit small = previous;
    small.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const PageWrite result = writePlayerPage(path_, PageTemplate::SohuVid, "3003");
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_EQ(result, PageWrite::Failed);
    // The old page was deleted first and no partial page or temporary file is left.
    EXPECT_TRUE(entries().empty());
}

TEST_F(PlayerPageFile, aFolderThatCannotBeWrittenIsReportedAsFailure) {
    const std::string missing = playerPagePath((dir_ / "no such folder").string());
    EXPECT_EQ(writePlayerPage(missing, PageTemplate::Iqiyi, "1"), PageWrite::Failed);
    EXPECT_TRUE(entries().empty());
}

// Runs `check` as a user without privileges (in a child process when the test runs as root,
// which may write anywhere); whether it held.
bool holdsForAnOrdinaryUser(const std::function<bool()>& check) {
    if (::geteuid() != 0) {
        return check();
    }
    const pid_t child = ::fork();
    if (child == 0) {
        const bool dropped = ::setgid(65534) == 0 && ::setuid(65534) == 0;
        ::_exit(dropped && check() ? 0 : 1);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

// Sets an environment variable for the lifetime of this object.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            previous_ = old;
        }
        if (value != nullptr) {
            ::setenv(name, value, 1);
        } else {
            ::unsetenv(name);
        }
    }
    ~ScopedEnvironment() {
        if (previous_) {
            ::setenv(name_, previous_->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* name_;
    std::optional<std::string> previous_;
};

TEST(PlayerPageFolders, runDirectoryFirstThenTheUsersRuntimeAndCacheFolders) {
    struct Case {
        const char* runtime;
        const char* cache;
        const char* home;
        std::vector<std::string> folders;
    };
    const std::vector<Case> cases = {
        {"/run/user/1000",
         "/home/u/.c",
         "/home/u",
         {"/opt/arlo", "/run/user/1000/Arlo迷", "/home/u/.c/Arlo迷"}},
        {nullptr, nullptr, "/home/u", {"/opt/arlo", "/home/u/.cache/Arlo迷"}},
        // Relative values do not count; without a home there is no cache folder.
        {"run", "cache", nullptr, {"/opt/arlo"}},
        {"", "", "", {"/opt/arlo"}},
    };
    for (const Case& c : cases) {
        const ScopedEnvironment runtime("XDG_RUNTIME_DIR", c.runtime);
        const ScopedEnvironment cache("XDG_CACHE_HOME", c.cache);
        const ScopedEnvironment home("HOME", c.home);
        EXPECT_EQ(playerPageFolders("/opt/arlo"), c.folders);
    }
}

TEST_F(PlayerPageFile, temporariesLeftByARunThatEndedWhileWritingAreRemovedEverywhere) {
    const fs::path run = dir_ / "run";
    const fs::path runtime = dir_ / "runtime";
    const fs::path cache = dir_ / "cache";
    fs::create_directories(run);
    fs::create_directories(runtime / "Arlo迷");
    const ScopedEnvironment runtimeFolder("XDG_RUNTIME_DIR", runtime.c_str());
    const ScopedEnvironment cacheFolder("XDG_CACHE_HOME", cache.c_str());  // not there
    const std::vector<fs::path> stale = {run / "Arlo目录.htm.k2Lm9Q",
                                         runtime / "Arlo迷" / "Arlo目录.htm.000aaa"};
    for (const fs::path& p : stale) {
        std::ofstream(p) << "<html><bo";
    }
    std::ofstream(run / "Arlo目录.htm") << "page";
    std::ofstream(run / "Arlo迷_配置.ini.k2Lm9Q") << "another file's";
    EXPECT_EQ(removeStalePageTemporaries(run.string()), 2);
    for (const fs::path& p : stale) {
        EXPECT_FALSE(fs::exists(p)) << p;
    }
    EXPECT_TRUE(fs::exists(run / "Arlo目录.htm"));
    EXPECT_TRUE(fs::exists(run / "Arlo迷_配置.ini.k2Lm9Q"));
    EXPECT_FALSE(fs::exists(cache));
}

TEST_F(PlayerPageFile, aReadOnlyRunDirectorySendsTheSamePageToTheUsersOwnFolder) {
    const fs::path run = dir_ / "run";
    const fs::path user = dir_ / "user" / "Arlo迷";
    fs::create_directories(run);
    fs::permissions(dir_, fs::perms::all);
    fs::permissions(run, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                             fs::perms::group_exec | fs::perms::others_read |
                             fs::perms::others_exec);
    const std::string expected = playerPagePath(user.string());
    EXPECT_TRUE(holdsForAnOrdinaryUser([&] {
        const PlacedPage placed =
            placePlayerPage({}, {run.string(), user.string()}, PageTemplate::LeTV, "4242");
        return nextPlayerPagePath({run.string(), user.string()}) == expected &&
               placed.result == PageWrite::Written && placed.path == expected &&
               readFile(expected) == buildPlayerPage(PageTemplate::LeTV, "4242");
    }));
    EXPECT_TRUE(fs::is_empty(run));
    EXPECT_EQ(readFile(expected), buildPlayerPage(PageTemplate::LeTV, "4242"));
    // The folder made for it is its owner's alone.
    EXPECT_EQ(fs::status(user).permissions() & fs::perms::all, fs::perms::owner_all);
}

TEST_F(PlayerPageFile, theLastPageGoesWhereverItWasAndAFailureEverywhereLeavesNoPage) {
    const fs::path user = dir_ / "user";
    const std::string inUser = playerPagePath(user.string());
    fs::create_directories(user);
    {
        std::ofstream old(inUser, std::ios::binary);
        old << "the page written while the run directory could not be written";
    }
    // The run directory can be written again: the page goes back there.
    PlacedPage placed =
        placePlayerPage(inUser, {dir_.string(), user.string()}, PageTemplate::SohuId, "7");
    EXPECT_EQ(placed.result, PageWrite::Written);
    EXPECT_EQ(placed.path, path_);
    EXPECT_EQ(nextPlayerPagePath({dir_.string(), user.string()}), path_);
    EXPECT_FALSE(fs::exists(inUser));

    // No folder takes it (paths through a file fail for root too): nothing is left anywhere.
    const fs::path file = dir_ / "a file";
    { std::ofstream(file) << "x"; }
    placed = placePlayerPage(path_, {(file / "run").string(), (file / "user").string()},
                             PageTemplate::SohuId, "8");
    EXPECT_EQ(placed.result, PageWrite::Failed);
    EXPECT_EQ(placed.path, playerPagePath((file / "run").string()));
    EXPECT_EQ(nextPlayerPagePath({(file / "run").string(), (file / "user").string()}), "");
    EXPECT_FALSE(fs::exists(path_));
}

}  // namespace
}  // namespace arlo::playback
