#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "deploy/deploy.h"
#include "net/closed_port.h"
#include "standin/crafted_pictures.h"
#include "standin/picture_canvas.h"
#include "standin/services.h"
#include "standin/standin_environment.h"
#include "support/held_answers.h"
#include "ui/app_context.h"
#include "ui/guestbook_window.h"
#include "ui/notices.h"
#include "ui/widgets/hyperlink_label.h"
#include "ui/widgets/picture_box.h"

using arlo::test_support::HeldAnswers;
using arlo::ui::GuestbookWindow;
using arlo::ui::RecordingNotices;
namespace standin = arlo::standin;
namespace deploy = arlo::deploy;
using namespace std::chrono_literals;

class GuestbookWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void opening_showsTheCaptchaOfAFreshSession_whileTheMessageKeepsTheFocus();
    void newCaptcha_loadsAnotherPictureAndFocusesTheAnswer();
    void anEmptyMessageOrCaptcha_isAskedForAndNothingIsSent();
    void anonymousThreeLetters_arePostedByteForByte_andSuccessClosesTheWindow();
    void aContact_isSignedInParentheses();
    void aWrongCaptchaWithASpace_arrivesAsTyped_emptiesTheBoxAndLoadsANewPicture();
    void aFailedHandshake_leavesNoPicture_andTheSubmissionFails();
    void anEmoji_isRefusedBeforeAnythingIsSent();
    void aSubmissionBeforeTheHandshakeEnds_waitsForIt_whileTheWindowAnswers();
    void closingWhileRequestsAreUnderWay_endsThemAndShowsNothing();
    void aCraftedCaptchaShowsNoPicture();

private:
    void open();
    void waitForCaptcha(int count = 1);
    void submit(const QString& message, const QString& captcha, const QString& nickname = {},
                const QString& contact = {});
    std::vector<standin::Request> posts() const;
    std::vector<standin::Request> captchaRequests() const;
    QStringList boxes() const;
    const GuestbookWindow::Controls& c() const { return window_->controls(); }

    std::unique_ptr<standin::StandinEnvironment> standin_;
    std::optional<std::string> hostMap_;
    std::shared_ptr<HeldAnswers> held_;
    RecordingNotices notices_;
    arlo::ui::AppContext context_;
    std::unique_ptr<GuestbookWindow> window_;
    std::unique_ptr<QSignalSpy> captchaShown_;
};

void GuestbookWindowTest::init() {
    standin_ = std::make_unique<standin::StandinEnvironment>();
    QVERIFY(standin_->ok());
    notices_.clear();
    context_.notices = &notices_;
}

void GuestbookWindowTest::cleanup() {
    window_.reset();
    if (held_) {
        held_->open();
        held_.reset();
    }
    captchaShown_.reset();
    standin_.reset();
}

void GuestbookWindowTest::open() {
    window_ = std::make_unique<GuestbookWindow>(context_);
    captchaShown_ = std::make_unique<QSignalSpy>(window_.get(), &GuestbookWindow::captchaShown);
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
}

void GuestbookWindowTest::waitForCaptcha(int count) {
    QTRY_COMPARE_WITH_TIMEOUT(captchaShown_->count(), count, 10000);
}

void GuestbookWindowTest::submit(const QString& message, const QString& captcha,
                                 const QString& nickname, const QString& contact) {
    c().message->setPlainText(message);
    c().nickname->setText(nickname);
    c().qqNumber->setText(contact);
    c().captchaAnswer->setText(captcha);
    QTest::mouseClick(c().submit, Qt::LeftButton);
}

std::vector<standin::Request> GuestbookWindowTest::posts() const {
    std::vector<standin::Request> out;
    for (const standin::Request& r : standin_->server().requestsFor(
             standin::hostOf(deploy::kHostingEndpointPrefix), "/Ccenter.aspx")) {
        if (r.method == "POST") {
            out.push_back(r);
        }
    }
    return out;
}

