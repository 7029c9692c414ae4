#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>
#include <string_view>
#include <thread>
#include <vector>

#include "pictures/bmp.h"
#include "pictures/qt/image_convert.h"

using namespace arlo::pictures;

namespace {

std::string_view view(const QByteArray& b) {
    return {b.constData(), static_cast<std::size_t>(b.size())};
}

quint32 u32(const QByteArray& b, int at) {
    quint32 v = 0;
    for (int i = 3; i >= 0; --i) {
        v = v << 8 | static_cast<unsigned char>(b.at(at + i));
    }
    return v;
}

// A picture with smooth gradients (a photograph to the encoders) and some flat areas.
QImage photo(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            image.setPixel(x, y, qRgb(x * 255 / w, y * 255 / h, (x + y) % 256));
        }
    }
    QPainter p(&image);
    p.fillRect(4, 4, w / 3, h / 3, QColor(200, 30, 40));
    return image;
}

// Few colours, so that every format including GIF keeps the pixels exactly.
QImage flat(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(QColor(10, 120, 250));
    QPainter p(&image);
    p.fillRect(0, 0, w / 2, h / 2, QColor(250, 250, 0));
    p.fillRect(w / 2, h / 2, w / 2, h / 2, QColor(0, 0, 0));
    return image;
}

QByteArray encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, format).write(image);
    return bytes;
}

bool near(QRgb a, QRgb b, int tolerance) {
    return std::abs(qRed(a) - qRed(b)) <= tolerance &&
           std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

QByteArray hex(QRgb c) {
    return QByteArray::number(c, 16);
}

// A palette picture, one pixel per entry, with entries from clear through translucent to
// opaque.
QImage translucentPalette() {
    const QList<QRgb> table = {
        qRgba(255, 0, 0, 0),    qRgba(0, 255, 0, 51),   qRgba(0, 0, 255, 102),
        qRgba(10, 20, 30, 127), qRgba(60, 70, 80, 128), qRgba(90, 80, 70, 204),
        qRgb(0xd6, 0xe7, 0xea),
    };
    QImage image(int(table.size()), 2, QImage::Format_Indexed8);
    image.setColorTable(table);
    for (int x = 0; x < image.width(); ++x) {
        image.setPixel(x, 0, uint(x));
        image.setPixel(x, 1, uint(image.width() - 1 - x));
    }
    return image;
}

int maxChannelDifference(const QImage& a, const QImage& b) {
    int worst = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                              std::abs(qBlue(p) - qBlue(q))});
        }
    }
    return worst;
}

}  // namespace

