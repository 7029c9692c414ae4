#include "pictures/qt/cover_picture.h"

#include <QByteArray>

#include "pictures/qt/image_convert.h"

namespace arlo::pictures {

QImage decodeCoverPicture(std::string_view bytes) {
    return decodeBounded(
        QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size())), kCoverLimits);
}

}  // namespace arlo::pictures