std::vector<standin::Request> GuestbookWindowTest::captchaRequests() const {
    return standin_->server().requestsFor(standin::hostOf(deploy::kGuestbookCaptchaPrefix),
                                          "/sjzx/ys_vf_img.aspx");
}

QStringList GuestbookWindowTest::boxes() const {
    QStringList texts;
    for (const RecordingNotices::Entry& e : notices_.entries()) {
        // Every box of the window is a notice with the friendly caption.
        if (e.kind != RecordingNotices::Kind::Inform || e.caption != QStringLiteral("温馨提示：")) {
            texts << QStringLiteral("unexpected box: ") + e.caption + e.text;
        } else {
            texts << e.text;
        }
    }
    return texts;
}

void GuestbookWindowTest::opening_showsTheCaptchaOfAFreshSession_whileTheMessageKeepsTheFocus() {
    open();
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    waitForCaptcha();
    const QPixmap& picture = c().captcha->picture();
    QCOMPARE(picture.size(), QSize(100, 35));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(c().message));

    // Home page, the endpoint with the page's token, then the picture with its cookies.
    const auto requests = standin_->server().requests();
    QCOMPARE(requests.size(), std::size_t{3});
    QCOMPARE(requests[0].host(), standin::hostOf(deploy::kHostingSpaceHome));
    QCOMPARE(requests[1].target,
             "/Ccenter.aspx?z=" + standin::hostingSpaceToken(standin_->server()));
    QCOMPARE(requests[1].header("Cookie"), std::string());
    QCOMPARE(requests[2].target,
             "/sjzx/ys_vf_img.aspx?lx=" + std::string(deploy::kHostingAccount) + "ly");
    QVERIFY(requests[2].header("Cookie").starts_with("ASP.NET_SessionId="));
}

void GuestbookWindowTest::newCaptcha_loadsAnotherPictureAndFocusesTheAnswer() {
    open();
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    waitForCaptcha();
    const QImage first = c().captcha->picture().toImage();
    const std::string firstCode = standin::latestGuestbookCaptcha(standin_->server());
    QTest::mouseClick(c().newCaptcha, Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(c().captchaAnswer));
    waitForCaptcha(2);
    QCOMPARE(captchaRequests().size(), std::size_t{2});
    if (standin::latestGuestbookCaptcha(standin_->server()) != firstCode) {
        QVERIFY(c().captcha->picture().toImage() != first);
    }
}

void GuestbookWindowTest::anEmptyMessageOrCaptcha_isAskedForAndNothingIsSent() {
    open();
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    waitForCaptcha();
    submit(QString(), QStringLiteral("1234"));
    QCOMPARE(boxes(), QStringList{QStringLiteral("留言忘写了哦~~")});
    notices_.clear();
    c().message->setFocus();
    submit(QStringLiteral("你好"), QString());
    QCOMPARE(boxes(), QStringList{QStringLiteral("验证码忘写了哦~~")});
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(c().captchaAnswer));
    QVERIFY(c().submit->isEnabled());
    QTest::qWait(100);
    QVERIFY(posts().empty());
}

void GuestbookWindowTest::anonymousThreeLetters_arePostedByteForByte_andSuccessClosesTheWindow() {
    open();
    waitForCaptcha();
    QSignalSpy finished(window_.get(), &QDialog::finished);
    const std::string code = standin::latestGuestbookCaptcha(standin_->server());
    c().message->setFocus();
    QTest::keyClicks(c().message, QStringLiteral("abc"));
    c().captchaAnswer->setText(QString::fromStdString(code));
    QTest::mouseClick(c().submit, Qt::LeftButton);
    // The click returns at once; Submit waits for the answer.
    QVERIFY(!c().submit->isEnabled());
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 10000);
    QCOMPARE(boxes(), QStringList{QStringLiteral("留言已成功提交，感谢支持哈！")});
    QCOMPARE(window_->result(), int{QDialog::Accepted});
    QVERIFY(!window_->isVisible());

    const auto sent = posts();
    QCOMPARE(sent.size(), std::size_t{1});
    QCOMPARE(sent[0].body,
             "Yz0=lytj&Yz1=n1&Yz2=%C4%E4%C3%FB&Yz3=%C4%E4%C3%FB%A3%BA%61%62%63&Yz4=" + code);
    QCOMPARE(sent[0].target, "/Ccenter.aspx?z=" + standin::hostingSpaceToken(standin_->server()));
    const auto stored = standin::guestbookMessages(standin_->server());
    QCOMPARE(stored.size(), std::size_t{1});
    QCOMPARE(stored[0].nickname, std::string("匿名"));
    QCOMPARE(stored[0].text, std::string("匿名：abc"));
}

