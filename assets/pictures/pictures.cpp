#include "pictures/pictures.h"

#include <QFile>

namespace arlo::pictures {

QString poster(int n) {
    if (n < 1 || n > kPosterCount) {
        return {};
    }
    return QStringLiteral(":/pictures/poster_%1.jpg").arg(n, 2, 10, QLatin1Char('0'));
}

QString appIcon(int size) {
    for (const int drawn : kAppIconSizes) {
        if (drawn == size) {
            return QStringLiteral(":/pictures/app_icon_%1.png").arg(size);
        }
    }
    return {};
}

QByteArray bytes(const QString& path) {
    // Only the built-in set: a caller must not be able to read arbitrary files through this.
    if (!path.startsWith(QLatin1String(":/pictures/"))) {
        return {};
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll();
}

}  // namespace arlo::pictures
