// Run with QT_QPA_PLATFORM=offscreen (set by default when no platform is chosen).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEventLoop>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSortFilterProxyModel>
#include <QStyledItemDelegate>
#include <QTableView>
#include <algorithm>
#include <chrono>
#include <map>
#include <memory>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/episode_rows.h"
#include "support/generated_catalogue.h"
#include "ui/app_context.h"
#include "ui/episode_list_controller.h"
#include "ui/episode_list_panel.h"
#include "ui/episode_list_view.h"
#include "ui/main_window.h"
#include "ui/notices.h"
#include "ui/ui_look.h"
#include "ui/widgets/controls.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace arlo;

// The catalogues searched: generated ones of every length measured, each made once.
const catalogue::Catalogue& generated(int rows) {
    static std::map<int, std::unique_ptr<const catalogue::Catalogue>> made;
    auto& catalogue = made[rows];
    if (!catalogue) {
        catalogue = bench::generatedCatalogue(rows);
    }
    return *catalogue;
}

// What a user types, one keystroke at a time: growing and shrinking texts, digits and titles.
std::vector<QString> queries(const catalogue::Catalogue& catalogue) {
    std::vector<QString> t = {QStringLiteral("1"),  QStringLiteral("12"), QStringLiteral("123"),
                              QStringLiteral("12"), QStringLiteral("2"),  QStringLiteral("25"),
                              QStringLiteral("5"),  QStringLiteral("50"), QStringLiteral("7"),
                              QStringLiteral("70"), QStringLiteral("700")};
    for (int n : {3, 40, 222}) {
        const QString title =
            QString::fromStdString(catalogue.value(catalogue::List::JapaneseTitles, n));
        t.push_back(title.left(1));
        t.push_back(title.left(2));
    }
    return t;
}

void reportLatencies(benchmark::State& state, std::vector<double> micros) {
    if (micros.empty()) {
        return;
    }
    std::sort(micros.begin(), micros.end());
    state.counters["median_us"] = micros[micros.size() / 2];
    state.counters["p99_us"] = micros[std::min(micros.size() - 1, micros.size() * 99 / 100)];
}

// The floor: searching the rows' keys, nothing else.
void BM_ScanKeysOnly(benchmark::State& state) {
    const catalogue::Catalogue& catalogue = generated(static_cast<int>(state.range(0)));
    const auto rows = catalogue::buildEpisodeRows(catalogue, false);
    std::vector<std::string> texts;
    for (const QString& q : queries(catalogue)) {
        texts.push_back(q.toStdString());
    }
    std::vector<double> micros;
    std::size_t i = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        auto found = catalogue::searchRows(rows, texts[i++ % texts.size()]);
        benchmark::DoNotOptimize(found);
        micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    reportLatencies(state, std::move(micros));
}
BENCHMARK(BM_ScanKeysOnly)->Arg(742)->Arg(10000)->Arg(100000);

struct Window {
    ui::RecordingNotices notices;
    ui::AppContext context;
    std::unique_ptr<ui::MainWindow> main;

    explicit Window(const catalogue::Catalogue& catalogue) {
        context.shownCatalogue = &catalogue;
        context.notices = &notices;
        main = std::make_unique<ui::MainWindow>(context);
        // As at start-up: the window, not the search box, has the focus, so nothing fills the
        // list before the refresh that the benchmarks start.
        QObject::connect(main.get(), &ui::MainWindow::created, main.get(),
                         [this] { main->setFocus(Qt::ActiveWindowFocusReason); });
        main->show();
        QCoreApplication::processEvents();
    }
    // Runs the event loop until the list shows a refresh.
    void waitForRefresh() {
        QEventLoop loop;
        QObject::connect(&main->episodeListController(), &ui::EpisodeListController::refreshShown,
                         &loop, &QEventLoop::quit);
        loop.exec();
    }
};

