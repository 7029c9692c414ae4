#pragma once

#include <QByteArray>
#include <QFile>
#include <QSet>

namespace arlo::testing {

// Image format plugins this process has loaded, from its own memory map; -1 when the map
// cannot be read.
inline int imageFormatPluginsLoaded() {
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly)) {
        return -1;
    }
    QSet<QByteArray> plugins;
    for (const QByteArray& line : maps.readAll().split('\n')) {
        if (line.contains("/imageformats/")) {
            plugins.insert(line.mid(line.lastIndexOf('/')));
        }
    }
    return static_cast<int>(plugins.size());
}

}  // namespace arlo::testing
