#include "pictures/qt/cover_picture.h"
#include "pictures/qt/image_convert.h"
#include "pictures/qt/sprite_sheet.h"
#include "standin/crafted_pictures.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QtTest>
#include <string>
#include <string_view>

using namespace arlo::pictures;
namespace standin = arlo::standin;

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

    // Whether a picture is decoded as a cover, a captcha, a sprite sheet: the limits of each, and
    // what a hostile server crafts (crafted_pictures.h) against all three.
    void picturesAreDecodedWithinTheirLimits_data() {
        QTest::addColumn<QByteArray>("picture");
        QTest::addColumn<QList<bool>>("decoded");  // cover, captcha, sheet
        auto row = [](const char* name, const std::string& bytes, QList<bool> decoded) {
            QTest::newRow(name) << QByteArray::fromStdString(bytes) << decoded;
        };
        row("progressive, 10 scans", standin::jpegWithScans(160, 90, 10), {true, true, true});
        row("64 scans", standin::jpegWithScans(160, 90, kMaxJpegScans), {true, true, true});
        row("65 scans", standin::jpegWithScans(160, 90, kMaxJpegScans + 1), {false, false, false});
        row("640 x 360", standin::flatPng(640, 360), {true, false, true});
        row("641 x 360", standin::flatPng(641, 360), {false, false, true});
        row("400 x 140", standin::flatPng(400, 140), {true, true, true});
        row("401 x 140", standin::flatPng(401, 140), {true, false, true});
        row("WebP 100 x 35", standin::flatWebp(100, 35), {false, false, false});
        for (const std::string_view name : standin::kCraftedPictures) {
            row(name.data(), standin::craftedPicture(name), {false, false, false});
        }
    }
    void picturesAreDecodedWithinTheirLimits() {
        QFETCH(QByteArray, picture);
        QFETCH(QList<bool>, decoded);
        QCOMPARE(!decodeCoverPicture(picture.toStdString()).isNull(), decoded[0]);
        QCOMPARE(!decodeBounded(picture, kCaptchaLimits).isNull(), decoded[1]);
        std::vector<Frame> frames;
        SheetCut cut;
        QCOMPARE(cutSpriteSheet(picture.toStdString(), 100, frames, cut), decoded[2]);
    }

    void textAndNothingAreNoPicture() {
        QVERIFY(decodeCoverPicture("<html><body>404 Not Found</body></html>").isNull());
        QVERIFY(decodeCoverPicture("").isNull());
        QVERIFY(decodeCoverPicture("BM").isNull());
    }
};

QTEST_MAIN(CoverPictureTest)
#include "cover_picture_test.moc"
