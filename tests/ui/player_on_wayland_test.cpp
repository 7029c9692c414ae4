// The program as a native Wayland client of a headless weston, which offers text input but no
// seat: the list fills and searches with the caret in the search box, an episode plays, and
// 置顶 asks the compositor without taking the window down.

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "app/wayland_input.h"
#include "catalogue/catalogue.h"
#include "main_window_fixture.h"
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

namespace {
bool onWayland = false;
}

class PlayerOnWaylandTest : public QObject {
    Q_OBJECT

private slots:
    void listFillsAndSearchesAndAnEpisodePlays();
};

void PlayerOnWaylandTest::listFillsAndSearchesAndAnEpisodePlays() {
    if (!arlo::testing::WaylandCompositor::installed()) {
        QSKIP("weston is not installed (scripts/setup installs it): no Wayland cases");
    }
    QVERIFY2(onWayland, "weston is installed but did not start");
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("wayland"));
    const auto& titles = catalogue::Catalogue::builtIn();
    QTemporaryDir folder;
    const QString page = folder.filePath(QStringLiteral("Arlo目录.htm"));
    RecordingNotices notices;
    AppContext context;
    context.notices = &notices;
    context.playback.pagePath = page.toStdString();
    MainWindow window(context);
    const EpisodeListPanel::Controls& c = window.episodeListPanel().controls();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.startEpisodeListRefresh();
    QTRY_COMPARE(window.episodeListRowCount(), titles.count(catalogue::List::JapaneseTitles));

    // No window is ever active without a seat, so the box keeps its placeholder.
    c.searchBox->setFocus();
    c.searchBox->clear();
    QTest::keyClicks(c.searchBox, QStringLiteral("742"));
    QTRY_COMPARE(c.resultCount->text(), QStringLiteral("搜索到 1 个结果"));
    window.grab();
    c.searchBox->clear();

    PlayerWindow* player = ui::testing::playRowFromList(window, 2);
    QVERIFY(player != nullptr);
    bool loaded = false;
    player->pageView().setLoadFinishedHandler([&loaded](bool ok) { loaded = loaded || ok; });
    QVERIFY2(player->pageView().hasEngine(), qPrintable(pageview::engineLoadError()));
    QTRY_VERIFY_WITH_TIMEOUT(loaded && QFile::exists(page), 30000);
    QVERIFY(player->windowTitle().startsWith(QStringLiteral("正在播放：  第3集  ")));
    player->pageView().setLoadFinishedHandler({});

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
    // Points Qt at a weston of its own, then guards as the program's main() does.
    arlo::testing::WaylandCompositor compositor;
    onWayland = arlo::testing::WaylandCompositor::installed() && compositor.start();
    app::avoidTextInputWithoutSeat();
    QApplication application(argc, argv);
    PlayerOnWaylandTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "player_on_wayland_test.moc"
