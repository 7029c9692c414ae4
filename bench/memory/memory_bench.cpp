// Resident memory of the Main window over a long session, against the stand-in in this process:
// after start-up (window shown, movie page set up, list filled), then after `rows` Mandarin-
// dubbed rows were chosen one after another, each time waiting until its cover and its slide
// preview have loaded and shown. Prints
//
//   rss_after_start_kib=N rss_after_rows_kib=M rows=R
//
// Memory that grows with every row chosen shows up as M - N growing with R.
//
//   bench_memory [rows]        (default 200)

#include <QApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "catalogue/catalogue.h"
#include "deploy/deploy.h"
#include "net/page_fetcher.h"
#include "preview/slide_preview.h"
#include "standin/standin_environment.h"
#include "ui/app_context.h"
#include "ui/episode_list_panel.h"
#include "ui/main_window.h"
#include "ui/notices.h"
#include "ui/preview_controller.h"
#include "ui/widgets/combo_box.h"

using namespace arlo;

namespace {

// VmRSS of this process, in KiB; -1 when it cannot be read.
long residentKib() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::strtol(line.c_str() + 6, nullptr, 10);
        }
    }
    return -1;
}

// Lets posted work and deferred deletions run before memory is read.
void settle() {
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QTest::qWait(20);
    }
}

bool fail(const char* what) {
    std::fprintf(stderr, "bench_memory: %s\n", what);
    return false;
}

bool run(int rows) {
    standin::StandinEnvironment env;
    if (!env.ok()) {
        return fail("the stand-in did not start");
    }
    // The stand-in runs in this process: its memory is not the program's. It draws the three
    // sheets every show here uses before anything is measured (and forgets the requests it
    // records as they come); fetching them loads the network library, as the program's
    // start-up does for its version check.
    const std::string code =
        catalogue::Catalogue::builtIn().value(catalogue::List::MandarinPreviewCodes, 1);
    const preview::ShowInfo show = preview::parseShowPage(
        net::FetchPageUtf8(std::string(deploy::kPptvWebHost) + preview::showPagePath(code)));
    for (int k = 0; k < 3; ++k) {
        if (net::FetchPage(std::string(deploy::kPptvPictureHost) +
                           preview::spriteSheetPath(show.showId, k))
                .empty()) {
            return fail("the stand-in serves no sheets");
        }
    }
    env.server().clearRequests();

    QTemporaryDir folder;
    ui::AppContext context;
    ui::RecordingNotices notices;
    context.notices = &notices;
    context.playback.pagePath = folder.filePath(QStringLiteral("Arlo目录.htm")).toStdString();

    // Start-up as the program runs it: the window shown, its start state, the movie page
    // set up and the Japanese-dubbed list filled.
    ui::MainWindow window(context);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
        return fail("the window was not shown");
    }
    window.showStartState();
    window.setUpMoviePage();
    window.startEpisodeListRefresh();
    const catalogue::Catalogue& catalogue = catalogue::Catalogue::builtIn();
    if (!QTest::qWaitFor([&] {
            return window.episodeListRowCount() == catalogue.count(catalogue::List::JapaneseTitles);
        })) {
        return fail("the list did not fill");
    }
    settle();
    const long afterStart = residentKib();

    // The Mandarin-dubbed list, chosen as the user does in its chooser.
    window.episodeListPanel().controls().languageChooser->setCurrentIndex(1);
    emit window.episodeListPanel().languageChosen(1);
    const int mandarin = catalogue.count(catalogue::List::MandarinTitles);
    if (!QTest::qWaitFor([&] { return window.episodeListRowCount() == mandarin; })) {
        return fail("the Mandarin-dubbed list did not fill");
    }
    ui::PreviewController& previews = window.previewController();
    for (int n = 0; n < rows; ++n) {
        QSignalSpy cover(&previews, &ui::PreviewController::thumbnailShown);
        QSignalSpy preview(&previews, &ui::PreviewController::previewFinished);
        emit window.episodeListPanel().episodeListClicked(n % mandarin);
        if (!QTest::qWaitFor([&] { return !cover.isEmpty() && !preview.isEmpty(); }, 30000)) {
            return fail("a row's cover or preview did not load");
        }
        if (!preview.first().at(0).toBool()) {
            return fail("a row's preview failed");
        }
        env.server().clearRequests();
    }
    settle();
    const long afterRows = residentKib();
    std::printf("rss_after_start_kib=%ld rss_after_rows_kib=%ld rows=%d\n", afterStart, afterRows,
                rows);
    return afterStart > 0 && afterRows > 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 200;
    return rows > 0 && run(rows) ? 0 : 1;
}
