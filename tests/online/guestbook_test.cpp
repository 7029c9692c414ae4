#include "online/guestbook.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <random>
#include <string>
#include <vector>

#include "deploy/deploy.h"
#include "standin/picture_canvas.h"
#include "standin/services.h"
#include "standin/standin_environment.h"
#include "support/held_answers.h"
#include "text/gbk.h"
#include "text/markers.h"

namespace arlo::online {
namespace {

using namespace std::chrono_literals;

std::string gbk(std::string_view utf8) {
    return text::utf8ToGbk(utf8).value();
}

TEST(GuestbookForm, anonymousThreeLetterMessage_isEncodedByteForByte) {
    const EncodedGuestbookForm form = encodeGuestbookForm({"abc", "", "", "1234"}).value();
    // 匿名 is C4E4 C3FB in GBK, "：" A3BA; letters are encoded as well.
    EXPECT_EQ(form.body,
              "Yz0=lytj&Yz1=n1&Yz2=%C4%E4%C3%FB&Yz3=%C4%E4%C3%FB%A3%BA%61%62%63&Yz4=1234");
    EXPECT_EQ(form.messageGbk, "abc");
}

TEST(GuestbookForm, aContact_standsInFullWidthParenthesesAfterTheNickname) {
    const EncodedGuestbookForm form = encodeGuestbookForm({"好", "Ab", "10001", "x9"}).value();
    EXPECT_EQ(form.body,
              "Yz0=lytj&Yz1=n1&Yz2=%41%62&Yz3=%41%62%A3%A8%31%30%30%30%31%A3%A9%A3%BA%BA%C3"
              "&Yz4=x9");
    EXPECT_EQ(form.messageGbk, gbk("好"));
}

TEST(GuestbookForm, theCaptchaAnswerReachesTheServiceAsTyped) {
    const struct {
        std::string typed, sent;
    } cases[] = {
        {"Ab-9._~", "Ab-9._~"},              // what a form may carry as it is stays so
        {"12 34", "12%2034"},                // a space is not a "+"
        {"a&b=c%d+e", "a%26b%3Dc%25d%2Be"},  // nothing that would cut the body or be misread
        {"验证", "%D1%E9%D6%A4"},            // GBK, like the rest of the form
    };
    for (const auto& c : cases) {
        const EncodedGuestbookForm form = encodeGuestbookForm({"m", "", "", c.typed}).value();
        EXPECT_TRUE(form.body.ends_with("&Yz4=" + c.sent)) << form.body;
        EXPECT_EQ(standin::percentDecode(c.sent), gbk(c.typed));
    }
    EXPECT_EQ(percentEncodeEveryByte(std::string("\0\xFF ", 3)), "%00%FF%20");
}

TEST(GuestbookForm, everyLineBreakOfTheMessageGoesAsOneCrLf) {
    const std::pair<std::string, std::string> cases[] = {
        {"a\nb", "a\r\nb"},    {"a\rb", "a\r\nb"},         {"a\r\nb", "a\r\nb"},
        {"\n\r", "\r\n\r\n"},  {"a\r\r\nb", "a\r\n\r\nb"}, {"\r\n\r\n", "\r\n\r\n"},
        {"\nb\r", "\r\nb\r\n"}};
    for (const auto& [typed, sent] : cases) {
        EXPECT_EQ(
            encodeGuestbookForm({typed, "n", "", "1"}).value().body,
            "Yz0=lytj&Yz1=n1&Yz2=%6E&Yz3=%6E%A3%BA" + percentEncodeEveryByte(sent) + "&Yz4=1");
    }
}

TEST(GuestbookForm, aFieldThatGbkCannotWrite_isNamedAndNothingIsEncoded) {
    const std::string emoji = "\xF0\x9F\x98\x80";
    const struct {
        GuestbookForm form;
        GuestbookField refused;
    } cases[] = {
        {{"好" + emoji, "", "", "1234"}, GuestbookField::Message},
        {{"好", "小" + emoji, "", "1234"}, GuestbookField::Nickname},
        {{"好", "", emoji, "1234"}, GuestbookField::Contact},
        {{"好", "", "", "12" + emoji}, GuestbookField::Captcha},
        {{emoji, emoji, emoji, emoji}, GuestbookField::Message},  // the first one counts
        {{"好", "", "", "\xE9\x9D"}, GuestbookField::Captcha},    // broken UTF-8
    };
    for (const auto& c : cases) {
        const auto form = encodeGuestbookForm(c.form);
        ASSERT_FALSE(form) << c.form.message << c.form.nickname;
        EXPECT_EQ(form.why(), c.refused) << c.form.message << c.form.nickname;
    }
}

TEST(GuestbookReply, theEchoedMessageWins_thenTheCaptchaRefusal_elseFailure) {
    const std::string message = gbk("第一次留言");
    const std::string refusal = gbk("<script>alert('验证码不正确,请重新输入');</script>");
    EXPECT_EQ(judgeGuestbookReply(gbk("<p>匿名：第一次留言</p>"), message),
              GuestbookOutcome::Accepted);
    EXPECT_EQ(judgeGuestbookReply(refusal, message), GuestbookOutcome::WrongCaptcha);
    EXPECT_EQ(judgeGuestbookReply(refusal + message, message), GuestbookOutcome::Accepted);
    EXPECT_EQ(judgeGuestbookReply(gbk("会话已过期，请刷新页面。"), message),
              GuestbookOutcome::Failed);
    EXPECT_EQ(judgeGuestbookReply("", message), GuestbookOutcome::Failed);
    // The reply is read up to its first NUL byte.
    EXPECT_EQ(judgeGuestbookReply(std::string("<p>\0", 4) + message, message),
              GuestbookOutcome::Failed);
    // Case matters.
    EXPECT_EQ(judgeGuestbookReply("HELLO", "hello"), GuestbookOutcome::Failed);
}

TEST(GuestbookReply, matchesGoByWholeGbkCharacters) {
    // 丂 is 81 40: its second byte is "@", which is not in the page.
    EXPECT_EQ(judgeGuestbookReply(gbk("<p>丂</p>"), "@"), GuestbookOutcome::Failed);
    EXPECT_EQ(judgeGuestbookReply(gbk("<p>丂@</p>"), "@"), GuestbookOutcome::Accepted);
}

// Replies and messages (empty ones too) of bytes that make lead, trail and single characters:
// at the start, the end, in the middle, partly at the end, only at a trail byte, after a
// partial match. Every one is judged as the search by whole characters judges it.
TEST(GuestbookReply, theMessageIsFoundExactlyWhereASearchByWholeCharactersFindsIt) {
    std::mt19937 random(21);
    const auto draw = [&](std::size_t most) {
        std::string out(random() % (most + 1), ' ');
        for (char& c : out) {
            c = "a@\x81"[random() % 3];
        }
        return out;
    };
    for (int round = 0; round < 20000; ++round) {
        const std::string reply = draw(12);
        const std::string message = draw(4);
        EXPECT_EQ(judgeGuestbookReply(reply, message) == GuestbookOutcome::Accepted,
                  text::findText(reply, message, 1, text::Case::Sensitive, text::Charset::Gbk) > 0)
            << reply << " / " << message;
    }
}

class GuestbookService : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(standin_.ok()); }
    void TearDown() override {
        if (gate_) {
            gate_->open();
        }
    }

