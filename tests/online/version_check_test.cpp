#include "online/version_check.h"

#include <gtest/gtest.h>

#include <thread>

#include <chrono>

#include <cstdlib>
#include <string>
#include <vector>

#include "deploy/deploy.h"
#include "net/page_fetcher.h"
#include "standin/picture_canvas.h"
#include "standin/services.h"
#include "standin/standin_environment.h"

namespace arlo::online {
namespace {

using standin::downloadAddressFor;
using standin::downloadListingPage;
using standin::listingEntry;
using standin::updateNoticePage;

TEST(VersionText, ampersandEntitiesBecomeAmpersandsWhateverTheirCase) {
    const struct {
        std::string in, out;
    } cases[] = {
        {"A &amp; B", "A & B"},
        {"&AMP;&Amp;&amp;", "&&&"},
        {"&amp;amp;", "&amp;"},  // one pass: what a replacement makes is not looked at again
        {"&am p; &amp", "&am p; &amp"},
        {"更新说明=[画面&amp;声音；修复];", "更新说明=[画面&声音；修复];"},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(unescapeAmpersands(c.in), c.out) << c.in;
    }
}

TEST(VersionText, versionsCompareAsLeadingDecimalNumbers) {
    const struct {
        std::string current, latest;
        bool newer;
    } cases[] = {
        {"1.1", "1.2", true},         {"1.1", "1.1", false},      {"1.2", "1.1", false},
        {"1.1", "", false},           {"1.1", "abc", false},      {"1.1", "1.2beta", true},
        {"1.9", "1.10", false},  // read as numbers, 1.10 is older than 1.9
        {"1.1", "1.10000001", false}, {"1.1", "1.1000002", true},
    };
    for (const auto& c : cases) {
        VersionState state;
        state.current = c.current;
        state.latest = c.latest;
        EXPECT_EQ(offersNewerVersion(state), c.newer) << c.current << " -> " << c.latest;
    }
}

TEST(VersionText, theNoticeFieldsReplaceEarlierValuesEvenWhenMissing) {
    VersionState state{"1.1", "1.0", "old notes", ""};
    readUpdateNotice("<p>版本=[1.3];</p><p>更新说明=[一；二];</p><p>签名=[c2ln];</p>", state);
    EXPECT_EQ(state.latest, "1.3");
    EXPECT_EQ(state.releaseNotes, "一；二");
    EXPECT_EQ(state.signature, "c2ln");
    readUpdateNotice("<p>版本 1.4</p><p>更新说明=[三];</p>", state);
    EXPECT_EQ(state.latest, "");
    EXPECT_EQ(state.releaseNotes, "三");
    EXPECT_EQ(state.signature, "");
    EXPECT_EQ(state.current, "1.1");
}

TEST(VersionText, aTooLongVersionIsNone_andLongNotesAreCutBeforeACharacter) {
    const std::size_t most = kMaxReleaseNotesBytes;
    std::string han;  // "说" is 3 bytes: the limit falls inside the last one after "ab"
    for (std::size_t i = 0; i < most / 3; ++i) {
        han += "说";
    }
    const struct {
        std::string version, notes, latest, kept;
    } cases[] = {
        {std::string(32, '9'), std::string(most, 'a'), std::string(32, '9'),
         std::string(most, 'a')},
        {std::string(33, '9'), std::string(most + 1, 'a'), "", std::string(most, 'a')},
        {"2", "ab" + han, "2", "ab" + han.substr(0, han.size() - 3)},
    };
    for (const auto& c : cases) {
        VersionState state;
        readUpdateNotice(updateNoticePage(c.version, c.notes), state);
        EXPECT_EQ(state.latest, c.latest);
        EXPECT_EQ(state.releaseNotes, c.kept);
    }
}

TEST(DownloadListing, onlyWebAddressesMayBeOpened) {
    for (const std::string web :
         {"http://h/a.exe", "https://h/a.exe", "HTTP://h", "hTTpS://h:81/x?y"}) {
        EXPECT_TRUE(isWebAddress(web)) << web;
    }
    for (const std::string other :
         {"file:///etc/passwd", "smb://host/share/a.exe", "javascript:alert(1)", "", "/note/a.exe",
          "h/a.exe", "http:/x", "http://", "http:///x", " http://h", "http://h/a\nb", "httpx://h",
          "ftp://h/a"}) {
        EXPECT_FALSE(isWebAddress(other)) << other;
    }
}

TEST(DownloadListing, entriesAreTrimmedAndTheirMarkersMatchInAnyCase) {
    EXPECT_EQ(listingEntries("<ul><LI> a </Li>\n<li>\xE3\x80\x80"
                             "b c\xE3\x80\x80</LI></ul>"),
              (std::vector<std::string>{"a", "b c"}));
    // An entry of spaces only (full-width ones count) ends the collection.
    EXPECT_EQ(listingEntries("<li>a</li><li> \xE3\x80\x80 </li><li>b</li>"),
              std::vector<std::string>{"a"});
    EXPECT_EQ(listingEntries("<li>a</li><li></li><li>b</li>"), std::vector<std::string>{"a"});
    // So does a missing marker.
    EXPECT_EQ(listingEntries("<li>a</li><li>b"), std::vector<std::string>{"a"});
    EXPECT_EQ(listingEntries("no entries at all"), std::vector<std::string>{});
    EXPECT_EQ(listingEntries(""), std::vector<std::string>{});
    // Tabs and line breaks are not spaces: they stay inside the entry.
    EXPECT_EQ(listingEntries("<li>\n</li><li>b</li>"), (std::vector<std::string>{"\n", "b"}));
}

TEST(DownloadListing, theFirstEntryWithTheLatestVersionGivesTheAddress) {
    const std::vector<std::string> entries = {
        "<a href='/note/fd.htm?http://h/1.1.exe'>x</a><font>1.1</font>",
        "<a href='/note/fd.htm?http://h/1.20.exe'>x</a><font>1.20</font>",
        "<a href='/note/fd.htm?http://h/1.2.exe'>x</a><FONT>1.2</FONT>",
        "<a href='/note/fd.htm?http://h/1.2-again.exe'>x</a><font>1.2</font>",
    };
    VersionState state{"1.1", "1.2", "", ""};
    takeDownloadAddress(entries, state);
    // "1.20" is not "1.2", and "<FONT>" is not "<font>".
    EXPECT_EQ(state.downloadAddress, "http://h/1.2-again.exe");

    state = {"1.1", "1.1", "", "earlier"};
    takeDownloadAddress(entries, state);
    EXPECT_EQ(state.downloadAddress, "http://h/1.1.exe");

    // No match keeps the previous value; a match without a link empties it.
    state = {"1.1", "1.5", "", "earlier"};
    takeDownloadAddress(entries, state);
    EXPECT_EQ(state.downloadAddress, "earlier");
    takeDownloadAddress({"<font>1.5</font> no link", "/note/fd.htm?http://h/x'<font>1.5</font>"},
                        state);
    EXPECT_EQ(state.downloadAddress, "");
}

class VersionCheck : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(standin_.ok()); }

