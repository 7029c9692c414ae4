#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QOpenGLContext>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <memory>

#include "evaluate_in_page.h"
#include "playback/player_page.h"
#include "playback/view/page_view.h"
#include "playback/view/plugin_hook.h"

using namespace arlo::pageview;

namespace {

constexpr int kLoadTimeoutMs = 30000;

// Counts what the page receives: mouse buttons pressed and released, context menus, load.
constexpr char kCountingPage[] =
    "<html><body style='height:100%;margin:0'>"
    "<script>window.downs=[];window.ups=[];window.menus=0;"
    "document.addEventListener('mousedown',e=>window.downs.push(e.button));"
    "document.addEventListener('mouseup',e=>window.ups.push(e.button));"
    "document.addEventListener('contextmenu',e=>{window.menus++;e.preventDefault();});"
    "</script><div style='height:100%'>counting</div></body></html>";

bool writeText(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

// Loads `path` and waits for the load to finish; false when it did not, in time or at all.
bool loadAndWait(PageView& view, const QString& path) {
    bool finished = false;
    bool loaded = false;
    view.setLoadFinishedHandler([&](bool ok) {
        finished = true;
        loaded = ok;
    });
    view.load(path);
    const QDeadlineTimer deadline(kLoadTimeoutMs);
    while (!finished && !deadline.hasExpired()) {
        QTest::qWait(20);
    }
    view.setLoadFinishedHandler({});
    return finished && loaded;
}

using arlo::pageview::test_support::evaluate;

}  // namespace

class PageViewTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void loadsThePageFromItsPathAndAnewOnTheSamePath();
    void pagesOpenNoWindowByLinkOrScript();
    void aMissingPageShowsAnEmptyViewNotTheEnginesErrorPage();
    void hookKeepsRightClicksFromThePageWhileLeftClicksReachIt();

private:
    QString pagePath(const QString& name) const { return dir_.filePath(name); }
    QWidget* inputWidget() const { return view_->widget()->focusProxy(); }

    QTemporaryDir dir_;
    std::unique_ptr<QWidget> window_;
    std::unique_ptr<PageView> view_;
};

void PageViewTest::initTestCase() {
    QVERIFY(dir_.isValid());
    // The OpenGL context the engine shares its drawing through is made for the first view,
    // not by the application object: start-up does not pay for it.
    QCOMPARE(QOpenGLContext::globalShareContext(), nullptr);
    // The engine needs a platform that can run it; where it cannot load a page at all, say
    // so instead of passing.
    init();
    if (!view_->hasEngine()) {
        QSKIP(qPrintable(QStringLiteral("the page view engine could not be loaded: ") +
                         engineLoadError()));
    }
    QVERIFY(QOpenGLContext::globalShareContext() != nullptr);
    QVERIFY(QCoreApplication::testAttribute(Qt::AA_ShareOpenGLContexts));
    QVERIFY(writeText(pagePath(QStringLiteral("probe.htm")), "<html><body>probe</body></html>"));
    const bool loaded = loadAndWait(*view_, pagePath(QStringLiteral("probe.htm")));
    cleanup();
    if (!loaded) {
        QSKIP("the browser engine cannot load pages on this platform (no display?)");
    }
}

void PageViewTest::init() {
    window_ = std::make_unique<QWidget>();
    window_->resize(640, 480);
    view_ = createPageView(window_.get());
    view_->widget()->setGeometry(0, 0, 640, 480);
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
}

void PageViewTest::cleanup() {
    view_.reset();
    window_.reset();
}

void PageViewTest::loadsThePageFromItsPathAndAnewOnTheSamePath() {
    // The real Player page as written for playback.
    const std::string page = arlo::playback::playerPagePath(dir_.path().toStdString());
    QCOMPARE(arlo::playback::writePlayerPage(page, arlo::playback::PageTemplate::LeTV, "4711"),
             arlo::playback::PageWrite::Written);
    const QString path = QString::fromStdString(page);
    QVERIFY(loadAndWait(*view_, path));
    // The Flash emulator stands its own elements in for the page's object and embed; they
    // carry the page's addresses.
    QTRY_COMPARE_WITH_TIMEOUT(
        evaluate(*view_, QStringLiteral("document.querySelectorAll('ruffle-object').length"))
            .toInt(),
        1, 10000);
    QVERIFY(
        evaluate(*view_, QStringLiteral("document.querySelector(\"param[name='movie']\").value"))
            .toString()
            .endsWith(QStringLiteral("/20150110_letv.swf?autoPlay=1&id=4711")));

    // Same path, new content: the view shows the new content.
    QCOMPARE(arlo::playback::writePlayerPage(page, arlo::playback::PageTemplate::Iqiyi, "9f3c"),
             arlo::playback::PageWrite::Written);
    QVERIFY(loadAndWait(*view_, path));
    QTRY_VERIFY_WITH_TIMEOUT(
        evaluate(*view_, QStringLiteral("(e => e ? e.getAttribute('src') : '')("
                                        "document.querySelector('ruffle-embed, embed'))"))
            .toString()
            .contains(QStringLiteral("definitionID=9f3c&menu=false")),
        10000);
    QCOMPARE(evaluate(*view_, QStringLiteral("document.querySelectorAll('object, ruffle-object')"
                                             ".length"))
                 .toInt(),
             0);
}