    void holdAnswers(test_support::HeldAnswers::Match matches) {
        gate_ = test_support::HeldAnswers::install(standin_.server(), std::move(matches));
    }

    static bool isHomePage(const standin::Request& request) {
        return request.host() == standin::hostOf(deploy::kHostingSpaceHome) && request.path == "/";
    }

    std::vector<standin::Request> endpointPosts() {
        std::vector<standin::Request> posts;
        for (const standin::Request& r : standin_.server().requestsFor(
                 standin::hostOf(deploy::kHostingEndpointPrefix), "/Ccenter.aspx")) {
            if (r.method == "POST") {
                posts.push_back(r);
            }
        }
        return posts;
    }

    static net::Bytes loadCaptcha(GuestbookClient& client) {
        std::promise<net::Bytes> picture;
        client.loadCaptcha([&picture](net::Bytes bytes) { picture.set_value(std::move(bytes)); });
        return picture.get_future().get();
    }

    static GuestbookOutcome submit(GuestbookClient& client, const GuestbookForm& form) {
        std::promise<GuestbookOutcome> outcome;
        client.submit(encodeGuestbookForm(form).value(),
                      [&outcome](GuestbookOutcome o) { outcome.set_value(o); });
        return outcome.get_future().get();
    }

    standin::StandinEnvironment standin_;
    std::shared_ptr<test_support::HeldAnswers> gate_;
};

