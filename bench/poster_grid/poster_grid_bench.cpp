// The movie page set-up runs once the Main window has first painted (or at once when 剧场版 is
// chosen before that). Measured against building and showing the Main window it runs in, in
// wall-clock time (its pauses serve events rather than compute); without its pauses it is
// what choosing 剧场版 early costs.
//   bench_poster_grid [--benchmark_repetitions=5 ...]
#include <benchmark/benchmark.h>

#include <QApplication>
#include <memory>

#include "ui/app_context.h"
#include "ui/main_window.h"
#include "ui/notices.h"
#include "ui/poster_grid.h"

namespace {

using arlo::ui::AppContext;
using arlo::ui::MainWindow;

struct Fixture {
    AppContext context;
    arlo::ui::RecordingNotices notices;
    std::unique_ptr<MainWindow> window;

    void open() {
        context.playback = {};
        context.windows = {};
        context.notices = &notices;
        window = std::make_unique<MainWindow>(context);
        window->show();
        QApplication::processEvents();
    }
    void close() {
        window.reset();
        QApplication::processEvents();
    }
};

// Baseline: the Main window itself, built and shown.
void MainWindowShown(benchmark::State& state) {
    Fixture f;
    for (auto _ : state) {
        f.open();
        state.PauseTiming();
        f.close();
        state.ResumeTiming();
    }
}

void MoviePageSetUp(benchmark::State& state, bool withPauses) {
    Fixture f;
    for (auto _ : state) {
        state.PauseTiming();
        f.open();
        if (!withPauses) {
            f.window->posterGrid()->setWait([](std::chrono::milliseconds) {});
        }
        state.ResumeTiming();
        f.window->setUpMoviePage();
        state.PauseTiming();
        f.close();
        state.ResumeTiming();
    }
}

void MoviePageSetUpWithPauses(benchmark::State& state) {
    MoviePageSetUp(state, true);
}

void MoviePageSetUpWithoutPauses(benchmark::State& state) {
    MoviePageSetUp(state, false);
}

// The pauses alone: nineteen of them, 1 ms after each cell and 10 ms at the end.
void PumpingWaitOneMillisecond(benchmark::State& state) {
    for (auto _ : state) {
        arlo::ui::waitPumpingEvents(std::chrono::milliseconds(1));
    }
}

BENCHMARK(MainWindowShown)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(MoviePageSetUpWithPauses)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(MoviePageSetUpWithoutPauses)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(PumpingWaitOneMillisecond)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
