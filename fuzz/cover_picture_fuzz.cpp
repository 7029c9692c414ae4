// Cover decoding on untrusted bytes from the cover host. A picture that decodes is one of the
// web formats as Qt itself tells them, of at most kCoverLimits' pixels; so is a captcha
// within its limits.
#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <string_view>

#include "fuzz_support.h"
#include "pictures/qt/cover_picture.h"
#include "pictures/qt/image_convert.h"

using arlo::fuzz::require;
namespace pictures = arlo::pictures;

namespace {

bool isWebFormat(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    const QByteArray format = QImageReader::imageFormat(&buffer);
    return format == "jpeg" || format == "png" || format == "gif" || format == "bmp";
}

void check(const QImage& image, const QByteArray& bytes, qint64 maxPixels) {
    if (!image.isNull()) {
        require(qint64{image.width()} * image.height() <= maxPixels, "within the pixel limit");
        require(isWebFormat(bytes), "only the web formats are decoded");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view view(reinterpret_cast<const char*>(data), size);
    const QByteArray bytes(view.data(), static_cast<qsizetype>(size));
    check(pictures::decodeCoverPicture(view), bytes, pictures::kCoverLimits.maxPixels);
    check(pictures::decodeBounded(bytes, pictures::kCaptchaLimits), bytes,
          pictures::kCaptchaLimits.maxPixels);
    return 0;
}