TEST_F(GuestbookService, theCaptchaComesWithinTheSession_andItsCodeLetsTheMessageIn) {
    GuestbookClient client;
    client.openSession();
    const net::Bytes picture = loadCaptcha(client);
    ASSERT_GE(picture.size(), 2u);
    EXPECT_EQ(picture.substr(0, 2), "\xFF\xD8");  // a JPEG
    const auto captchas = standin_.server().requestsFor(
        standin::hostOf(deploy::kGuestbookCaptchaPrefix), "/sjzx/ys_vf_img.aspx");
    ASSERT_EQ(captchas.size(), 1u);
    EXPECT_EQ(captchas[0].target,
              "/sjzx/ys_vf_img.aspx?lx=" + std::string(deploy::kHostingAccount) + "ly");
    EXPECT_TRUE(captchas[0].header("Cookie").starts_with("ASP.NET_SessionId="));

    const std::string code = standin::latestGuestbookCaptcha(standin_.server());
    ASSERT_EQ(code.size(), 4u);
    EXPECT_EQ(submit(client, {"第一条", "", "", code}), GuestbookOutcome::Accepted);
    const auto posts = endpointPosts();
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_EQ(posts[0].target, "/Ccenter.aspx?z=" + standin::hostingSpaceToken(standin_.server()));
    // The same session: its cookie comes first in both.
    const std::string session = captchas[0].header("Cookie").substr(0, 42);
    EXPECT_TRUE(posts[0].header("Cookie").starts_with(session)) << posts[0].header("Cookie");

    // A code serves one attempt; a wrong one is refused as such.
    EXPECT_EQ(submit(client, {"第二条", "", "", code}), GuestbookOutcome::WrongCaptcha);
    loadCaptcha(client);
    EXPECT_EQ(submit(client, {"第三条", "", "", code + "0"}), GuestbookOutcome::WrongCaptcha);
    const auto stored = standin::guestbookMessages(standin_.server());
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].text, "匿名：第一条");
}

