#include <QApplication>
#include <QDir>

#include "app/desktop_identity.h"
#include "app/program.h"
#include "app/qt_texts.h"
#include "app/snapshot.h"
#include "app/wayland_input.h"
#include "online/update_files.h"
#include "playback/view/page_view.h"
#include "ui/notices.h"
#include "ui/program_style.h"
#include "ui/widgets/load_picture.h"

namespace {

int run(int argc, char** argv) {
    arlo::app::avoidTextInputWithoutSeat();
    QApplication application(argc, argv);
    // The first picture read loads every image format plugin: another core does that while
    // the windows are built.
    const arlo::ui::PictureFormatsLoader pictureFormats;
    QApplication::setApplicationName(QStringLiteral("Arlo迷"));
    arlo::app::useChineseQtTexts();
    // The task bar matches the windows to the installed desktop entry; start-up gives them
    // the icon once the Main window has painted.
    arlo::app::setDesktopIdentity();
    arlo::ui::useProgramStyle();
    // The program ends when the Main window closes, whatever other window is still open.
    QApplication::setQuitOnLastWindowClosed(false);

    const QString startDirectory = QDir::currentPath();
    const QString runDirectory = arlo::app::runDirectoryOf(QCoreApplication::applicationFilePath());
    QDir::setCurrent(runDirectory);

    arlo::ui::MessageBoxNotices notices;
    arlo::app::Program program(
        notices, {runDirectory, {}, {}, {}, {}, [](const std::string& pagePath) {
                      arlo::pageview::prepareEngine({}, QString::fromStdString(pagePath));
                  }});
    arlo::app::armSnapshotSwitches(program, startDirectory);
    program.start();
    return QApplication::exec();
}

}  // namespace

int main(int argc, char** argv) {
    // The windows are gone and the Settings file is on disk once this returns, and every
    // worker has been called off and joined with its owner: none is left inside the network
    // and TLS libraries when their exit-time clean-up runs.
    const int code = run(argc, argv);
    // A download that an update left unfinished went with its worker; this sweeps any other.
    arlo::online::removeUnfinishedDownloads();
    return code;
}
