#include "pictures/qt/sprite_sheet.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QtTest>
#include <string>
#include <vector>

#include "bmp_test_support.h"
#include "pictures/bmp.h"
#include "pictures/qt/image_convert.h"

using namespace arlo::pictures;

namespace {

QByteArray encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

std::string bytesOf(const QByteArray& b) {
    return b.toStdString();
}

// Qt's own reading of a BMP, as 0xFFRRGGBB pixels top row first.
Picture readByQt(const std::string& bmp) {
    QImage image;
    image.loadFromData(reinterpret_cast<const uchar*>(bmp.data()), static_cast<int>(bmp.size()),
                       "BMP");
    image.convertTo(QImage::Format_RGB32);
    Picture p;
    p.width = image.width();
    p.height = image.height();
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        p.pixels.insert(p.pixels.end(), line, line + image.width());
    }
    return p;
}

}  // namespace

class SpriteSheetTest final : public QObject {
    Q_OBJECT

private slots:
    // A frame shown from its decoded pixels looks as the BMP it stands for did when Qt read it.
    void decodedBmpPixelsAreWhatQtReadsFromTheFile() {
        for (int bpp : {8, 16, 24, 32}) {
            const std::string bmp = testing::makeBmp(37, 23, bpp);
            QCOMPARE(decodeBmp(bmp), readByQt(bmp));
        }
    }

    // The one-decode cut gives the pixels of what cropBmp cuts from convertImage's BMP, for
    // odd sizes, grey pictures and pictures with transparency alike.
    void cuttingFromOneDecodeMatchesCroppingTheConvertedSheet_data() {
        QTest::addColumn<QByteArray>("picture");
        QTest::addColumn<long>("wanted");
        QImage photo(1603, 907, QImage::Format_RGB32);
        for (int y = 0; y < photo.height(); ++y) {
            for (int x = 0; x < photo.width(); ++x) {
                photo.setPixel(x, y, qRgb((x * 3 + y) & 0xFF, (x ^ y) & 0xFF, (y * 5) & 0xFF));
            }
        }
        const QByteArray sheet1603 = encoded(photo, "jpeg");
        QTest::newRow("jpeg 1603x907") << sheet1603 << 1000L;
        QTest::newRow("jpeg, 37 wanted") << sheet1603 << 37L;
        QImage grey(253, 141, QImage::Format_Grayscale8);
        for (int y = 0; y < grey.height(); ++y) {
            for (int x = 0; x < grey.width(); ++x) {
                grey.scanLine(y)[x] = static_cast<uchar>(x * 7 + y * 3);
            }
        }
        QTest::newRow("grey png 253x141") << encoded(grey, "png") << 1000L;
        QImage alpha(98, 55, QImage::Format_ARGB32);
        alpha.fill(qRgba(10, 200, 30, 128));
        QTest::newRow("png with transparency") << encoded(alpha, "png") << 1000L;
        QImage tiny(9, 9, QImage::Format_RGB32);
        tiny.fill(Qt::red);
        QTest::newRow("too small for a cell") << encoded(tiny, "bmp") << 1000L;
    }
    void cuttingFromOneDecodeMatchesCroppingTheConvertedSheet() {
        QFETCH(QByteArray, picture);
        QFETCH(long, wanted);
        std::vector<Picture> direct;
        SheetCut cut;
        QVERIFY(cutSpriteSheet(bytesOf(picture), wanted, direct, cut));
        QByteArray bmp;
        QVERIFY(convertImage(picture, kFormatBmp, bmp));
        std::vector<std::string> cropped;
        const bool more = appendSheetFrames(bytesOf(bmp), wanted, cropped);
        QCOMPARE(cut.moreWanted, more);
        QCOMPARE(cut.width, bmpWidth(bytesOf(bmp)));
        QCOMPARE(cut.height, bmpHeight(bytesOf(bmp)));
        QCOMPARE(direct.size(), cropped.size());
        std::vector<Picture> expected;
        for (std::size_t i = 0; i < direct.size(); ++i) {
            expected.push_back(decodeBmp(cropped[i]));
            QVERIFY2(direct[i] == expected[i], qPrintable(QString::number(i)));
        }
        // Frames cut into recycled memory (smaller, larger and stale pixels) are the same.
        std::vector<Picture> spares = direct;
        spares.push_back(Picture{1, 5, std::vector<std::uint32_t>(5, 0x12345678u)});
        spares.push_back(Picture{400, 500, std::vector<std::uint32_t>(200000, 0x12345678u)});
        recycleFrames(std::move(spares));
        std::vector<Picture> again;
        QVERIFY(cutSpriteSheet(bytesOf(picture), wanted, again, cut));
        QVERIFY(again == expected);
        QVERIFY(!cutSpriteSheet("not a picture", wanted, direct, cut));
    }

    // A small file that states a huge picture is never decoded; a sheet is cut only when it
    // is at most four times the documented 1600 x 900 pixels, and only as far as one load's
    // share of frame pixels reaches.
    void sheetsFarLargerThanDocumentedAreRefusedBeforeDecoding() {
        QImage small(160, 90, QImage::Format_RGB32);
        small.fill(qRgb(20, 90, 160));
        QByteArray lying = encoded(small, "jpeg");
        const qsizetype sof = lying.indexOf(QByteArray("\xFF\xC0", 2));
        QVERIFY(sof > 0);
        for (int field : {5, 7}) {  // height, then width: 5600 each, big-endian
            lying[sof + field] = char(5600 >> 8);
            lying[sof + field + 1] = char(5600 & 0xFF);
        }
        QBuffer buffer(&lying);
        QCOMPARE(QImageReader(&buffer).size(), QSize(5600, 5600));
        std::vector<Picture> frames;
        SheetCut cut;
        QVERIFY(!cutSpriteSheet(bytesOf(lying), 1000, frames, cut));
        QVERIFY(frames.empty());

        QImage atLimit(2400, 2400, QImage::Format_RGB32);
        atLimit.fill(qRgb(200, 30, 60));
        QVERIFY(cutSpriteSheet(bytesOf(encoded(atLimit, "png")), 1000, frames, cut));
        QCOMPARE(frames.size(), 100u);
        QCOMPARE(frames.back().width, 240);
        QImage over(2401, 2400, QImage::Format_RGB32);
        over.fill(qRgb(200, 30, 60));
        QVERIFY(!cutSpriteSheet(bytesOf(encoded(over, "png")), 1000, frames, cut));
        QCOMPARE(frames.size(), 100u);

        // 240 x 240 cells: two sheets and 77 frames of a third fit one load, no more.
        const std::string sheet = bytesOf(encoded(atLimit, "png"));
        QVERIFY(cutSpriteSheet(sheet, 1000, frames, cut));
        QCOMPARE(frames.size(), 200u);
        QVERIFY(!cutSpriteSheet(sheet, 1000, frames, cut));
        QCOMPARE(frames.size(), 200u);
        QVERIFY(cutSpriteSheet(sheet, 277, frames, cut));
        QCOMPARE(frames.size(), 277u);
        QVERIFY(!cut.moreWanted);
    }
};

QTEST_MAIN(SpriteSheetTest)
#include "sprite_sheet_test.moc"