void GuestbookWindowTest::aContact_isSignedInParentheses() {
    open();
    waitForCaptcha();
    QSignalSpy finished(window_.get(), &QDialog::finished);
    submit(QStringLiteral("第一行\n第二行"),
           QString::fromStdString(standin::latestGuestbookCaptcha(standin_->server())),
           QStringLiteral("小明"), QStringLiteral("10001"));
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 10000);
    const auto stored = standin::guestbookMessages(standin_->server());
    QCOMPARE(stored.size(), std::size_t{1});
    QCOMPARE(stored[0].nickname, std::string("小明"));
    // The line break goes as the service's own form sends it.
    QCOMPARE(stored[0].text, std::string("小明（10001）：第一行\r\n第二行"));
}

void GuestbookWindowTest::
    aWrongCaptchaWithASpace_arrivesAsTyped_emptiesTheBoxAndLoadsANewPicture() {
    open();
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    waitForCaptcha();
    QSignalSpy ended(window_.get(), &GuestbookWindow::submissionEnded);
    submit(QStringLiteral("留个言"), QStringLiteral("12 34"));
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, 10000);
    QCOMPARE(boxes(), QStringList{QStringLiteral("验证码不正确,请重新输入")});
    const auto sent = posts();
    QCOMPARE(sent.size(), std::size_t{1});
    QVERIFY(sent[0].body.ends_with("&Yz4=12%2034"));
    QCOMPARE(standin::percentDecode("12%2034"), std::string("12 34"));

    QCOMPARE(c().captchaAnswer->text(), QString());
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(c().captchaAnswer));
    QVERIFY(c().submit->isEnabled());
    QCOMPARE(c().message->toPlainText(), QStringLiteral("留个言"));
    waitForCaptcha(2);
    QCOMPARE(captchaRequests().size(), std::size_t{2});
    QVERIFY(!c().captcha->picture().isNull());
    QVERIFY(standin::guestbookMessages(standin_->server()).empty());
}

void GuestbookWindowTest::aFailedHandshake_leavesNoPicture_andTheSubmissionFails() {
    // The home page cannot be reached; every other host still can.
    const std::string map = standin::hostOf(deploy::kHostingSpaceHome) +
                            "=127.0.0.1:" + std::to_string(arlo::net::test_support::closedPort()) +
                            "," + standin_->hostMap();
    ::setenv("ARLO_HOST_MAP", map.c_str(), 1);
    open();
    waitForCaptcha();
    QVERIFY(c().captcha->picture().isNull());
    QCOMPARE(captchaRequests().size(), std::size_t{1});
    QSignalSpy ended(window_.get(), &GuestbookWindow::submissionEnded);
    submit(QStringLiteral("你好"), QStringLiteral("1234"));
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, 10000);
    QCOMPARE(boxes(), QStringList{QStringLiteral("提交失败，未知错误")});
    QVERIFY(c().submit->isEnabled());
    QVERIFY(window_->isVisible());
    window_.reset();
    ::setenv("ARLO_HOST_MAP", standin_->hostMap().c_str(), 1);
}

