// From Play (the page view told to load the Player page) to the first painted frame of the
// player, on a virtual display with the player served by the stand-in on loopback, against
// loading the same page in a plain page view without the Flash emulator (which shows a white
// page). Wall-clock time, median of ten runs each:
//   bench_flash_player [--benchmark_repetitions=10 ...]
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QWebEngineView>

#include <cstdio>
#include <memory>

#include "playback/player_page.h"
#include "playback/view/page_view.h"
#include "standin/standin_environment.h"
#include "support/virtual_display.h"

namespace {

QString pagePath;

// Whether the stand-in movie's yellow text is on screen in `window`.
bool playerPainted(QWidget& window) {
    const QImage image = QGuiApplication::primaryScreen()->grabWindow(window.winId()).toImage();
    int ink = 0;
    for (int y = 0; y < image.height(); y += 2) {
        for (int x = 0; x < image.width(); x += 2) {
            const QRgb p = image.pixel(x, y);
            if (qRed(p) > 180 && qGreen(p) > 180 && qBlue(p) < 90 && ++ink > 10) {
                return true;
            }
        }
    }
    return false;
}

void spin(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void WithEmulatorToFirstFrame(benchmark::State& state) {
    QWidget window;
    window.resize(640, 400);
    auto view = arlo::pageview::createPageView(&window);
    view->widget()->setGeometry(0, 0, 640, 400);
    window.show();
    for (auto _ : state) {
        view->load(QStringLiteral("about:blank"));
        spin(300);
        QElapsedTimer timer;
        timer.start();
        view->load(pagePath);
        while (!playerPainted(window) && timer.elapsed() < 30000) {
            spin(10);
        }
        state.SetIterationTime(static_cast<double>(timer.nsecsElapsed()) / 1e9);
    }
}

void WithoutEmulatorToLoaded(benchmark::State& state) {
    QWidget window;
    window.resize(640, 400);
    auto* view = new QWebEngineView(&window);
    view->setGeometry(0, 0, 640, 400);
    window.show();
    bool loaded = false;
    QObject::connect(view, &QWebEngineView::loadFinished, view, [&](bool) { loaded = true; });
    for (auto _ : state) {
        view->load(QUrl(QStringLiteral("about:blank")));
        spin(300);
        loaded = false;
        QElapsedTimer timer;
        timer.start();
        view->load(QUrl::fromLocalFile(pagePath));
        while (!loaded && timer.elapsed() < 30000) {
            spin(1);
        }
        state.SetIterationTime(static_cast<double>(timer.nsecsElapsed()) / 1e9);
    }
}

}  // namespace

BENCHMARK(WithoutEmulatorToLoaded)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(WithEmulatorToFirstFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char** argv) {
    arlo::testing::VirtualDisplay display;
    if (!display.start()) {
        std::fprintf(stderr, "Xvfb could not be started\n");
        return 1;
    }
    arlo::standin::StandinEnvironment standin;  // before the engine starts: it maps the hosts
    QApplication application(argc, argv);
    QTemporaryDir dir;
    pagePath = QString::fromStdString(arlo::playback::playerPagePath(dir.path().toStdString()));
    arlo::playback::writePlayerPage(pagePath.toStdString(), arlo::playback::PageTemplate::SohuId,
                                    "7f3a01c9e2");
    {
        // Start the engine and compile the emulator once, outside the measurements.
        QWidget window;
        auto view = arlo::pageview::createPageView(&window);
        window.show();
        view->load(pagePath);
        spin(3000);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
