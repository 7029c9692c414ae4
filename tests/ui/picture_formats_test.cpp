#include <QBuffer>
#include <QImage>
#include <QTest>

#include "image_format_plugins.h"
#include "ui/widgets/load_picture.h"

using arlo::testing::imageFormatPluginsLoaded;

// The loader's thread loads the image format plugins while this thread reads no picture, and
// the loader's end waits for it: afterwards they are all there and a JPEG reads.
class PictureFormatsTest : public QObject {
    Q_OBJECT

private slots:
    void theLoaderLeavesThePluginsLoaded() {
        QVERIFY2(imageFormatPluginsLoaded() == 0, "the test must start with no plugin loaded");
        { const arlo::ui::PictureFormatsLoader loader; }
        QVERIFY(imageFormatPluginsLoaded() > 0);
        QImage picture(8, 8, QImage::Format_RGB32);
        picture.fill(Qt::blue);
        QByteArray jpeg;
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(picture.save(&buffer, "jpeg"));
        QCOMPARE(QImage::fromData(jpeg).size(), QSize(8, 8));
    }
};

QTEST_MAIN(PictureFormatsTest)
#include "picture_formats_test.moc"
