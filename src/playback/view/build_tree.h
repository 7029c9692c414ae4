#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QString>

namespace arlo::pageview {

// Whether the running executable lies inside the build folder `buildRoot`. Only such a program
// (the one the build made, its tests and benchmarks) falls back on the files the build left
// there: an installed program never loads code from where some build once ran.
inline bool runsFromBuildTree(const QString& buildRoot) {
    const QString root = QFileInfo(buildRoot).canonicalFilePath();
    const QString executableFolder =
        QFileInfo(QCoreApplication::applicationDirPath()).canonicalFilePath();
    return !root.isEmpty() &&
           (executableFolder == root || executableFolder.startsWith(root + QLatin1Char('/')));
}

}  // namespace arlo::pageview
