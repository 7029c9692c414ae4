// The engine prepared ahead of the first Play, on a virtual display, players from the stand-in.
// It is prepared once per process: the first Play once prepared also runs in a process of its own.
#include <QApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

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
        const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
        const auto* p = reinterpret_cast<const QRgb*>(rgb.constBits());
        return static_cast<int>(std::count_if(p, p + rgb.sizeInBytes() / 4, [](QRgb c) {
            return qRed(c) > 180 && qGreen(c) > 180 && qBlue(c) < 90;
        }));
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