    void offer(std::string notice, std::string listing) {
        standin::setReleaseOffer(standin_.server(), {std::move(notice), std::move(listing)});
    }

    std::vector<standin::Request> endpointRequests() {
        return standin_.server().requestsFor(standin::hostOf(deploy::kHostingEndpointPrefix),
                                             "/Ccenter.aspx");
    }

    standin::StandinEnvironment standin_;
    VersionState state_{"1.1", "", "", ""};
};

TEST_F(VersionCheck, theSameVersion_offersNothingAndNeverAsksForTheListing) {
    EXPECT_FALSE(checkForUpdate(state_));
    EXPECT_EQ(state_.latest, "1.1");
    const auto requests = standin_.server().requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].host(), standin::hostOf(deploy::kUpdateNoticeAddress));
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].header("Cookie"), "");
}

TEST_F(VersionCheck, aNewerVersion_isOfferedWithItsNotesAndTheSecondEntrysAddress) {
    standin::setReleaseOffer(standin_.server(), standin::releaseOfferFor("1.2"));
    ASSERT_TRUE(checkForUpdate(state_));
    EXPECT_EQ(state_.current, "1.1");
    EXPECT_EQ(state_.latest, "1.2");
    // The full-width semicolon stays: line breaks are the Update window's business.
    EXPECT_EQ(state_.releaseNotes,
              "新增剧场版海报墙；修复国语版切换片源后集数错乱的问题 & 其他细节");
    EXPECT_EQ(state_.downloadAddress, downloadAddressFor("1.2"));

    // The handshake: home page, the endpoint with the page's token, then the listing form
    // sent with the cookies the GET set.
    const auto requests = standin_.server().requests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[1].host(), standin::hostOf(deploy::kHostingSpaceHome));
    EXPECT_EQ(requests[1].path, "/");
    const auto endpoint = endpointRequests();
    ASSERT_EQ(endpoint.size(), 2u);
    const std::string target = "/Ccenter.aspx?z=" + standin::hostingSpaceToken(standin_.server());
    EXPECT_EQ(endpoint[0].method, "GET");
    EXPECT_EQ(endpoint[0].target, target);
    EXPECT_EQ(endpoint[0].header("Cookie"), "");
    EXPECT_EQ(endpoint[1].method, "POST");
    EXPECT_EQ(endpoint[1].target, target);
    EXPECT_EQ(endpoint[1].body,
              "Yz0=dq&Yz1=" + std::string(deploy::kDownloadDirectoryId) + "&Yz2=&Yz3=&Yz4=");
    const std::string cookie = endpoint[1].header("Cookie");
    EXPECT_TRUE(cookie.starts_with("ASP.NET_SessionId=")) << cookie;
    EXPECT_TRUE(cookie.ends_with(";space=arlo")) << cookie;
}