void GuestbookWindowTest::anEmoji_isRefusedBeforeAnythingIsSent() {
    open();
    waitForCaptcha();
    const QString message = QStringLiteral("好看😀");
    submit(message, QStringLiteral("1234"));
    QCOMPARE(
        boxes(),
        QStringList{QStringLiteral("留言里有无法发送的字符（比如表情符号），请删掉后再提交。")});
    QCOMPARE(c().message->toPlainText(), message);
    QVERIFY(c().submit->isEnabled());
    notices_.clear();
    submit(QStringLiteral("好看"), QStringLiteral("1234"), QStringLiteral("😀"));
    QCOMPARE(
        boxes(),
        QStringList{QStringLiteral("昵称里有无法发送的字符（比如表情符号），请删掉后再提交。")});
    QTest::qWait(100);
    QVERIFY(posts().empty());
}

void GuestbookWindowTest::aSubmissionBeforeTheHandshakeEnds_waitsForIt_whileTheWindowAnswers() {
    const std::string home = standin::hostOf(deploy::kHostingSpaceHome);
    held_ = HeldAnswers::install(standin_->server(), [home](const standin::Request& r) {
        return r.host() == home && r.path == "/";
    });
    open();
    QVERIFY(held_->waitUntilHolding(10s));
    QSignalSpy ended(window_.get(), &GuestbookWindow::submissionEnded);
    submit(QStringLiteral("抢先"), QStringLiteral("0000"));
    QVERIFY(!c().submit->isEnabled());
    // The window goes on answering meanwhile.
    QTest::keyClicks(c().nickname, QStringLiteral("ok"));
    QCOMPARE(c().nickname->text(), QStringLiteral("ok"));
    QTest::qWait(200);
    QVERIFY(posts().empty());
    QCOMPARE(ended.count(), 0);
    held_->open();
    // Sent within the session, the code was judged (no picture ever showed 0000).
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, 10000);
    QCOMPARE(boxes(), QStringList{QStringLiteral("验证码不正确,请重新输入")});
    const auto sent = posts();
    QCOMPARE(sent.size(), std::size_t{1});
    QCOMPARE(sent[0].target, "/Ccenter.aspx?z=" + standin::hostingSpaceToken(standin_->server()));
}

void GuestbookWindowTest::closingWhileRequestsAreUnderWay_endsThemAndShowsNothing() {
    // While the handshake is held.
    const std::string home = standin::hostOf(deploy::kHostingSpaceHome);
    held_ = HeldAnswers::install(standin_->server(), [home](const standin::Request& r) {
        return r.host() == home && r.path == "/";
    });
    open();
    QVERIFY(held_->waitUntilHolding(10s));
    QTest::mouseClick(c().cancel, Qt::LeftButton);
    QVERIFY(!window_->isVisible());
    QTest::qWait(100);
    QCOMPARE(captchaShown_->count(), 0);
    window_.reset();
    held_->open();
    held_.reset();

    // While the message is held.
    held_ = HeldAnswers::install(standin_->server(),
                                 [](const standin::Request& r) { return r.method == "POST"; });
    open();
    waitForCaptcha();
    submit(QStringLiteral("发出去了吗"), QStringLiteral("1234"));
    QVERIFY(held_->waitUntilHolding(10s));
    window_->close();
    QVERIFY(!window_->isVisible());
    const std::size_t requests = standin_->server().requests().size();
    // The service's answer, let go now, finds nobody to tell, and nothing more is asked.
    held_->open();
    QTest::qWait(300);
    QCOMPARE(boxes(), QStringList());
    QCOMPARE(standin_->server().requests().size(), requests);
    window_.reset();
}

void GuestbookWindowTest::aCraftedCaptchaShowsNoPicture() {
    for (const std::string_view name : standin::kCraftedPictures) {
        standin::setGuestbookCaptchaPicture(standin_->server(), standin::craftedPicture(name));
        open();
        waitForCaptcha();
        QVERIFY2(c().captcha->picture().isNull(), name.data());
        window_.reset();
    }
    standin::setGuestbookCaptchaPicture(standin_->server(), {});
}

QTEST_MAIN(GuestbookWindowTest)
#include "guestbook_window_test.moc"
