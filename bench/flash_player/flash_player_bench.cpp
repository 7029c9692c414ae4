// From Play (the page view told to load the Player page) to the first painted frame of the
// player, on a virtual display with the players served by the stand-in on loopback, each
// against the same page loaded in a plain page view without the Flash emulator (which shows a
// white page), and the memory that a prepared engine holds while nothing plays. Wall-clock
// time; every line printed is one measurement, `name=value`:
//
//   bench_flash_player cold    the first Play in a process whose engine has not started
//                              (first_cold_ms); `white`: the same with the plain view
//                              (white_first_cold_ms)
//   bench_flash_player warm [n]  the first Play once the engine is prepared (first_warm_ms,
//                              white_first_warm_ms), then n times each (default 10) the next
//                              episode (next_ms, white_next_ms) and a source switch
//                              (switch_ms, white_switch_ms) in the open view
//   bench_flash_player memory  the proportional set size (PSS) and resident size of the
//                              process and the engine's processes (renderer, GPU, zygote and
//                              the others) at idle, before and after preparing the engine, KiB
//
// A process measures one first Play: report.py runs it several times.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QWebEngineView>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "playback/player_page.h"
#include "playback/view/page_view.h"
#include "standin/standin_environment.h"
#include "support/virtual_display.h"

namespace {

using arlo::playback::PageTemplate;

QString pagePath;

// The width of the stand-in movie's yellow text on screen in `window`; 0 while none shows.
int textWidth(QWidget& window) {
    const QImage image = QGuiApplication::primaryScreen()->grabWindow(window.winId()).toImage();
    int ink = 0;
    int left = image.width();
    int right = -1;
    for (int y = 0; y < image.height(); y += 2) {
        for (int x = 0; x < image.width(); x += 2) {
            const QRgb p = image.pixel(x, y);
            if (qRed(p) > 180 && qGreen(p) > 180 && qBlue(p) < 90) {
                ++ink;
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
    return ink > 10 ? right - left + 1 : 0;
}

void spin(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void writePage(PageTemplate which, const char* id) {
    arlo::playback::writePlayerPage(pagePath.toStdString(), which, id);
}

void print(const char* name, const QElapsedTimer& timer) {
    std::printf("%s=%.2f\n", name, static_cast<double>(timer.nsecsElapsed()) / 1e6);
    std::fflush(stdout);
}

// A window with the program's page view.
struct Player {
    QWidget window;
    std::unique_ptr<arlo::pageview::PageView> view;

    Player() {
        window.resize(640, 400);
        view = arlo::pageview::createPageView(&window);
        view->widget()->setGeometry(0, 0, 640, 400);
        window.show();
    }

    // Loads the page and waits until the movie's text shows at a width that `wanted` accepts;
    // that width.
    int play(const char* name, const std::function<bool(int)>& wanted) {
        QElapsedTimer timer;
        timer.start();
        view->load(pagePath);
        int width = 0;
        while (!wanted(width = textWidth(window)) && timer.elapsed() < 30000) {
            spin(2);
        }
        if (name != nullptr) {
            print(name, timer);
        }
        return width;
    }
};

// A window with a plain page view: the page shows white, its player unplayed.
struct WhitePage {
    QWidget window;
    QWebEngineView* view = new QWebEngineView(&window);
    bool loaded = false;

    WhitePage() {
        window.resize(640, 400);
        view->setGeometry(0, 0, 640, 400);
        QObject::connect(view, &QWebEngineView::loadFinished, view,
                         [this](bool) { loaded = true; });
        window.show();
    }

    void load(const char* name) {
        loaded = false;
        QElapsedTimer timer;
        timer.start();
        view->load(QUrl::fromLocalFile(pagePath));
        while (!loaded && timer.elapsed() < 30000) {
            spin(1);
        }
        print(name, timer);
    }
};

const auto kAnyText = [](int width) { return width > 0; };

void cold(bool white) {
    writePage(PageTemplate::SohuId, "7f3a01c9e2");
    if (white) {
        WhitePage page;
        page.load("white_first_cold_ms");
    } else {
        Player player;
        player.play("first_cold_ms", kAnyText);
    }
}

bool prepare() {
    bool done = false;
    bool ready = false;
    // For the Player page, as the program prepares it: the first view takes the page over.
    arlo::pageview::prepareEngine(
        [&](bool ok) {
            done = true;
            ready = ok;
        },
        pagePath);
    QElapsedTimer timer;
    timer.start();
    while (!done && timer.elapsed() < 60000) {
        spin(10);
    }
    spin(1000);  // the program prepares once start-up has settled: nothing else runs now
    return ready;
}

// Next episode: the Player page is written again with another id (another width of text) and
// loaded into the open view. Source switch: another page template and player file.
void warm(int rounds) {
    if (!prepare()) {
        std::fprintf(stderr, "bench_flash_player: the engine was not prepared\n");
        std::exit(1);
    }
    writePage(PageTemplate::SohuId, "7f3a01c9e2");
    WhitePage white;
    white.load("white_first_warm_ms");
    Player player;
    const int wide = player.play("first_warm_ms", kAnyText);
    spin(300);
    const auto narrower = [wide](int width) { return width > 0 && width < wide / 2; };
    const auto wider = [wide](int width) { return width > wide * 3 / 4; };
    for (int round = 0; round < rounds; ++round) {
        writePage(PageTemplate::SohuId, "1");
        white.load("white_next_ms");
        player.play("next_ms", narrower);
        spin(300);
        writePage(PageTemplate::LeTV, "2233445566");
        white.load("white_switch_ms");
        player.play("switch_ms", wider);
        spin(300);
    }
}

struct Memory {
    long pss = 0;
    long rss = 0;
};

Memory memoryOf(pid_t pid) {
    Memory memory;
    QFile rollup(QStringLiteral("/proc/%1/smaps_rollup").arg(pid));
    if (!rollup.open(QIODevice::ReadOnly)) {
        return memory;
    }
    for (const QByteArray& line : rollup.readAll().split('\n')) {
        const QList<QByteArray> parts = line.simplified().split(' ');
        if (parts.size() >= 2 && parts[0] == "Pss:") {
            memory.pss = parts[1].toLong();
        } else if (parts.size() >= 2 && parts[0] == "Rss:") {
            memory.rss = parts[1].toLong();
        }
    }
    return memory;
}

pid_t parentOf(pid_t pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) {
        return 0;
    }
    // "pid (name) state ppid ...": the name may hold spaces and parentheses.
    const QByteArray text = stat.readAll();
    return text.mid(text.lastIndexOf(')') + 2).split(' ').value(1).toInt();
}

// This process and every engine process under it (the virtual display's are not the
// program's).
Memory programMemory() {
    Memory total = memoryOf(::getpid());
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString& entry : entries) {
        bool number = false;
        const pid_t pid = entry.toInt(&number);
        QFile command(QStringLiteral("/proc/%1/cmdline").arg(entry));
        if (!number || pid == ::getpid() || !command.open(QIODevice::ReadOnly) ||
            !command.readAll().contains("QtWebEngineProcess")) {
            continue;
        }
        // Only the engine processes of this program: its own children and theirs.
        pid_t parent = pid;
        for (int depth = 0; depth < 4 && parent > 1 && parent != ::getpid(); ++depth) {
            parent = parentOf(parent);
        }
        if (parent == ::getpid()) {
            const Memory memory = memoryOf(pid);
            total.pss += memory.pss;
            total.rss += memory.rss;
        }
    }
    return total;
}

void memory() {
    QWidget window;
    window.resize(640, 400);
    window.show();
    spin(2000);
    const Memory before = programMemory();
    if (!prepare()) {
        std::fprintf(stderr, "bench_flash_player: the engine was not prepared\n");
        std::exit(1);
    }
    spin(4000);
    const Memory after = programMemory();
    std::printf(
        "pss_before_kib=%ld\nrss_before_kib=%ld\npss_prepared_kib=%ld\n"
        "rss_prepared_kib=%ld\n",
        before.pss, before.rss, after.pss, after.rss);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode != "cold" && mode != "white" && mode != "warm" && mode != "memory") {
        std::fprintf(stderr, "usage: bench_flash_player cold|white|warm [rounds]|memory\n");
        return 2;
    }
    arlo::testing::VirtualDisplay display;
    if (!display.start()) {
        std::fprintf(stderr, "Xvfb could not be started\n");
        return 1;
    }
    arlo::standin::StandinEnvironment standin;  // before the engine starts: it maps the hosts
    QApplication application(argc, argv);
    QTemporaryDir dir;
    pagePath = QString::fromStdString(arlo::playback::playerPagePath(dir.path().toStdString()));
    if (mode == "cold" || mode == "white") {
        cold(mode == "white");
    } else if (mode == "warm") {
        warm(argc > 2 ? std::atoi(argv[2]) : 10);
    } else {
        memory();
    }
    return 0;
}