TEST_F(GuestbookService, everyKindOfCharacterGbkHolds_arrivesAsTyped) {
    std::string ascii;
    for (char c = 0x20; c < 0x7F; ++c) {
        ascii += c;
    }
    const std::string lines = "第一行\n第二行\t制表";
    const std::vector<std::string> samples = {
        ascii,
        lines,                                            // line breaks and tabs
        "汉字：爱国，龘齉，亍丌",                         // GB2312 hanzi, rare ones too
        "丂亐乛乥瓧臈",                                   // GBK's extension hanzi (GBK/3, GBK/4)
        "、。·ˉˇ¨〃々—～‖…‘’“”〔〕〈〉《》「」『』【】",  // punctuation
        "ＡＢｃｄ０１２！＂＃％＆＇（）＋，－．／",       // full-width forms
        "ぁあアヴヶ",                                     // kana
        "ΑΩαω АЯая",                                      // Greek and Cyrillic
        "āáǎàēōūǖüɑńňɡ",                                  // pinyin letters
        "ⅠⅫⅰ①⑩⑴⒇㈠㈩",                                    // numerals
        "─│┌┼╋▲△○●◎◇◆□■★☆※→←↑↓〓",                        // box drawing and symbols
        "€",                     // the one single-byte character above 0x7F
        "﹉﹊﹋﹌﹍︱︳︴︵︶",  // GBK/5 forms
    };
    GuestbookClient client;
    client.openSession();
    for (const std::string& sample : samples) {
        loadCaptcha(client);
        const std::string code = standin::latestGuestbookCaptcha(standin_.server());
        EXPECT_EQ(submit(client, {sample, "小明", "10001", code}), GuestbookOutcome::Accepted)
            << sample;
    }
    const auto stored = standin::guestbookMessages(standin_.server());
    ASSERT_EQ(stored.size(), samples.size());
    for (std::size_t i = 0; i < samples.size(); ++i) {
        EXPECT_EQ(stored[i].nickname, "小明");
        EXPECT_EQ(stored[i].text,
                  "小明（10001）：" +
                      (samples[i] == lines ? std::string("第一行\r\n第二行\t制表") : samples[i]));
    }
}

TEST_F(GuestbookService, aMessageAskedForBeforeTheSessionIsOpen_waitsForIt) {
    holdAnswers(isHomePage);
    GuestbookClient client;
    client.openSession();
    std::promise<GuestbookOutcome> outcome;
    client.submit(encodeGuestbookForm({"早", "", "", "0000"}).value(),
                  [&outcome](GuestbookOutcome o) { outcome.set_value(o); });
    ASSERT_TRUE(gate_->waitUntilHolding(10s));
    std::future<GuestbookOutcome> result = outcome.get_future();
    EXPECT_EQ(result.wait_for(200ms), std::future_status::timeout);
    EXPECT_TRUE(endpointPosts().empty());
    gate_->open();
    // It went with the space's token and the session's cookies: the service judged the code.
    EXPECT_EQ(result.get(), GuestbookOutcome::WrongCaptcha);
    const auto posts = endpointPosts();
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_EQ(posts[0].target, "/Ccenter.aspx?z=" + standin::hostingSpaceToken(standin_.server()));
}

TEST_F(GuestbookService, withoutASession_thereIsNoPictureAndTheMessageFails) {
    GuestbookClient client;
    const net::Bytes page = loadCaptcha(client);
    EXPECT_NE(page.substr(0, 2), "\xFF\xD8");
    EXPECT_EQ(submit(client, {"无会话", "", "", "1234"}), GuestbookOutcome::Failed);
    EXPECT_TRUE(standin::guestbookMessages(standin_.server()).empty());
}

TEST_F(GuestbookService, goingAwayCutsTheRequestUnderWay_andNoCallbackRuns) {
    holdAnswers(isHomePage);
    std::atomic<int> callbacks{0};
    {
        GuestbookClient client;
        client.openSession();
        client.loadCaptcha([&callbacks](net::Bytes) { ++callbacks; });
        ASSERT_TRUE(gate_->waitUntilHolding(10s));
    }
    EXPECT_EQ(callbacks.load(), 0);
    gate_->open();
    // The captcha was never asked for.
    EXPECT_EQ(standin_.server().requests().size(), 1u);
}

TEST_F(GuestbookService, goingAwayDuringTheCaptchaRequest_runsNoCallback) {
    holdAnswers([](const standin::Request& r) { return r.path == "/sjzx/ys_vf_img.aspx"; });
    std::atomic<int> callbacks{0};
    {
        GuestbookClient client;
        client.openSession();
        client.loadCaptcha([&callbacks](net::Bytes) { ++callbacks; });
        ASSERT_TRUE(gate_->waitUntilHolding(10s));
    }
    gate_->open();
    EXPECT_EQ(callbacks.load(), 0);
}

}  // namespace
}  // namespace arlo::online
