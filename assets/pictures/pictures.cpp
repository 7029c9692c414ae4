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

QString forRatio(const QString& path, double ratio) {
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (ratio <= 1.0 || dot <= path.lastIndexOf(QLatin1Char('/'))) {
        return path;
    }
    QString twin = path;
    twin.insert(dot, QLatin1String("@2x"));
    return QFile::exists(twin) ? twin : path;
}

int ratioOf(const QString& path) {
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    return dot >= 3 && QStringView(path).mid(dot - 3, 3) == QLatin1String("@2x") ? 2 : 1;
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
