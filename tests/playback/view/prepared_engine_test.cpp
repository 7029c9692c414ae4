// The engine prepared ahead of the first Play, on a virtual display, players from the stand-in.
// It is prepared once per process: the first Play once prepared also runs in a process of its own.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>

#include "evaluate_in_page.h"
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
        // The engine is prepared for the Player page in "prepared", once per process; a Play
        // before it is ready plays a page elsewhere.
        const auto pageIn = [this](const char* folder) {
            QDir(dir_.path()).mkpath(QLatin1String(folder));
            return arlo::playback::playerPagePath(
                dir_.filePath(QLatin1String(folder)).toStdString());
        };
        const std::string page = pageIn(waitUntilPrepared ? "prepared" : "before");
        int told = 0;  // 1: told once that the emulator is ready
        prepareEngine([&](bool ready) { told += ready ? 1 : 100; },
                      QString::fromStdString(pageIn("prepared")));
        QTRY_VERIFY_WITH_TIMEOUT(told > 0 || !waitUntilPrepared, 60000);
        QCOMPARE(told > 0, waitUntilPrepared);
        // Once prepared, the first view and, after it has gone, the next take the prepared page
        // over: their document is older than they are.
        for (const char* id : {"8", "123456"}) {
            QWidget window;
            auto view = createPageView(&window);
            QElapsedTimer made;
            made.start();
            view->widget()->setGeometry(0, 0, 320, 200);
            window.show();
            arlo::playback::writePlayerPage(page, arlo::playback::PageTemplate::SohuId, id);
            view->load(QString::fromStdString(page));
            // The movie's yellow text shows; the engine is prepared, once, in the page's process.
            QTRY_VERIFY_WITH_TIMEOUT(yellowPixels(window) > 10, 60000);
            QTRY_COMPARE_WITH_TIMEOUT(told, 1, 60000);
            QVERIFY(preparedRendererProcessId() != 0);
            QCOMPARE(view->rendererProcessId(), preparedRendererProcessId());
            const double age =
                test_support::evaluate(*view, QStringLiteral("performance.now()")).toDouble();
            QCOMPARE(age > double(made.elapsed()), waitUntilPrepared);
            // ...and it lays out as the page file does on its own, with no document type.
            QCOMPARE(
                test_support::evaluate(*view, QStringLiteral("document.compatMode")).toString(),
                QStringLiteral("BackCompat"));
            if (!waitUntilPrepared) {
                return;
            }
            view.reset();
            auto back = std::make_shared<bool>(false);  // the page is ready again
            prepareEngine([back](bool ready) { *back = ready; });
            QTRY_VERIFY_WITH_TIMEOUT(*back, 30000);
        }
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
