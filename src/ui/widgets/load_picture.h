#pragma once

#include <QPixmap>
#include <QString>

namespace arlo::ui {

// The picture of a file or resource; an empty path or a missing file gives a null picture.
QPixmap loadPicture(const QString& path);

}  // namespace arlo::ui