// From a change of the search text to its results painted in the results list: the worker's
// search, the hand-over to the UI thread, the model reset and the paint.
void keystrokeToResultsOnScreen(benchmark::State& state, bool stylesOwnDelegate) {
    const catalogue::Catalogue& catalogue = generated(static_cast<int>(state.range(0)));
    const std::vector<QString> typed = queries(catalogue);
    Window w(catalogue);
    const auto& c = w.main->episodeListPanel().controls();
    QStyledItemDelegate styles;
    if (stylesOwnDelegate) {
        c.episodeList->setItemDelegate(&styles);
        c.resultList->setItemDelegate(&styles);
    }
    w.main->startEpisodeListRefresh();
    w.waitForRefresh();
    c.searchBox->setFocus();
    ui::setTextColour(c.searchBox, ui::kTypingColour);
    c.searchBox->clear();
    std::vector<double> micros;
    std::size_t i = 0;
    for (auto _ : state) {
        const QString& text = typed[i++ % typed.size()];
        const auto start = Clock::now();
        c.searchBox->setText(text);
        w.waitForRefresh();
        QCoreApplication::processEvents();  // paints everything that changed
        micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    reportLatencies(state, std::move(micros));
}
void BM_KeystrokeToResultsOnScreen(benchmark::State& state) {
    keystrokeToResultsOnScreen(state, false);
}
BENCHMARK(BM_KeystrokeToResultsOnScreen)->Arg(742)->Arg(10000)->Arg(100000)->UseRealTime();

// The same with the style's own item delegate, which lays out every cell's text as it paints.
void BM_KeystrokeStylesOwnDelegate(benchmark::State& state) {
    keystrokeToResultsOnScreen(state, true);
}
BENCHMARK(BM_KeystrokeStylesOwnDelegate)->Arg(10000)->UseRealTime();

// The same on the UI thread alone: no worker, no hand-over; what is left is showing the rows.
void BM_ResultsShownWithoutWorker(benchmark::State& state) {
    const catalogue::Catalogue& catalogue = generated(static_cast<int>(state.range(0)));
    const std::vector<QString> typed = queries(catalogue);
    Window w(catalogue);
    const auto& c = w.main->episodeListPanel().controls();
    w.main->startEpisodeListRefresh();
    w.waitForRefresh();
    ui::setTextColour(c.searchBox, ui::kTypingColour);
    std::vector<double> micros;
    std::size_t i = 0;
    for (auto _ : state) {
        const QString& text = typed[i++ % typed.size()];
        const auto start = Clock::now();
        {
            const QSignalBlocker quiet(c.searchBox);
            c.searchBox->setText(text);
        }
        w.main->episodeListController().refreshNow();
        QCoreApplication::processEvents();
        micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    reportLatencies(state, std::move(micros));
}
BENCHMARK(BM_ResultsShownWithoutWorker)->Arg(742)->Arg(10000)->Arg(100000)->UseRealTime();

// The rows as plain Qt code keeps them: every cell a QString, made when the rows are.
class PlainRowsModel final : public QAbstractTableModel {
public:
    explicit PlainRowsModel(const catalogue::Catalogue& catalogue) {
        using catalogue::List;
        for (int n = 1; n <= catalogue.count(List::JapaneseTitles); ++n) {
            auto& row = rows_.emplace_back();
            row[ui::kColumnNumber] = QString::number(n);
            row[ui::kColumnTitle] =
                QString::fromStdString(catalogue.value(List::JapaneseTitles, n));
            row[ui::kColumnSohuId] =
                QString::fromStdString(catalogue.value(List::JapaneseSohuIds, n));
        }
    }
    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(rows_.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : ui::kEpisodeColumnCount;
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole) ||
            (role == Qt::ToolTipRole && index.column() != ui::kColumnTitle)) {
            return {};
        }
        return rows_[static_cast<std::size_t>(index.row())]
                    [static_cast<std::size_t>(index.column())];
    }

private:
    std::vector<std::array<QString, ui::kEpisodeColumnCount>> rows_;
};

// Accepts the rows whose number followed by title contains the filter text, as the search
// does: the reference must show the same rows, as many rows painted as in the results list.
class SearchKeyProxy final : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
        const QAbstractItemModel* rows = sourceModel();
        const QString key = rows->index(row, ui::kColumnNumber, parent).data().toString() +
                            rows->index(row, ui::kColumnTitle, parent).data().toString();
        return key.contains(filterRegularExpression());
    }
};

// The reference: a search box over a sort/filter proxy of the same 742 rows as
// BM_KeystrokeToResultsOnScreen/742, in a window of
// the same size and fonts, filtered on the UI thread as each keystroke arrives, then painted.
void BM_ProxyFilterReference(benchmark::State& state) {
    const catalogue::Catalogue& catalogue = generated(742);
    const std::vector<QString> typed = queries(catalogue);
    QWidget window;
    window.resize(397, 610);
    auto* box = new QLineEdit(&window);
    box->setGeometry(192, 13, 180, 24);
    box->setFont(ui::uiFont(14));
    PlainRowsModel model(catalogue);
    SearchKeyProxy proxy;
    proxy.setSourceModel(&model);
    auto* view = new ui::EpisodeListView(&window);
    view->setModel(&proxy);
    // Plain Qt paints with the style's own item delegate.
    QStyledItemDelegate styles;
    view->setItemDelegate(&styles);
    view->setGeometry(0, 113, 393, 315);
    view->setFont(ui::uiFont(17));
    QObject::connect(box, &QLineEdit::textChanged, &proxy,
                     [&proxy](const QString& text) { proxy.setFilterFixedString(text); });
    window.show();
    QCoreApplication::processEvents();
    std::vector<double> micros;
    std::size_t i = 0;
    for (auto _ : state) {
        const QString& text = typed[i++ % typed.size()];
        const auto start = Clock::now();
        box->setText(text);
        QCoreApplication::processEvents();
        micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    reportLatencies(state, std::move(micros));
}
BENCHMARK(BM_ProxyFilterReference)->UseRealTime();

// Start-up: from the refresh being started to the full list painted, rows built on the way.
void BM_FirstFill(benchmark::State& state) {
    const catalogue::Catalogue& catalogue = generated(static_cast<int>(state.range(0)));
    std::vector<double> micros;
    for (auto _ : state) {
        state.PauseTiming();
        Window w(catalogue);
        state.ResumeTiming();
        const auto start = Clock::now();
        w.main->startEpisodeListRefresh();
        w.waitForRefresh();
        w.main->episodeListPanel().controls().episodeList->viewport()->repaint();
        micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
        state.PauseTiming();
        w.main.reset();
        state.ResumeTiming();
    }
    reportLatencies(state, std::move(micros));
}
BENCHMARK(BM_FirstFill)->Arg(742)->Arg(10000)->Arg(100000)->UseRealTime()->Iterations(40);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
