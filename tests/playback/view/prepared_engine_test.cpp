// The engine prepared ahead of the first Play, on a virtual display with the players served
// by the stand-in. The engine is prepared once per process, so the first Play once it is
// prepared also runs in a process of its own.
#include <QApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include "playback/player_page.h"
#include "playback/view/page_view.h"
#include "standin/standin_environment.h"
#include "support/virtual_display.h"

using namespace arlo::pageview;

class PreparedEngineTest : public QObject {
    Q_OBJECT

private slots:
    void playBeforePreparationHasFinishedStillPlays() { playWhilePreparing(false); }
    void firstPlayRunsInThePreparedProcess() { playWhilePreparing(true); }

private:
    void playWhilePreparing(bool waitUntilPrepared) {
        QVERIFY(standin_.ok() && dir_.isValid());
        int told = 0;  // 1: told once that the emulator is ready
        prepareEngine([&](bool ready) { told += ready ? 1 : 100; });
        QTRY_VERIFY_WITH_TIMEOUT(told > 0 || !waitUntilPrepared, 60000);
        QCOMPARE(told > 0, waitUntilPrepared);
        QWidget window;
        auto view = createPageView(&window);
        view->widget()->setGeometry(0, 0, 320, 200);
        window.show();
        const std::string page = arlo::playback::playerPagePath(dir_.path().toStdString());
        arlo::playback::writePlayerPage(page, arlo::playback::PageTemplate::SohuId, "8");
        view->load(QString::fromStdString(page));
        // The movie's yellow text shows; the engine is prepared, once, in the page's process.
        QTRY_VERIFY_WITH_TIMEOUT(yellowPixels(window) > 10, 60000);
        QTRY_COMPARE_WITH_TIMEOUT(told, 1, 60000);
        QVERIFY(preparedRendererProcessId() != 0);
        QCOMPARE(view->rendererProcessId(), preparedRendererProcessId());
    }

    static int yellowPixels(QWidget& window) {
        const QImage image = QGuiApplication::primaryScreen()->grabWindow(window.winId()).toImage();
        int count = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QRgb p = image.pixel(x, y);
                count += qRed(p) > 180 && qGreen(p) > 180 && qBlue(p) < 90 ? 1 : 0;
            }
        }
        return count;
    }

    arlo::standin::StandinEnvironment standin_;  // before the engine: it maps the hosts
    QTemporaryDir dir_;
};

int main(int argc, char** argv) {
    arlo::testing::VirtualDisplay display;
    if (!display.start()) {
        return 1;
    }
    QApplication application(argc, argv);
    PreparedEngineTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "prepared_engine_test.moc"
