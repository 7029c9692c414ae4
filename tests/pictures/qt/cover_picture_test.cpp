#include "pictures/qt/cover_picture.h"
#include "pictures/qt/image_convert.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QtTest>
#include <string>
#include <string_view>

using namespace arlo::pictures;

namespace {

std::string encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (std::string_view(format) == "gif") {
        // Qt writes no GIF; the program's own conversion does.
        QByteArray gif;
        return image.save(&buffer, "png") && convertImage(bytes, kFormatGif, gif)
                   ? gif.toStdString()
                   : std::string();
    }
    if (!image.save(&buffer, format)) {
        return {};
    }
    return bytes.toStdString();
}

QImage sample() {
    QImage image(16, 9, QImage::Format_RGB32);
    image.fill(QColor(200, 40, 10));
    return image;
}

}  // namespace

class CoverPictureTest final : public QObject {
    Q_OBJECT

private slots:
    void theFourWebFormatsAreDecoded() {
        for (const char* format : {"jpeg", "png", "gif", "bmp"}) {
            const std::string bytes = encoded(sample(), format);
            QVERIFY2(!bytes.empty(), format);
            const QImage cover = decodeCoverPicture(bytes);
            QVERIFY2(!cover.isNull(), format);
            QCOMPARE(cover.size(), QSize(16, 9));
        }
    }

    // Whatever else Qt can read is not a cover, whatever its name would say.
    void everyOtherFormatIsRefused() {
        int tried = 0;
        for (const QByteArray& format : QImageWriter::supportedImageFormats()) {
            if (format == "jpeg" || format == "jpg" || format == "png" || format == "gif" ||
                format == "bmp") {
                continue;
            }
            const std::string bytes = encoded(sample(), format.constData());
            if (bytes.empty()) {
                continue;
            }
            ++tried;
            QVERIFY2(decodeCoverPicture(bytes).isNull(), format.constData());
        }
        // At least Qt's own built-in writers (PPM, XPM, XBM...) were tried.
        QVERIFY(tried >= 3);
    }

    void textAndNothingAreNoPicture() {
        QVERIFY(decodeCoverPicture("<html><body>404 Not Found</body></html>").isNull());
        QVERIFY(decodeCoverPicture("").isNull());
        QVERIFY(decodeCoverPicture("BM").isNull());
    }
};

QTEST_MAIN(CoverPictureTest)
#include "cover_picture_test.moc"
