#include "app/desktop_identity.h"

#include <QGuiApplication>

#include "pictures/pictures.h"

namespace arlo::app {

QString desktopFileName() {
    return QStringLiteral(ARLO_APP_ID);
}

QIcon applicationIcon() {
    QIcon icon;
    for (const int size : pictures::kAppIconSizes) {
        icon.addFile(pictures::appIcon(size), QSize(size, size));
    }
    return icon;
}

void setDesktopIdentity() {
    QGuiApplication::setDesktopFileName(desktopFileName());
}

void setApplicationIcon() {
    QGuiApplication::setWindowIcon(applicationIcon());
}

}  // namespace arlo::app
