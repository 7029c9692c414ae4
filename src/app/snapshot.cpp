#include "app/snapshot.h"

#include <QCoreApplication>
#include <QDir>
#include <QPaintEvent>

#include <QTimer>
#include <chrono>
#include <cstdio>

#include "app/program.h"
#include "ui/about_window.h"
#include "ui/guestbook_window.h"
#include "ui/main_window.h"
#include "ui/update_window.h"

namespace arlo::app {

namespace {

// Time for the workers started at start-up to fill the list before the pictures are taken.
constexpr int kSettleMilliseconds = 1500;

// Ends the event loop once the Main window's paint has reached the screen. The start-up work
// that follows the first paint is queued by then; this comes first and ends the loop without
// it, so that what is timed is the way to the paint alone.
class FirstPaintQuitter final : public QObject {
public:
    FirstPaintQuitter(ui::MainWindow& main, bool waitForList)
        : QObject(&main), main_(main), waitForList_(waitForList) {
        main.installEventFilter(this);
        // A list filled after the window's first paint is drawn by the list alone.
        if (waitForList) {
            main.episodeListViewport()->installEventFilter(this);
        }
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && !done_) {
            const bool listFilled = main_.episodeListRowCount() > 0;
            if (!waitForList_ || listFilled) {
                done_ = true;
                // Delivered after the paint has been flushed, ahead of other queued work.
                QCoreApplication::postEvent(this, new QEvent(QEvent::User), Qt::HighEventPriority);
            }
        }
        return false;
    }

    void customEvent(QEvent* event) override {
        if (event->type() == QEvent::User) {
            // The moment of the paint on the monotonic clock, for whoever times the start-up:
            // what follows (the event loop's end, the shutdown) is not the start-up's.
            std::printf("painted %.6f\n", std::chrono::duration<double>(
                                              std::chrono::steady_clock::now().time_since_epoch())
                                              .count());
            std::fflush(stdout);
            // The Main window is not closed: nothing is written at shutdown.
            QCoreApplication::exit(0);
        }
    }

private:
    ui::MainWindow& main_;
    bool waitForList_;
    bool done_ = false;
};

bool save(QWidget& window, const QDir& folder, const QString& name) {
    window.repaint();
    const QString path = folder.absoluteFilePath(name);
    if (!window.grab().save(path)) {
        std::fprintf(stderr, "could not write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

template <class Window>
bool saveDialog(Window& window, const QDir& folder, const QString& name) {
    window.setWindowModality(Qt::NonModal);
    window.show();
    QCoreApplication::processEvents();
    const bool saved = save(window, folder, name);
    window.hide();
    return saved;
}

void takeScreenshots(Program& program, const QString& folderPath) {
    QDir folder(folderPath);
    if (!folder.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "could not create %s\n", qPrintable(folderPath));
        QCoreApplication::exit(1);
        return;
    }
    ui::MainWindow& main = program.mainWindow();
    bool ok = save(main, folder, QStringLiteral("main_tv.png"));
    // The movie page as the user reaches it: "剧场版" chosen in the category chooser.
    main.chooseCategory(1);
    ok = save(main, folder, QStringLiteral("main_movie.png")) && ok;
    main.chooseCategory(0);
    {
        ui::AboutWindow about;
        ok = saveDialog(about, folder, QStringLiteral("about.png")) && ok;
    }
    {
        ui::GuestbookWindow guestbook(program.context());
        ok = saveDialog(guestbook, folder, QStringLiteral("guestbook.png")) && ok;
    }
    {
        // As it opens for a newer release than the installed one.
        const std::string installed = program.context().installation.installedVersion;
        ui::UpdateWindow update(program.context(),
                                {installed, "1.2", "新增剧场版海报墙；修复若干问题", ""});
        ok = saveDialog(update, folder, QStringLiteral("update.png")) && ok;
    }
    std::fflush(stdout);
    main.close();
    QCoreApplication::exit(ok ? 0 : 1);
}

}  // namespace

void armSnapshotSwitches(Program& program, const QString& startDirectory) {
    const QString exitWhenShown = qEnvironmentVariable("ARLO_EXIT_WHEN_SHOWN");
    if (!exitWhenShown.isEmpty()) {
        new FirstPaintQuitter(program.mainWindow(), exitWhenShown == QStringLiteral("filled"));
    }
    const QString screenshots = qEnvironmentVariable("ARLO_SCREENSHOT_DIR");
    if (!screenshots.isEmpty()) {
        const QString folder = QDir(startDirectory).absoluteFilePath(screenshots);
        QTimer::singleShot(kSettleMilliseconds, &program,
                           [&program, folder] { takeScreenshots(program, folder); });
    }
}

}  // namespace arlo::app
