// The program as a native Wayland client of a headless weston, which announces text input but
// no seat: the list fills and searches with the caret in the search box, an episode plays, and
// 置顶 asks the compositor without making the window anew.

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "app/wayland_input.h"
#include "catalogue/catalogue.h"
#include "playback/player_page.h"
#include "playback/view/page_view.h"
#include "support/wayland_compositor.h"
#include "ui/app_context.h"
#include "ui/episode_list_panel.h"
#include "ui/episode_list_view.h"
#include "ui/episode_panel.h"
#include "ui/main_window.h"
#include "ui/notices.h"
#include "ui/player_window.h"
#include "ui/widgets/controls.h"

using namespace arlo;
using namespace arlo::ui;
using catalogue::List;

class PlayerOnWaylandTest : public QObject {
    Q_OBJECT

public:
    explicit PlayerOnWaylandTest(bool onWayland) : onWayland_(onWayland) {}

private slots:
    void initTestCase() {
        if (!testing::WaylandCompositor::installed()) {
            QSKIP("weston is not installed (scripts/setup installs it): no Wayland cases");
        }
        QVERIFY2(onWayland_, "weston is installed but did not start");
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("wayland"));
    }

    void listFillsAndSearchesAndAnEpisodePlays();

private:
    bool onWayland_;
};

void PlayerOnWaylandTest::listFillsAndSearchesAndAnEpisodePlays() {
    const catalogue::Catalogue& cat = catalogue::Catalogue::builtIn();
    QTemporaryDir folder;
    const QString page = folder.filePath(QStringLiteral("Arlo目录.htm"));
    RecordingNotices notices;
    AppContext context;
    context.notices = &notices;
    context.state.category = "TV版";
    context.state.language = "日语";
    context.state.playerPagePath = page.toStdString();
    MainWindow window(context);
    const EpisodeListPanel::Controls& c = window.episodeListPanel().controls();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.startEpisodeListRefresh();
    QTRY_COMPARE(c.episodeList->episodes().rowCount(), cat.count(List::JapaneseTitles));

    // The caret in the search box, painted while a search is typed. (Without a seat no window
    // is ever active, so the box keeps its placeholder.)
    c.searchBox->setFocus();
    c.searchBox->clear();
    QTest::keyClicks(c.searchBox, QStringLiteral("742"));
    QTRY_COMPARE(c.resultCount->text(), QStringLiteral("搜索到 1 个结果"));
    window.grab();
    c.searchBox->clear();

    const QModelIndex row = c.episodeList->model()->index(2, kColumnTitle);
    QTest::mouseClick(c.episodeList->viewport(), Qt::LeftButton, {},
                      c.episodeList->visualRect(row).center());
    QTest::mouseClick(window.episodePanel().controls().playButton, Qt::LeftButton);
    auto* player = qobject_cast<PlayerWindow*>(window.playerWindow());
    QVERIFY(player != nullptr);
    bool loaded = false;
    player->pageView().setLoadFinishedHandler([&loaded](bool ok) { loaded = loaded || ok; });
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(page), 30000);
    QCOMPARE(player->windowTitle(), QStringLiteral("正在播放：  第3集  ") +
                                        QString::fromStdString(cat.value(List::JapaneseTitles, 3)));
    QVERIFY(QTest::qWaitForWindowExposed(player));
    QVERIFY2(player->pageView().hasEngine(), qPrintable(pageview::engineLoadError()));
    QTRY_VERIFY_WITH_TIMEOUT(loaded, 30000);
    player->pageView().setLoadFinishedHandler({});

    // A Wayland client cannot keep itself on top: the wish goes to the compositor and the
    // window is not taken down and put up again.
    QSignalSpy shown(player->windowHandle(), &QWindow::visibleChanged);
    auto* stayOnTop = player->findChild<QCheckBox*>(QStringLiteral("选择框1"));
    for (const bool ticked : {true, false}) {
        QTest::mouseClick(stayOnTop, Qt::LeftButton);
        QCOMPARE(stayOnTop->isChecked(), ticked);
        QCOMPARE(player->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint), ticked);
    }
    QCOMPARE(shown.count(), 0);
    QVERIFY(notices.entries().empty());
    delete player;
}

int main(int argc, char** argv) {
    // Points Qt at a weston of its own; without weston the cases skip.
    arlo::testing::WaylandCompositor compositor;
    const bool onWayland = arlo::testing::WaylandCompositor::installed() && compositor.start();
    // As the program's main() does before its application object.
    arlo::app::avoidTextInputWithoutSeat();
    QApplication app(argc, argv);
    PlayerOnWaylandTest test(onWayland);
    return QTest::qExec(&test, argc, argv);
}

#include "player_on_wayland_test.moc"