class ImageConvertTest final : public QObject {
    Q_OBJECT

private slots:
    void badInput_failsAndLeavesOutputAlone() {
        const QByteArray untouched("keep me");
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("out.bmp"));
        const QByteArray jpeg = encoded(photo(40, 30), "jpeg");
        const QByteArray cases[] = {
            QByteArray("BM"),
            QByteArray("abc"),
            QByteArray("this is text, not a picture of any kind"),
            QByteArray(300, '\x07'),
            jpeg.left(40),  // a JPEG cut off in its header
            encoded(flat(8, 8), "png").left(30),
        };
        for (const QByteArray& input : cases) {
            QByteArray output = untouched;
            QVERIFY2(!convertImage(input, kFormatBmp, target, output), input.left(8).toHex());
            QCOMPARE(output, untouched);
        }
        for (int format : {0, 6, -1, 100}) {
            QByteArray output = untouched;
            QVERIFY(!convertImage(jpeg, format, target, output));
            QCOMPARE(output, untouched);
        }
        QVERIFY(!QFile::exists(target));
    }

    void jpegToBmp_givesAnUncompressedBottomUpBitmapThatCanBeCut() {
        const QImage source = photo(321, 157);
        const QByteArray jpeg = encoded(source, "jpeg");
        QByteArray bmp;
        QVERIFY(convertImage(jpeg, kFormatBmp, bmp));
        QVERIFY(bmp.startsWith("BM"));
        QCOMPARE(arlo::pictures::bmpWidth(view(bmp)), 321);
        QCOMPARE(arlo::pictures::bmpHeight(view(bmp)), 157);
        QCOMPARE(u32(bmp, 14), 40u);    // information header size
        QCOMPARE(int(bmp.at(28)), 24);  // bits per pixel
        QCOMPARE(u32(bmp, 30), 0u);     // no compression
        QCOMPARE(u32(bmp, 10), 54u);    // pixels right after the headers
        QCOMPARE(qsizetype(u32(bmp, 2)), bmp.size());
        QCOMPARE(bmp.size(), 54 + ((321 * 3 + 3) / 4 * 4) * 157);

        // Sizes of a picture in another format go through the conversion.
        QCOMPARE(pictureBmpWidth(jpeg), 321);
        QCOMPARE(pictureBmpHeight(jpeg), 157);
        QCOMPARE(pictureBmpWidth(bmp), 321);
        QCOMPARE(pictureBmpWidth(QByteArray("xyz")), 0);

        // The bitmap holds the decoded picture, bottom-up: a cut of its top-left corner is the
        // JPEG's top-left corner.
        const QImage decoded = QImage::fromData(jpeg);
        const std::string corner = arlo::pictures::cropBmp(view(bmp), 0, 0, 20, 10);
        QVERIFY(!corner.empty());
        const QImage cut = QImage::fromData(QByteArray(corner.data(), qsizetype(corner.size())));
        QCOMPARE(cut.size(), QSize(20, 10));
        QCOMPARE(maxChannelDifference(cut, decoded.copy(0, 0, 20, 10)), 0);
    }

    void everyFormat_roundTripsThroughDecoding() {
        const QImage source = flat(64, 48);
        const struct {
            int format;
            QByteArray signature;
        } formats[] = {
            {kFormatBmp, "BM"}, {kFormatJpeg, "\xFF\xD8\xFF"}, {kFormatGif, "GIF8"},
            {kFormatTiff, ""},  {kFormatPng, "\x89PNG"},
        };
        const QByteArray png = encoded(source, "png");
        for (const auto& f : formats) {
            QByteArray out;
            QVERIFY2(convertImage(png, f.format, out), QByteArray::number(f.format));
            QVERIFY(out.startsWith(f.signature));
            if (f.format == kFormatTiff) {
                QVERIFY(out.startsWith("II*") || out.startsWith("MM\0*"));
            }
            const QImage back = QImage::fromData(out);
            QCOMPARE(back.size(), source.size());
            if (f.format == kFormatJpeg) {
                // Lossy: compare the middle of each flat area, away from the blurred edges.
                for (const QRect& area :
                     {QRect(8, 8, 16, 8), QRect(40, 8, 16, 8), QRect(40, 32, 16, 8)}) {
                    QVERIFY(maxChannelDifference(back.copy(area), source.copy(area)) <= 24);
                }
            } else {
                QCOMPARE(maxChannelDifference(back, source), 0);
            }

            // And every format is read again as input.
            QByteArray again;
            QVERIFY(convertImage(out, kFormatPng, again));
            QCOMPARE(QImage::fromData(again).size(), source.size());
        }
    }

    // One image decoded into again and again, as the sprite sheets of a load are: each
    // picture comes out whole, whatever the image held before, and a failure leaves it null.
    void decodingIntoAnImage_givesEachPictureWhateverItHeldBefore() {
        const QImage first = photo(96, 60);
        QImage second = photo(96, 60).mirrored(true, false);
        const QImage grey = flat(50, 30).convertToFormat(QImage::Format_Grayscale8);
        QImage image;
        for (const QByteArray& picture :
             {encoded(first, "png"), encoded(second, "png"), encoded(first, "jpeg"),
              encoded(second, "jpeg"), encoded(grey, "png"), encoded(first, "bmp")}) {
            QVERIFY(decodePictureInto(picture, image));
            QCOMPARE(image, decodePicture(picture));
        }
        QVERIFY(!decodePictureInto("not a picture", image));
        QVERIFY(image.isNull());
        QVERIFY(!decodePictureInto("BM", image));
        QVERIFY(image.isNull());
    }

    void gif_reducesManyColoursTheSameWayEveryTime() {
        const QByteArray jpeg = encoded(photo(200, 120), "jpeg");
        QByteArray first, second;
        QVERIFY(convertImage(jpeg, kFormatGif, first));
        QVERIFY(convertImage(jpeg, kFormatGif, second));
        QCOMPARE(first, second);
        const QImage gif = QImage::fromData(first, "GIF");
        QCOMPARE(gif.size(), QSize(200, 120));
        QVERIFY(gif.colorCount() <= 256);
        // The flat red block survives the reduction recognisably.
        const QRgb red = gif.pixel(20, 20);
        QVERIFY(qRed(red) > 150 && qGreen(red) < 90 && qBlue(red) < 90);
    }

    void transparency_isKeptWhereTheFormatHasIt() {
        QImage source(30, 20, QImage::Format_ARGB32);
        source.fill(Qt::transparent);
        QPainter(&source).fillRect(0, 0, 10, 20, QColor(255, 0, 0));
        const QByteArray png = encoded(source, "png");

        QByteArray bmp, gif, pngAgain;
        QVERIFY(convertImage(png, kFormatBmp, bmp));
        QCOMPARE(int(bmp.at(28)), 32);
        QVERIFY(!arlo::pictures::cropBmp(view(bmp), 5, 5, 10, 10).empty());
        QVERIFY(convertImage(png, kFormatGif, gif));
        const QImage g = QImage::fromData(gif);
        QCOMPARE(qAlpha(g.pixel(25, 10)), 0);
        QCOMPARE(g.pixel(2, 2), qRgb(255, 0, 0));
        QVERIFY(convertImage(png, kFormatPng, pngAgain));
        QCOMPARE(qAlpha(QImage::fromData(pngAgain).pixel(25, 10)), 0);
    }

    // TIFF and ICO pictures decode with their colours multiplied by their alpha; a JPEG has
    // no alpha and gets the colours themselves, as it does from a PNG.
    void jpeg_fromTranslucentPictures_keepsTheirColours() {
        QImage source(32, 16, QImage::Format_ARGB32);
        source.fill(qRgba(200, 100, 50, 128));
        QPainter(&source).fillRect(16, 0, 16, 16, QColor(20, 60, 220));
        for (const char* format : {"tiff", "ico", "png"}) {
            const QByteArray picture = encoded(source, format);
            QVERIFY2(!picture.isEmpty(), format);
            QByteArray jpeg;
            QVERIFY2(convertImage(picture, kFormatJpeg, jpeg), format);
            const QImage back = QImage::fromData(jpeg, "JPEG");
            QCOMPARE(back.size(), source.size());
            QVERIFY2(near(back.pixel(6, 8), qRgb(200, 100, 50), 3),
                     QByteArray(format) + " gave " + hex(back.pixel(6, 8)));
            QVERIFY2(near(back.pixel(26, 8), qRgb(20, 60, 220), 3),
                     QByteArray(format) + " gave " + hex(back.pixel(26, 8)));
        }
    }

    // Counting the transparent colour as one, up to 256 colours survive exactly, whatever
    // the picture's pixel format.
    void gif_keepsEveryColourOfAPictureWithAtMost256() {
        QImage two(40, 20, QImage::Format_ARGB32);
        two.fill(Qt::transparent);
        QPainter(&two).fillRect(0, 0, 20, 20, QColor(0xd6, 0xe7, 0xea));
        QPainter(&two).fillRect(20, 0, 10, 20, QColor(0x20, 0x30, 0x40));

        QImage opaque(16, 16, QImage::Format_ARGB32);  // 256 colours, all opaque
        QImage clear(17, 16, QImage::Format_ARGB32);   // 255 colours and transparent
        clear.fill(Qt::transparent);
        for (int i = 0; i < 256; ++i) {
            const QRgb colour = qRgb(i, (i * 37) % 256, 255 - i);
            opaque.setPixel(i % 16, i / 16, colour);
            if (i < 255) {
                clear.setPixel(i % 16, i / 16, colour);
            }
        }

        for (const QImage& source : {two, opaque, clear}) {
            QByteArray gif;
            QVERIFY(convertImage(encoded(source, "png"), kFormatGif, gif));
            const QImage back = QImage::fromData(gif, "GIF");
            QCOMPARE(back.size(), source.size());
            for (int y = 0; y < source.height(); ++y) {
                for (int x = 0; x < source.width(); ++x) {
                    const QRgb want = source.pixel(x, y), got = back.pixel(x, y);
                    if (qAlpha(want) == 0) {
                        QVERIFY2(qAlpha(got) == 0, hex(got));
                    } else {
                        QVERIFY2(got == want, hex(want) + " became " + hex(got));
                    }
                }
            }
        }
    }

    // GIF has one transparent colour and no partial transparency: less than half opaque is
    // transparent, the rest keeps its colour, as other converters do.
    void gif_makesPixelsLessThanHalfOpaqueTransparent() {
        const QImage palette = translucentPalette();
        for (const QImage& source : {palette, palette.convertToFormat(QImage::Format_ARGB32)}) {
            QByteArray gif;
            QVERIFY(convertImage(encoded(source, "png"), kFormatGif, gif));
            const QImage back = QImage::fromData(gif, "GIF");
            QCOMPARE(back.size(), source.size());
            for (int y = 0; y < source.height(); ++y) {
                for (int x = 0; x < source.width(); ++x) {
                    const QRgb want = source.pixel(x, y), got = back.pixel(x, y);
                    if (qAlpha(want) < 128) {
                        QVERIFY2(qAlpha(got) == 0, hex(want) + " became " + hex(got));
                    } else {
                        QVERIFY2(got == (want | 0xFF000000u), hex(want) + " became " + hex(got));
                    }
                }
            }
        }

        // With more than 256 colours the picture is reduced, and transparency still follows
        // the same rule.
        QImage many = photo(64, 48).convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < many.height(); ++y) {
            for (int x = 48; x < many.width(); ++x) {
                many.setPixel(x, y, (many.pixel(x, y) & 0xFFFFFF) | uint(x % 2 ? 100 : 160) << 24);
            }
        }
        QByteArray gif;
        QVERIFY(convertImage(encoded(many, "png"), kFormatGif, gif));
        const QImage back = QImage::fromData(gif, "GIF");
        QVERIFY(back.colorCount() <= 256);
        for (int y = 0; y < many.height(); ++y) {
            for (int x = 0; x < many.width(); ++x) {
                QCOMPARE(qAlpha(back.pixel(x, y)), x >= 48 && x % 2 ? 0 : 255);
            }
        }
        const QRgb red = back.pixel(20, 15);  // inside the flat red block
        QVERIFY2(qRed(red) > 150 && qGreen(red) < 90 && qBlue(red) < 90, hex(red));
    }

    // TIFF has an alpha channel; a palette picture's transparency goes into it.
    void tiff_fromAPalettePicture_keepsItsTransparency() {
        QImage mono(8, 4, QImage::Format_Mono);
        mono.setColorTable({qRgba(0, 0, 0, 0), qRgb(250, 250, 250)});
        mono.fill(0);
        for (int x = 0; x < 4; ++x) {
            mono.setPixel(x, 1, 1);
        }
        const QByteArray palettes[] = {encoded(translucentPalette(), "png"), encoded(mono, "png")};
        for (const QByteArray& picture : palettes) {
            const QImage source = decodePicture(picture);
            QVERIFY(source.hasAlphaChannel());
            QByteArray tiff;
            QVERIFY(convertImage(picture, kFormatTiff, tiff));
            // The pixels come back multiplied by their alpha: the colours within rounding.
            const QImage back =
                QImage::fromData(tiff, "TIFF").convertToFormat(QImage::Format_ARGB32);
            QCOMPARE(back.size(), source.size());
            for (int y = 0; y < source.height(); ++y) {
                for (int x = 0; x < source.width(); ++x) {
                    const QRgb want = source.pixel(x, y), got = back.pixel(x, y);
                    QCOMPARE(qAlpha(got), qAlpha(want));
                    if (qAlpha(want) > 0) {
                        QVERIFY2(near(got, want, 2), hex(want) + " became " + hex(got));
                    }
                }
            }
        }
    }

    void savePath_isTrimmedAndWrittenWhole() {
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("picture.png"));
        const QByteArray jpeg = encoded(photo(50, 40), "jpeg");
        QByteArray out;
        QVERIFY(convertImage(jpeg, kFormatPng, QStringLiteral("  ") + target + QStringLiteral(" "),
                             out));
        QFile file(target);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), out);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);

        // A blank path writes nothing.
        QByteArray blank;
        QVERIFY(convertImage(jpeg, kFormatPng, QStringLiteral("   "), blank));
        QCOMPARE(blank, out);

        // A file that cannot be written is a failure, not a success without the file.
        QByteArray untouched("keep");
        QVERIFY(!convertImage(jpeg, kFormatPng, dir.filePath(QStringLiteral("no/such/dir/x.png")),
                              untouched));
        QCOMPARE(untouched, QByteArray("keep"));
    }

    void concurrentCalls_giveTheSameResultAsOne() {
        const QByteArray jpeg = encoded(photo(400, 225), "jpeg");
        QByteArray expectedBmp, expectedGif;
        QVERIFY(convertImage(jpeg, kFormatBmp, expectedBmp));
        QVERIFY(convertImage(jpeg, kFormatGif, expectedGif));
        constexpr int kThreads = 6;
        std::vector<int> mismatches(kThreads, 0);
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back([&, t] {
                for (int i = 0; i < 8; ++i) {
                    QByteArray out;
                    const bool gif = (t + i) % 3 == 0;
                    if (!convertImage(jpeg, gif ? kFormatGif : kFormatBmp, out) ||
                        out != (gif ? expectedGif : expectedBmp)) {
                        ++mismatches[t];
                    }
                }
            });
        }
        for (auto& thread : threads) {
            thread.join();
        }
        QCOMPARE(mismatches, std::vector<int>(kThreads, 0));
    }
};

QTEST_MAIN(ImageConvertTest)
#include "image_convert_test.moc"
