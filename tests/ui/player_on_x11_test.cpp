// The first opening of the Player window on a real X server (Xvfb) with no window manager:
// nothing activates windows there but the program itself, and the native window is made
// again while the page view starts, which the offscreen platform never does.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "playback/player_page.h"
#include "ui/app_context.h"
#include "ui/episode_list_view.h"
#include "ui/main_window.h"
#include "ui/notices.h"
#include "ui/player_window.h"
#include "ui/widgets/controls.h"

extern char** environ;

using namespace arlo;
using namespace arlo::ui;
using catalogue::List;
using playback::PageTemplate;

namespace {

// An Xvfb server of this test's own, on a display number the server picks itself.
class VirtualDisplay final {
public:
    VirtualDisplay() {
        const QString program = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        int fds[2];
        if (program.isEmpty() || ::pipe(fds) != 0) {
            return;
        }
        ::fcntl(fds[0], F_SETFD, FD_CLOEXEC);
        const std::string path = program.toStdString();
        const std::string fd = std::to_string(fds[1]);
        std::vector<std::string> args = {path, "-displayfd",   fd,          "-screen",
                                         "0",  "1280x1024x24", "-nolisten", "tcp"};
        std::vector<char*> argv;
        for (std::string& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        const bool spawned =
            ::posix_spawn(&pid_, path.c_str(), nullptr, nullptr, argv.data(), environ) == 0;
        ::close(fds[1]);
        if (spawned) {
            readDisplayNumber(fds[0]);
        } else {
            pid_ = -1;
        }
        ::close(fds[0]);
    }
    ~VirtualDisplay() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    bool running() const { return !name_.isEmpty(); }
    QByteArray name() const { return name_; }

private:
    // The server writes its display number and a newline once it accepts connections.
    void readDisplayNumber(int fd) {
        QByteArray number;
        pollfd wait{fd, POLLIN, 0};
        while (::poll(&wait, 1, 20000) == 1) {
            char c = 0;
            if (::read(fd, &c, 1) != 1) {
                break;
            }
            if (c == '\n') {
                name_ = ':' + number;
                return;
            }
            number.append(c);
        }
    }

    pid_t pid_ = -1;
    QByteArray name_;
};

const catalogue::Catalogue& cat() {
    return catalogue::Catalogue::builtIn();
}

QString value(List list, int n) {
    return QString::fromStdString(cat().value(list, n));
}

}  // namespace

class PlayerOnX11Test : public QObject {
    Q_OBJECT

public:
    explicit PlayerOnX11Test(bool onX11) : onX11_(onX11) {}

private slots:
    void initTestCase();
    void firstOpeningPlaysWithoutAWindowManager();

private:
    QByteArray page() const;

    bool onX11_;
    QTemporaryDir folder_;
};

void PlayerOnX11Test::initTestCase() {
    if (!onX11_) {
        QSKIP("Xvfb is not installed");
    }
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    QVERIFY(folder_.isValid());
}

QByteArray PlayerOnX11Test::page() const {
    QFile file(folder_.filePath(QStringLiteral("Arlo目录.htm")));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void PlayerOnX11Test::firstOpeningPlaysWithoutAWindowManager() {
    RecordingNotices notices;
    AppContext context;
    context.notices = &notices;
    context.state.category = "TV版";
    context.state.language = "日语";
    context.state.playerPagePath = folder_.filePath(QStringLiteral("Arlo目录.htm")).toStdString();
    MainWindow window(context);
    const MainWindow::Controls& c = window.controls();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    window.startEpisodeListRefresh();
    QTRY_COMPARE(c.episodeList->episodes().rowCount(), cat().count(List::JapaneseTitles));

    const QModelIndex row = c.episodeList->model()->index(2, kColumnTitle);
    QTest::mouseClick(c.episodeList->viewport(), Qt::LeftButton, {},
                      c.episodeList->visualRect(row).center());
    QTest::mouseClick(c.playButton, Qt::LeftButton);
    auto* player = qobject_cast<PlayerWindow*>(window.playerWindow());
    QVERIFY(player != nullptr);

    // The page view starts its engine on this first opening; that takes seconds here.
    const QByteArray expected = QByteArray::fromStdString(
        playback::buildPlayerPage(PageTemplate::SohuId, cat().value(List::JapaneseSohuIds, 3)));
    QTRY_COMPARE_WITH_TIMEOUT(page(), expected, 30000);
    QCOMPARE(player->windowTitle(),
             QStringLiteral("正在播放：  第3集  ") + value(List::JapaneseTitles, 3));
    QCOMPARE(player->episodeChooser()->count(), cat().count(List::JapaneseTitles));
    QCOMPARE(player->episodeChooser()->currentIndex(), 2);
    // With no window manager the program's own request is all that activates the window.
    QTRY_VERIFY_WITH_TIMEOUT(player->isActiveWindow(), 30000);
    QVERIFY(notices.entries().empty());
    delete player;
}

int main(int argc, char** argv) {
    VirtualDisplay display;
    if (display.running()) {
        qputenv("DISPLAY", display.name());
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    QApplication app(argc, argv);
    PlayerOnX11Test test(display.running());
    return QTest::qExec(&test, argc, argv);
}

#include "player_on_x11_test.moc"
