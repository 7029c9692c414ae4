#include "ui/widgets/load_picture.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

#include "pictures/pictures.h"

namespace arlo::ui {

QPixmap loadPicture(const QString& path, double ratio) {
    QPixmap picture;
    if (!path.isEmpty()) {
        // The reader takes the ratio from the "@2x" in the name.
        picture.load(pictures::forRatio(path, ratio));
    }
    return picture;
}

PictureFormatsLoader::PictureFormatsLoader() {
    worker_.post([](const base::StopSignal&) {
        // Asking whether a PNG signature can be read goes through every plugin.
        QByteArray signature("\x89PNG\r\n\x1a\n", 8);
        QBuffer buffer(&signature);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer, "png");
        reader.canRead();
    });
}

PictureFormatsLoader::~PictureFormatsLoader() {
    // Ran to its end, not called off: the plugins are then loaded whole.
    worker_.waitIdle();
}

}  // namespace arlo::ui