void PageViewTest::pagesOpenNoWindowByLinkOrScript() {
    QVERIFY(writeText(pagePath(QStringLiteral("other.htm")), "<html><body>other</body></html>"));
    QVERIFY(writeText(
        pagePath(QStringLiteral("opener.htm")),
        "<html><body style='margin:0'>"
        "<a id='link' href='other.htm' target='_blank' "
        "style='position:absolute;left:0;top:0;width:200px;height:100px;display:block'>link</a>"
        "<button id='pop' onclick=\"window.popup=window.open('other.htm')\" "
        "style='position:absolute;left:0;top:200px;width:200px;height:100px'>pop</button>"
        "<script>window.popup='not asked';window.scripted=window.open('other.htm','_blank');"
        "</script></body></html>"));
    const int topLevelsBefore = int(QApplication::topLevelWidgets().size());
    QVERIFY(loadAndWait(*view_, pagePath(QStringLiteral("opener.htm"))));
    QTRY_VERIFY_WITH_TIMEOUT(inputWidget() != nullptr, 5000);

    // Real clicks count as the user's gesture, which pop-up blockers let through.
    QTest::mouseClick(inputWidget(), Qt::LeftButton, {}, QPoint(50, 50));
    QTest::mouseClick(inputWidget(), Qt::LeftButton, {}, QPoint(50, 250));
    QTRY_VERIFY_WITH_TIMEOUT(
        !evaluate(*view_, QStringLiteral("window.popup === 'not asked'")).toBool(), 5000);
    QTest::qWait(1000);  // time for a window to appear if one were going to

    QCOMPARE(int(QApplication::topLevelWidgets().size()), topLevelsBefore);
    QVERIFY(evaluate(*view_, QStringLiteral("location.pathname"))
                .toString()
                .endsWith(QStringLiteral("/opener.htm")));
    QVERIFY(
        evaluate(*view_, QStringLiteral("window.popup === null || window.popup.closed")).toBool());
    QVERIFY(evaluate(*view_, QStringLiteral("window.scripted === null || window.scripted.closed"))
                .toBool());
}

void PageViewTest::aMissingPageShowsAnEmptyViewNotTheEnginesErrorPage() {
    QVERIFY(writeText(pagePath(QStringLiteral("shown.htm")), "<html><body>shown</body></html>"));
    QVERIFY(loadAndWait(*view_, pagePath(QStringLiteral("shown.htm"))));
    QVERIFY(loadAndWait(*view_, pagePath(QStringLiteral("never written.htm"))));
    QCOMPARE(evaluate(*view_, QStringLiteral("location.href")).toString(),
             QStringLiteral("about:blank"));
    QCOMPARE(evaluate(*view_, QStringLiteral("document.body.innerText")).toString(), QString());
}

void PageViewTest::hookKeepsRightClicksFromThePageWhileLeftClicksReachIt() {
    QVERIFY(writeText(pagePath(QStringLiteral("count.htm")), kCountingPage));
    QTimer timer;
    timer.setObjectName(QStringLiteral("时钟1"));
    auto hooks = std::make_unique<PlayerHooks>(*view_, timer);
    QVERIFY(loadAndWait(*view_, pagePath(QStringLiteral("count.htm"))));
    hooks->arm();
    QCOMPARE(timer.interval(), kHookTimerInterval);
    QTRY_VERIFY_WITH_TIMEOUT(hooks->pluginHook().installed(), 10000);
    QVERIFY(!timer.isActive());
    QCOMPARE(timer.interval(), 0);
    QWidget* hooked = hooks->pluginHook().target();
    QVERIFY(hooked != view_->widget());

    QTest::mousePress(hooked, Qt::RightButton, {}, QPoint(100, 100));
    QTest::mouseRelease(hooked, Qt::RightButton, {}, QPoint(100, 100));
    QTest::mouseClick(hooked, Qt::LeftButton, {}, QPoint(100, 100));
    QTRY_COMPARE_WITH_TIMEOUT(
        evaluate(*view_, QStringLiteral("JSON.stringify(window.ups)")).toString(),
        QStringLiteral("[0]"), 5000);
    QCOMPARE(evaluate(*view_, QStringLiteral("JSON.stringify(window.downs)")).toString(),
             QStringLiteral("[0]"));
    QCOMPARE(evaluate(*view_, QStringLiteral("window.menus")).toInt(), 0);

    // Once the window holding the hook goes, right clicks reach the page as before.
    hooks.reset();
    QTest::mousePress(hooked, Qt::RightButton, {}, QPoint(100, 100));
    QTest::mouseRelease(hooked, Qt::RightButton, {}, QPoint(100, 100));
    QTRY_COMPARE_WITH_TIMEOUT(
        evaluate(*view_, QStringLiteral("JSON.stringify(window.downs)")).toString(),
        QStringLiteral("[0,2]"), 5000);
}

QTEST_MAIN(PageViewTest)
#include "page_view_test.moc"
