#include "playback/view/engine/page_rules.h"

#include <gtest/gtest.h>

using arlo::pageview::PageRequestRules;

namespace {

struct Case {
    const char* url;
    bool allowed;
};

// A page in a run directory, the emulator in a folder of its own, and three player hosts:
// one on the default port, one on a port of its own, one over https.
PageRequestRules rules() {
    PageRequestRules r(QStringLiteral("/opt/arlo/ruffle"),
                       {QUrl(QStringLiteral("http://player.one.invalid")),
                        QUrl(QStringLiteral("http://player.two.invalid:8080")),
                        QUrl(QStringLiteral("https://secure.three.invalid"))});
    r.setPage(QUrl::fromLocalFile(QStringLiteral("/run/a/Arlo目录.htm")));
    return r;
}

}  // namespace

TEST(PageRequestRules, LetThePageReachItselfTheEmulatorAndThePlayerHostsOnly) {
    const PageRequestRules r = rules();
    const Case cases[] = {
        {"file:///run/a/Arlo%E7%9B%AE%E5%BD%95.htm", true},
        {"file:///run/a/Arlo目录.htm#top", true},
        {"file:///run/a/secret.txt", false},
        {"file:///run/a/x/../Arlo目录.htm", true},
        {"file:///opt/arlo/ruffle/core.wasm", true},
        {"file:///opt/arlo/ruffle/../../../home/user/.ssh/id_rsa", false},
        {"file:///opt/arlo/ruffle", false},
        {"file:///opt/arlo/ruffle2/ruffle.js", false},
        {"file://otherhost/run/a/Arlo目录.htm", false},
        {"http://player.one.invalid/sohu.swf?id=1", true},
        {"HTTP://PLAYER.ONE.INVALID/sohu.swf", true},
        {"http://player.one.invalid:80/sohu.swf", true},
        {"http://player.one.invalid:81/sohu.swf", false},
        {"https://player.one.invalid/sohu.swf", false},
        {"http://player.two.invalid:8080/x.swf", true},
        {"http://player.two.invalid/x.swf", false},
        {"https://secure.three.invalid/p.swf", true},
        {"https://secure.three.invalid:443/p.swf", true},
        {"http://secure.three.invalid/p.swf", false},
        {"http://collect.evil.invalid/c?d=secret", false},
        {"http://player.one.invalid.evil.invalid/x.swf", false},
        {"ws://player.one.invalid/socket", false},
        {"ftp://player.one.invalid/x.swf", false},
        {"javascript:fetch('file:///etc/passwd')", false},
        {"data:text/plain,x", true},
        {"about:blank", true},
        {"about:srcdoc", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(r.allows(QUrl(QString::fromUtf8(c.url))), c.allowed) << c.url;
    }
}

TEST(PageRequestRules, ReachNoLocalFileBeforeAPageIsSetOrWithoutAnEmulator) {
    const PageRequestRules none(QString(), {});
    EXPECT_FALSE(none.allows(QUrl(QStringLiteral("file:///run/a/Arlo目录.htm"))));
    EXPECT_FALSE(none.allows(QUrl(QStringLiteral("file:///ruffle.js"))));
    EXPECT_FALSE(none.allows(QUrl(QStringLiteral("file:///"))));
}
