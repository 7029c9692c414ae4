#pragma once

#include <QFile>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <memory>

#include "catalogue/catalogue.h"
#include "ui/app_context.h"
#include "ui/episode_list_panel.h"
#include "ui/episode_list_view.h"
#include "ui/episode_panel.h"
#include "ui/main_window.h"
#include "ui/notices.h"
#include "ui/player_window.h"
#include "ui/widgets/controls.h"

namespace arlo::ui::testing {

// The Main window as every Main window test starts from it: over a fresh state ("TV版" and
// "日语" chosen, the Player page in a temporary folder of its own, notices recorded instead
// of shown), shown and active on the offscreen platform.
class MainWindowFixture {
public:
    AppContext context;
    RecordingNotices notices;
    std::unique_ptr<MainWindow> window;

    // Builds and shows the window; a failure fails the running test.
    void open() {
        QVERIFY(folder_.isValid());
        context.playback = {};
        context.windows = {};
        context.playback.pagePath = pagePath().toStdString();
        notices.clear();
        context.notices = &notices;
        window = std::make_unique<MainWindow>(context);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }

    // Fills the full list as start-up does and waits until it shows every row.
    void fillEpisodeList() {
        window->startEpisodeListRefresh();
        QTRY_COMPARE(window->episodeListRowCount(),
                     catalogue::Catalogue::builtIn().count(catalogue::List::JapaneseTitles));
    }

    // Lets go of a held mouse, closes the Player window and the Main window and removes the
    // Player page.
    void close() {
        if (QWidget* holder = QWidget::mouseGrabber()) {
            holder->releaseMouse();
        }
        if (window) {
            delete window->playerWindow();
        }
        window.reset();
        QFile::remove(pagePath());
    }

    // The TV page's panels' controls, and the page container (高级选择夹1).
    const EpisodeListPanel::Controls& listControls() const {
        return window->episodeListPanel().controls();
    }
    const EpisodePanel::Controls& episodeControls() const {
        return window->episodePanel().controls();
    }
    QStackedWidget* pages() const {
        return window->findChild<QStackedWidget*>(QStringLiteral("高级选择夹1"));
    }
    QString pagePath() const { return folder_.filePath(QStringLiteral("Arlo目录.htm")); }

private:
    QTemporaryDir folder_;
};

// Chooses `row` of the Main window's list with a click and clicks 播放, as a user does; the
// Player window that opened, or null.
inline PlayerWindow* playRowFromList(MainWindow& window, int row) {
    const EpisodeListPanel::Controls& c = window.episodeListPanel().controls();
    const QModelIndex index = c.episodeList->model()->index(row, kColumnTitle);
    QTest::mouseClick(c.episodeList->viewport(), Qt::LeftButton, {},
                      c.episodeList->visualRect(index).center());
    QTest::mouseClick(window.episodePanel().controls().playButton, Qt::LeftButton);
    return qobject_cast<PlayerWindow*>(window.playerWindow());
}

}  // namespace arlo::ui::testing