TEST_F(VersionCheck, theEndpointWithoutTheSessionCookie_givesNoListing) {
    // What makes the test above prove that the cookie went back.
    standin::setReleaseOffer(standin_.server(), standin::releaseOfferFor("1.2"));
    const std::string endpoint =
        std::string(deploy::kHostingEndpointPrefix) + standin::hostingSpaceToken(standin_.server());
    const std::string form =
        "Yz0=dq&Yz1=" + std::string(deploy::kDownloadDirectoryId) + "&Yz2=&Yz3=&Yz4=";
    EXPECT_EQ(listingEntries(net::FetchPageText(endpoint, 1, form)).size(), 0u);
    std::string forged = "ASP.NET_SessionId=0123456789abcdef01234567; space=arlo";
    EXPECT_EQ(listingEntries(net::FetchPageText(endpoint, 1, form, &forged)).size(), 0u);
}

TEST_F(VersionCheck, escapedAmpersandsInAnyCaseArriveAsAmpersands) {
    offer(updateNoticePage("1.2", "画面&amp;声音；字幕&AMP;片源"),
          downloadListingPage({listingEntry("1.2", "http://h/a.exe?x=1&amp;y=2")}));
    ASSERT_TRUE(checkForUpdate(state_));
    EXPECT_EQ(state_.releaseNotes, "画面&声音；字幕&片源");
    // The listing is not the notice: its entities stay as they are.
    EXPECT_EQ(state_.downloadAddress, "http://h/a.exe?x=1&amp;y=2");
}

TEST_F(VersionCheck, aNoticePageLargerThanItsLimit_offersNothing) {
    const std::string listing =
        downloadListingPage({listingEntry("1.2", downloadAddressFor("1.2"))});
    const std::size_t page = updateNoticePage("1.2", "").size();
    for (const std::size_t over : {0, 1}) {
        offer(updateNoticePage("1.2", std::string(kMaxNoticeBytes - page + over, 'a')), listing);
        EXPECT_EQ(checkForUpdate(state_), over == 0) << over;
    }
}

TEST_F(VersionCheck, aNoticeWithoutItsVersionField_offersNothing) {
    offer("<p>版本：1.2</p><p>更新说明=[新功能];</p>",
          downloadListingPage({listingEntry("1.2", downloadAddressFor("1.2"))}));
    EXPECT_FALSE(checkForUpdate(state_));
    EXPECT_EQ(state_.latest, "");
    EXPECT_EQ(state_.releaseNotes, "新功能");
    EXPECT_EQ(standin_.server().requests().size(), 1u);
}

