#include "pictures/qt/cover_picture.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

#include "pictures/qt/image_convert.h"

namespace arlo::pictures {

QImage decodeCoverPicture(std::string_view bytes) {
    const QByteArray picture =
        QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer;
    buffer.setData(picture);
    if (!buffer.open(QIODevice::ReadOnly)) {
        return {};
    }
    // Told by the content, never by a name: the same detection the decoder makes below.
    const QByteArray format = QImageReader::imageFormat(&buffer);
    if (format != "jpeg" && format != "png" && format != "gif" && format != "bmp") {
        return {};
    }
    return decodePicture(picture);
}

}  // namespace arlo::pictures
