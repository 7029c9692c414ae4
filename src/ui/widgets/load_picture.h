#pragma once

#include <QPixmap>
#include <QString>

#include "base/serial_worker.h"

namespace arlo::ui {

// The picture of a file or resource for a screen of `ratio` device pixels per logical pixel:
// its "@2x" twin where one exists and the ratio is above 1 (the pixmap then carries ratio 2, so
// it draws at the logical size of the picture it stands for). An empty path or a missing file
// gives a null picture.
QPixmap loadPicture(const QString& path, double ratio);

// The first picture a process reads, whatever its format, makes Qt's readers load every image
// format plugin to ask whether one of them reads it. While one of these exists, a worker does
// that, so that the windows being built meanwhile find the plugins loaded when they
// read their pictures. Needs the application object; its destructor waits for the thread.
class PictureFormatsLoader final {
public:
    PictureFormatsLoader();
    ~PictureFormatsLoader();
    PictureFormatsLoader(const PictureFormatsLoader&) = delete;
    PictureFormatsLoader& operator=(const PictureFormatsLoader&) = delete;

private:
    base::SerialWorker worker_{"arlo-formats"};
};

}  // namespace arlo::ui
