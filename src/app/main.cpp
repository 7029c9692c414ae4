#include <QApplication>
#include <QDir>

#include "app/program.h"
#include "app/snapshot.h"
#include "ui/notices.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Arlo迷"));
    // The program ends when the Main window closes, whatever other window is still open.
    QApplication::setQuitOnLastWindowClosed(false);

    const QString startDirectory = QDir::currentPath();
    const QString runDirectory = arlo::app::runDirectoryOf(QCoreApplication::applicationFilePath());
    QDir::setCurrent(runDirectory);

    arlo::ui::MessageBoxNotices notices;
    arlo::app::Program program(notices, {runDirectory, {}, {}});
    arlo::app::armSnapshotSwitches(program, startDirectory);
    program.start();
    return QApplication::exec();
}
