// convertImage on untrusted bytes: the first input byte chooses the output format (valid and
// invalid ones), the rest is the picture. A success must give a picture that decodes again;
// a failure must leave the output as it was.
#include <QByteArray>
#include <QImage>
#include <cstdint>
#include <cstdlib>

#include "pictures/qt/image_convert.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    const int format = static_cast<int>(data[0] % 8) - 1;  // -1 .. 6
    const QByteArray picture(reinterpret_cast<const char*>(data + 1),
                             static_cast<qsizetype>(size - 1));
    const QByteArray untouched("unchanged");
    QByteArray output = untouched;
    const bool ok = arlo::pictures::convertImage(picture, format, QString(), output);
    if (!ok) {
        if (output != untouched) {
            std::abort();  // a failure must not touch the output
        }
        return 0;
    }
    if (format < 1 || format > 5 || output.isEmpty() ||
        arlo::pictures::decodePicture(output).isNull()) {
        std::abort();
    }
    if (format == 1 && (output.size() < 54 || output[0] != 'B' || output[1] != 'M')) {
        std::abort();
    }
    return 0;
}