TEST_F(VersionCheck, anEntryOfSpaces_hidesTheEntriesAfterIt) {
    offer(updateNoticePage("1.2", "说明"),
          downloadListingPage({listingEntry("1.1", downloadAddressFor("1.1")),
                               "<li> \xE3\x80\x80 </li>",
                               listingEntry("1.2", downloadAddressFor("1.2"))}));
    EXPECT_FALSE(checkForUpdate(state_));
    EXPECT_EQ(state_.latest, "1.2");
    EXPECT_EQ(state_.downloadAddress, "");
    EXPECT_EQ(endpointRequests().size(), 2u);
}

TEST_F(VersionCheck, aNewerVersionMissingFromTheListing_offersNothing) {
    offer(updateNoticePage("1.3", "说明"),
          downloadListingPage({listingEntry("1.1", downloadAddressFor("1.1")),
                               listingEntry("1.2", downloadAddressFor("1.2"))}));
    EXPECT_FALSE(checkForUpdate(state_));
    EXPECT_EQ(state_.latest, "1.3");
    EXPECT_EQ(state_.downloadAddress, "");
}

TEST_F(VersionCheck, servicesThatFailOrStall_offerNothing) {
    // The notice host answers with an error page.
    offer("<html>500 Internal Server Error</html>", "");
    EXPECT_FALSE(checkForUpdate(state_));
    EXPECT_EQ(state_.latest, "");

    // A notice that never comes: the fetcher gives up on it.
    const char* stall = std::getenv("ARLO_NET_STALL_SECONDS");
    const std::string previousStall = stall ? stall : "";
    ::setenv("ARLO_NET_STALL_SECONDS", "1", 1);
    standin::ReleaseOffer stalled = standin::releaseOfferFor("1.2");
    stalled.noticeStalls = true;
    standin::setReleaseOffer(standin_.server(), stalled);
    EXPECT_FALSE(checkForUpdate(state_));
    EXPECT_EQ(state_.latest, "");
    if (stall) {
        ::setenv("ARLO_NET_STALL_SECONDS", previousStall.c_str(), 1);
    } else {
        ::unsetenv("ARLO_NET_STALL_SECONDS");
    }

    // Nobody listening at all.
    standin::setReleaseOffer(standin_.server(), standin::releaseOfferFor("1.2"));
    standin_.server().stop();
    EXPECT_FALSE(checkForUpdate(state_));
    EXPECT_EQ(state_, (VersionState{"1.1", "", "", ""}));
}

TEST_F(VersionCheck, aStoppedCheck_makesNoFurtherRequest) {
    standin::setReleaseOffer(standin_.server(), standin::releaseOfferFor("1.2"));
    StopFlag stop = true;
    EXPECT_FALSE(checkForUpdate(state_, &stop));
    // Stopped before it began: not even the notice is asked for.
    EXPECT_EQ(state_.latest, "");
    EXPECT_EQ(standin_.server().requests().size(), 0u);
}

// The request under way ends too: a notice that never comes does not hold the check (and its
// thread) once the offer is withdrawn, long before the 30 s stall rule would.
TEST_F(VersionCheck, aCheckStoppedWhileTheNoticeStalls_endsAtOnce) {
    standin::ReleaseOffer stalled = standin::releaseOfferFor("1.2");
    stalled.noticeStalls = true;
    standin::setReleaseOffer(standin_.server(), stalled);
    StopFlag stop = false;
    std::thread withdraw([&] {
        standin_.server().waitForRequests(1, std::chrono::milliseconds(10000));
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        stop = true;
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(checkForUpdate(state_, &stop));
    const auto took = std::chrono::steady_clock::now() - start;
    withdraw.join();
    EXPECT_LT(took, std::chrono::seconds(5));
    EXPECT_EQ(state_.latest, "");
}

}  // namespace
}  // namespace arlo::online
