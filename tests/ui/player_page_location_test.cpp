#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>
#include <memory>

#include "catalogue/catalogue.h"
#include "playback/view/page_view.h"
#include "ui/app_context.h"
#include "ui/episode_list_panel.h"
#include "ui/episode_list_view.h"
#include "ui/episode_panel.h"
#include "ui/main_window.h"
#include "ui/navigation_adapter.h"
#include "ui/notices.h"
#include "ui/player_window.h"
#include "ui/widgets/controls.h"

using namespace arlo;
using namespace arlo::ui;

// Where the Player page can be written nowhere: the user is told, and the Player window
// shows an empty page rather than the browser engine's page for a missing file.
class PlayerPageLocationTest : public QObject {
    Q_OBJECT

private slots:
    void aPageThatCannotBeWrittenAnywhereIsToldAndShowsNoErrorPage();
};

void PlayerPageLocationTest::aPageThatCannotBeWrittenAnywhereIsToldAndShowsNoErrorPage() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // Paths that run through a file cannot be written, not even by root.
    const QString file = dir.filePath(QStringLiteral("a file"));
    QFile block(file);
    QVERIFY(block.open(QIODevice::WriteOnly));
    block.close();
    const QByteArray blocked = QFile::encodeName(file);
    ::setenv("XDG_RUNTIME_DIR", (blocked + "/runtime").constData(), 1);
    ::setenv("XDG_CACHE_HOME", (blocked + "/cache").constData(), 1);
    ::setenv("HOME", (blocked + "/home").constData(), 1);

    RecordingNotices notices;
    AppContext context;
    context.notices = &notices;
    context.runDirectory = file + QStringLiteral("/run");
    context.playback.pagePath =
        (context.runDirectory + QStringLiteral("/Arlo目录.htm")).toStdString();
    MainWindow window(context);
    const EpisodeListPanel::Controls& c = window.episodeListPanel().controls();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.startEpisodeListRefresh();
    const int rows = catalogue::Catalogue::builtIn().count(catalogue::List::JapaneseTitles);
    QTRY_COMPARE(c.episodeList->episodes().rowCount(), rows);
    const QModelIndex first = c.episodeList->model()->index(0, kColumnTitle);
    QTest::mouseClick(c.episodeList->viewport(), Qt::LeftButton, {},
                      c.episodeList->visualRect(first).center());
    QTest::mouseClick(window.episodePanel().controls().playButton, Qt::LeftButton);

    QTRY_VERIFY(!notices.entries().empty());
    QCOMPARE(notices.entries().front().caption, kCaptionNotice);
    QCOMPARE(notices.entries().front().text, QString::fromUtf8(playback::kPageNotWritten.data()));
    QVERIFY(!QFile::exists(QString::fromStdString(context.playback.pagePath)));

    auto* player = qobject_cast<PlayerWindow*>(window.playerWindow());
    QVERIFY(player != nullptr);
    if (!player->pageView().hasEngine()) {
        delete player;
        QSKIP("no page view engine");
    }
    QString address;
    const QDeadlineTimer deadline(30000);
    while (address != QStringLiteral("about:blank") && !deadline.hasExpired()) {
        player->pageView().runJavaScript(QStringLiteral("location.href"),
                                         [&](const QVariant& v) { address = v.toString(); });
        QTest::qWait(100);
    }
    QCOMPARE(address, QStringLiteral("about:blank"));
    delete player;
}

QTEST_MAIN(PlayerPageLocationTest)
#include "player_page_location_test.moc"
