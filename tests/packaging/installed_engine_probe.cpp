// Copied next to an installed (or unpacked) Arlo迷 executable and started there, it makes a
// page view as the Player window does and reports what the view found from that folder:
//   engine <path of the engine library the process mapped>
//   emulator <address of the folder the Flash emulator's files are fetched from>
// Ends with 1 when the engine or the emulator was not found.

#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <memory>

#include "playback/view/page_view.h"

namespace {

// The path of the engine library as mapped into this process; empty when it is not.
QString mappedEngineLibrary() {
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly)) {
        return {};
    }
    for (const QByteArray& line : maps.readAll().split('\n')) {
        const int slash = line.indexOf('/');
        if (slash >= 0 && line.contains("libarlo_pageview_engine")) {
            return QString::fromUtf8(line.mid(slash));
        }
    }
    return {};
}

void waitFor(const bool& done, int milliseconds) {
    const QDeadlineTimer deadline(milliseconds);
    while (!done && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QWidget window;
    std::unique_ptr<arlo::pageview::PageView> view = arlo::pageview::createPageView(&window);
    if (!view->hasEngine()) {
        std::fprintf(stderr, "no engine: %s\n", qPrintable(arlo::pageview::engineLoadError()));
        return 1;
    }
    std::printf("engine %s\n", qPrintable(mappedEngineLibrary()));

    // A page with a Flash element, so that the emulator is injected as into the Player page.
    QTemporaryDir folder;
    const QString page = folder.filePath(QStringLiteral("probe.htm"));
    QFile file(page);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write("<html><body><embed src='none.swf' width='10' height='10'></body></html>") < 0) {
        return 1;
    }
    file.close();
    bool loaded = false;
    view->setLoadFinishedHandler([&](bool) { loaded = true; });
    view->load(page);
    waitFor(loaded, 60000);

    bool answered = false;
    QString publicPath;
    view->runJavaScript(QStringLiteral("window.RufflePlayer && window.RufflePlayer.config ? "
                                       "String(window.RufflePlayer.config.publicPath) : ''"),
                        [&](const QVariant& value) {
                            publicPath = value.toString();
                            answered = true;
                        });
    waitFor(answered, 30000);
    std::printf("emulator %s\n", qPrintable(publicPath));
    std::fflush(stdout);
    return publicPath.isEmpty() ? 1 : 0;
}
