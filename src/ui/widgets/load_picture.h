#pragma once

#include <QPixmap>
#include <QString>

#include "base/serial_worker.h"

namespace arlo::ui {

// The picture of a file or resource; an empty path or a missing file gives a null picture.
QPixmap loadPicture(const QString& path);

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
