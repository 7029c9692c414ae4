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
        // Only the rows of the cells wanted are decoded: one row, four, the last row.
        QTest::newRow("jpeg, 1 wanted") << sheet1603 << 1L;
        QTest::newRow("jpeg, 37 wanted") << sheet1603 << 37L;
        QTest::newRow("jpeg, 91 wanted") << sheet1603 << 91L;
        QImage grey(253, 141, QImage::Format_Grayscale8);
        for (int y = 0; y < grey.height(); ++y) {
            for (int x = 0; x < grey.width(); ++x) {
                grey.scanLine(y)[x] = static_cast<uchar>(x * 7 + y * 3);
            }
        }
        QTest::newRow("grey png 253x141") << encoded(grey, "png") << 1000L;
        QTest::newRow("grey png, 23 wanted") << encoded(grey, "png") << 23L;
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
        std::vector<Frame> direct;
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
        // A sheet decoded into the memory of an earlier one (its old pixels still there) gives
        // the same frames.
        {
            const KeepSpareSheets reuse;
            direct.clear();
            std::vector<Frame> again;
            QVERIFY(cutSpriteSheet(bytesOf(picture), wanted, again, cut));
            QCOMPARE(again.size(), expected.size());
            for (std::size_t i = 0; i < again.size(); ++i) {
                QVERIFY2(again[i] == expected[i], qPrintable(QString::number(i)));
            }
        }
        QVERIFY(!cutSpriteSheet("not a picture", wanted, direct, cut));
    }

    // The frames share their decoded sheet and keep it alive on their own. Once they are all
    // dropped its memory serves the next sheet while a load runs, and goes back to the system
    // when none does; the rows of a sheet that no frame shows are given back at once.
    void sheetMemoryIsKeptOnlyForFramesShownAndLoadsRunning() {
        QImage photo(1600, 900, QImage::Format_RGB32);
        for (int y = 0; y < photo.height(); ++y) {
            for (int x = 0; x < photo.width(); ++x) {
                photo.setPixel(x, y, qRgb(x & 0xFF, y & 0xFF, (x + y) & 0xFF));
            }
        }
        const std::string sheet = bytesOf(encoded(photo, "jpeg"));
        const QImage decoded =
            QImage::fromData(encoded(photo, "jpeg")).convertToFormat(QImage::Format_RGB32);
        const auto cellOf = [&decoded](int column, int row) {
            const QImage cell = decoded.copy(column * 160, row * 90, 160, 90);
            Picture p{160, 90, {}};
            for (int y = 0; y < 90; ++y) {
                const auto* line = reinterpret_cast<const QRgb*>(cell.constScanLine(y));
                p.pixels.insert(p.pixels.end(), line, line + 160);
            }
            return p;
        };
        const std::size_t sheetBytes = 1600u * 900u * 4u;
        SheetCut cut;
        {
            const KeepSpareSheets reuse;
            std::vector<Frame> frames;
            QVERIFY(cutSpriteSheet(sheet, 1000, frames, cut));
            Frame kept = frames[57];
            frames.clear();
            QVERIFY(kept == cellOf(7, 5));
            QCOMPARE(spareSheetBytes(), std::size_t(0));
            kept = Frame();
            QVERIFY(spareSheetBytes() >= sheetBytes);

            // 29 frames use three rows of cells: the other seven go back at once.
            QVERIFY(cutSpriteSheet(sheet, 29, frames, cut));
            QCOMPARE(spareSheetBytes(), std::size_t(0));
            QVERIFY(!cut.moreWanted);
            QCOMPARE(QSize(cut.width, cut.height), QSize(1600, 900));
            QVERIFY(frames[28] == cellOf(8, 2));
            frames.clear();
            QVERIFY(spareSheetBytes() <= 3 * 90 * 1600 * 4 + 4096);
            QVERIFY(spareSheetBytes() >= 3 * 90 * 1600 * 4);
        }
        QCOMPARE(spareSheetBytes(), std::size_t(0));
        // Without a load running, dropped frames give their memory back at once.
        std::vector<Frame> frames;
        QVERIFY(cutSpriteSheet(sheet, 1000, frames, cut));
        frames.clear();
        QCOMPARE(spareSheetBytes(), std::size_t(0));

        // However many large sheets a load goes through, the memory kept for reuse stays
        // within what one load's frames may hold.
        QImage large(3200, 1800, QImage::Format_RGB32);
        large.fill(qRgb(90, 140, 30));
        const std::string largeSheet = bytesOf(encoded(large, "jpeg"));
        {
            const KeepSpareSheets reuse;
            std::vector<std::vector<Frame>> loads(5);
            for (std::vector<Frame>& load : loads) {
                QVERIFY(cutSpriteSheet(largeSheet, 100, load, cut));
            }
            loads.clear();
            QVERIFY(spareSheetBytes() >= 3200u * 1800u * 4u);
            QVERIFY(spareSheetBytes() <= std::size_t(kMaxLoadFramePixels) * 4u);
        }
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
        std::vector<Frame> frames;
        SheetCut cut;
        QVERIFY(!cutSpriteSheet(bytesOf(lying), 1000, frames, cut));
        QVERIFY(frames.empty());

        QImage atLimit(2400, 2400, QImage::Format_RGB32);
        atLimit.fill(qRgb(200, 30, 60));
        QVERIFY(cutSpriteSheet(bytesOf(encoded(atLimit, "png")), 1000, frames, cut));
        QCOMPARE(frames.size(), 100u);
        QCOMPARE(frames.back().width(), 240);
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
