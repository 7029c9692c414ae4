// arlo-convert-image IN OUT [FORMAT]: converts the picture IN with convertImage (format 1-5,
// BMP by default) and saves it as OUT. Exit code 0 on success.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <cstdlib>

#include "pictures/qt/image_convert.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        return 2;
    }
    QFile in(QString::fromLocal8Bit(argv[1]));
    if (!in.open(QIODevice::ReadOnly)) {
        return 1;
    }
    const int format = argc > 3 ? std::atoi(argv[3]) : arlo::pictures::kFormatBmp;
    QByteArray out;
    return arlo::pictures::convertImage(in.readAll(), format, QString::fromLocal8Bit(argv[2]), out)
               ? 0
               : 1;
}
