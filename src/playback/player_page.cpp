#include "playback/player_page.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "catalogue/vocabulary.h"
#include "deploy/deploy.h"
#include "files/atomic_file.h"

namespace arlo::playback {
namespace {

// The frame shared by every template; line 5 is the player element.
constexpr std::string_view kHead =
    "<html style=\"height:100%;margin:0\">\r\n"
    "<head>\r\n"
    "</head>\r\n"
    "<body style=\"height:100%;margin:0\">\r\n";
constexpr std::string_view kTail = "\r\n</body>\r\n</html>";

constexpr std::string_view kSohuEmbedOpen =
    "<embed allownetworking=\"internal\" allowfullscreen=\"true\" allowscriptaccess=\"never\" "
    "src=\"";
constexpr std::string_view kSohuEmbedClose =
    "\" type=\"application/x-shockwave-flash\" width=\"100%\" height=\"100%\" "
    "style=\"display: block;\">";
constexpr std::string_view kSohuIdPath =
    "/sohu_20140917.swf?id=播放id&topBar=0&autoplay=true&rewriteType=5&shareBtn=0&likeBtn=0"
    "&topBarFull=0&topBarNor=0&sogouBtn=0";
constexpr std::string_view kSohuVidPath =
    "/sohu_20140917.swf?vid=播放id&skinNum=1&topBar=0&showRecommend=0&autoplay=true&api_key=";
constexpr std::string_view kSohuApiKey = "5e0c3a7d9b214f86a0c4e2b7d91f3a68";
constexpr std::string_view kSohuVidTail = "&sogouBtn=0";

constexpr std::string_view kLeTVObjectOpen =
    "<object width='100%' height='100%'><param name='allowFullScreen' value='true'>"
    "<param name='movie' value='";
constexpr std::string_view kLeTVEmbedOpen = "'/><embed src='";
// The line ends with a blank before its line end.
constexpr std::string_view kLeTVEmbedClose =
    "' width='100%' height='100%' allowFullScreen='true' "
    "type='application/x-shockwave-flash'/></object> ";
constexpr std::string_view kLeTVPath = "/20150110_letv.swf?autoPlay=1&id=播放id";

constexpr std::string_view kIqiyiEmbedOpen = "<embed type=\"application/x-shockwave-flash\" src=\"";
constexpr std::string_view kIqiyiPath =
    "/player/20140730103714/Player.swf?definitionID=播放id&menu=false&autoplay=true"
    "&cid=qc_100001_100100&=undefined";
constexpr std::string_view kIqiyiEmbedClose =
    "\" width=\"100%\" height=\"100%\" bgcolor=\"#000000\" quality=\"high\" "
    "allowfullscreen=\"true\" allowscriptaccess=\"always\" wmode=\"opaque\" salign=\"lt\" "
    "flashvars=\"\">";

std::string concat(std::initializer_list<std::string_view> parts) {
    std::string out;
    for (std::string_view p : parts) {
        out += p;
    }
    return out;
}

std::string playerElement(PageTemplate which) {
    const std::string_view host = deploy::kPlayerHost;
    switch (which) {
        case PageTemplate::SohuId:
            return concat({kSohuEmbedOpen, host, kSohuIdPath, kSohuEmbedClose});
        case PageTemplate::SohuVid:
            return concat(
                {kSohuEmbedOpen, host, kSohuVidPath, kSohuApiKey, kSohuVidTail, kSohuEmbedClose});
        case PageTemplate::LeTV: {
            const std::string address = concat({host, kLeTVPath});
            return concat({kLeTVObjectOpen, address, kLeTVEmbedOpen, address, kLeTVEmbedClose});
        }
        case PageTemplate::Iqiyi:
            return concat(
                {kIqiyiEmbedOpen, deploy::kIqiyiPlayerHost, kIqiyiPath, kIqiyiEmbedClose});
    }
    return {};
}

bool isPlaceholderAt(std::string_view text, std::size_t pos) {
    constexpr std::string_view kChinese =
        kPlayIdPlaceholder.substr(0, kPlayIdPlaceholder.size() - 2);
    if (text.size() - pos < kPlayIdPlaceholder.size() ||
        text.substr(pos, kChinese.size()) != kChinese) {
        return false;
    }
    const char i = text[pos + kChinese.size()];
    const char d = text[pos + kChinese.size() + 1];
    return (i == 'i' || i == 'I') && (d == 'd' || d == 'D');
}

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

}  // namespace

std::vector<std::string> playerPageFolders(std::string_view runDirectory) {
    std::vector<std::string> folders{std::string(runDirectory)};
    // Relative values are ignored, as the XDG base directory rules ask.
    const std::string runtime = environment("XDG_RUNTIME_DIR");
    if (!runtime.empty() && runtime.front() == '/') {
        folders.push_back(concat({runtime, "/", kUserPageFolderName}));
    }
    std::string cache = environment("XDG_CACHE_HOME");
    if (cache.empty() || cache.front() != '/') {
        const std::string home = environment("HOME");
        cache = !home.empty() && home.front() == '/' ? home + "/.cache" : std::string();
    }
    if (!cache.empty()) {
        folders.push_back(concat({cache, "/", kUserPageFolderName}));
    }
    return folders;
}

std::string nextPlayerPagePath(const std::vector<std::string>& folders) {
    for (std::size_t i = 0; i < folders.size(); ++i) {
        if ((i == 0 || files::makeOwnFolder(folders[i])) &&
            ::access(folders[i].c_str(), W_OK | X_OK) == 0) {
            return playerPagePath(folders[i]);
        }
    }
    return {};
}

PlacedPage placePlayerPage(const std::string& previousPath, const std::vector<std::string>& folders,
                           PageTemplate which, std::string_view playId) {
    if (!previousPath.empty()) {
        ::unlink(previousPath.c_str());
    }
    PlacedPage placed;
    for (std::size_t i = 0; i < folders.size(); ++i) {
        const std::string path = playerPagePath(folders[i]);
        if (i == 0) {
            placed.path = path;
        }
        // The run directory is the program's own; a per-user folder is made when missing.
        if (i > 0 && !files::makeOwnFolder(folders[i])) {
            continue;
        }
        if (writePlayerPage(path, which, playId) == PageWrite::Written) {
            return {PageWrite::Written, path};
        }
    }
    return placed;
}

int removeStalePageTemporaries(std::string_view runDirectory) {
    int removed = 0;
    for (const std::string& folder : playerPageFolders(runDirectory)) {
        removed += files::removeStaleTemporaries(playerPagePath(folder));
    }
    return removed;
}

std::string playerPagePath(std::string_view runDirectory) {
    return concat({runDirectory, "/", kPlayerPageFileName});
}

std::string templateText(PageTemplate which) {
    return concat({kHead, playerElement(which), kTail});
}

std::string replacePlayId(std::string_view text, std::string_view playId) {
    std::string out;
    out.reserve(text.size() + 2 * playId.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (isPlaceholderAt(text, pos)) {
            for (const char c : playId) {
                if (std::string_view("\"'<>").find(c) != std::string_view::npos) {
                    char encoded[4];
                    std::snprintf(encoded, sizeof encoded, "%%%02X", static_cast<unsigned char>(c));
                    out += encoded;
                } else {
                    out += c;
                }
            }
            pos += kPlayIdPlaceholder.size();
        } else {
            out += text[pos++];
        }
    }
    return out;
}

std::string buildPlayerPage(PageTemplate which, std::string_view playId) {
    return replacePlayId(templateText(which), playId);
}

PageTemplate chooseTemplate(std::string_view category, std::string_view language,
                            std::string_view source) {
    if (category == catalogue::kCategoryMovie) {
        return PageTemplate::LeTV;
    }
    if (language == catalogue::kLanguageJapanese) {
        return PageTemplate::SohuId;
    }
    if (source == catalogue::kSourceLeTV) {
        return PageTemplate::LeTV;
    }
    if (source == catalogue::kSourceIqiyi) {
        return PageTemplate::Iqiyi;
    }
    return PageTemplate::SohuVid;
}

bool armsHookTimer(std::string_view source) {
    return source != catalogue::kSourceIqiyi;
}

bool setHiddenAttribute(const std::string& /*path*/) {
    return true;
}

PageWrite writePlayerPage(const std::string& path, PageTemplate which, std::string_view playId) {
    // The old page goes first in every case, so a failed write never leaves the previous
    // episode's page behind for the view to show.
    ::unlink(path.c_str());

    if (!files::replaceFileAtomically(path, buildPlayerPage(which, playId))) {
        return PageWrite::Failed;
    }
    setHiddenAttribute(path);
    return PageWrite::Written;
}

}  // namespace arlo::playback
