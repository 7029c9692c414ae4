// On a screen of device pixel ratio 2 (the test runs with QT_SCALE_FACTOR=2) every built-in
// picture has a twin of twice the size, and the control that shows it in the windows draws
// that twin pixel for pixel into the picture's logical size.

#include <QApplication>
#include <QDir>
#include <QImageReader>
#include <QPainter>
#include <QTest>

#include "ui/skinned/png_control.h"
#include "ui/ui_look.h"
#include "ui/widgets/drawing_panel.h"
#include "ui/widgets/image_button.h"
#include "ui/widgets/picture_box.h"

namespace {

enum class Shown { PictureBox, ImageButton, DrawingPanel, Skinned };

// How the windows show each picture.
Shown shownBy(const QString& name) {
    for (const char* button : {"prev_", "next_", "icon_"}) {
        if (name.startsWith(QLatin1String(button))) {
            return Shown::ImageButton;
        }
    }
    if (name.endsWith(QLatin1String("preview.jpg"))) {
        return Shown::DrawingPanel;
    }
    if (name.startsWith(QLatin1String("overlay")) || name.startsWith(QLatin1String("play_"))) {
        return Shown::Skinned;
    }
    return Shown::PictureBox;
}

QWidget* show(Shown kind, const QString& path, QWidget* parent) {
    switch (kind) {
        case Shown::ImageButton: {
            auto* button = new arlo::ui::ImageButton(parent);
            button->setStatePictures(path, path, path);
            return button;
        }
        case Shown::DrawingPanel: {
            auto* panel = new arlo::ui::DrawingPanel(parent);
            panel->setBackgroundPicture(path);
            return panel;
        }
        case Shown::Skinned: {
            auto* box = new QWidget(parent);
            arlo::skinned::PngPictureBox().attachAsPictureBox(box,
                                                              arlo::ui::builtInImage(path, box));
            return box;
        }
        case Shown::PictureBox:
            break;
    }
    auto* box = new arlo::ui::PictureBox(parent);
    box->setPicture(path);
    return box;
}

double meanDifference(const QImage& a, const QImage& b) {
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    double sum = 0;
    for (int row = 0; row < x.height(); ++row) {
        for (int col = 0; col < x.width(); ++col) {
            const QRgb l = x.pixel(col, row), r = y.pixel(col, row);
            sum += std::abs(qRed(l) - qRed(r)) + std::abs(qGreen(l) - qGreen(r)) +
                   std::abs(qBlue(l) - qBlue(r));
        }
    }
    return sum / (3.0 * x.width() * x.height());
}

}  // namespace

class PictureDensityTest final : public QObject {
    Q_OBJECT

private slots:
    void twinIsWhatIsDrawn_data() {
        QTest::addColumn<QString>("name");
        const QStringList names = QDir(QStringLiteral(":/pictures")).entryList(QDir::Files);
        for (const QString& name : names) {
            if (!name.contains(QLatin1Char('@')) && !name.startsWith(QLatin1String("app_icon"))) {
                QTest::newRow(qPrintable(name)) << name;
            }
        }
    }

    void twinIsWhatIsDrawn() {
        QFETCH(QString, name);
        QCOMPARE(qApp->devicePixelRatio(), 2.0);
        const QString path = arlo::ui::picturePath(name);
        QString twinPath = path;
        twinPath.insert(twinPath.lastIndexOf(QLatin1Char('.')), QLatin1String("@2x"));
        const QSize size = QImageReader(path).size();
        QImage twin(twinPath);
        QVERIFY2(!twin.isNull(), qPrintable(twinPath));
        QCOMPARE(twin.size(), size * 2);

        const QColor background(0x40, 0x90, 0x30);
        QWidget window;
        QPalette palette = window.palette();
        palette.setColor(QPalette::Window, background);
        palette.setColor(QPalette::Button, background);
        window.setPalette(palette);
        window.setAutoFillBackground(true);
        window.resize(size + QSize(40, 40));
        const Shown kind = shownBy(name);
        // A picture box centres its picture; the other controls fill themselves with it.
        const QSize margin = kind == Shown::PictureBox ? QSize(20, 10) : QSize(0, 0);
        QWidget* control = show(kind, path, &window);
        control->setAutoFillBackground(kind != Shown::Skinned);
        control->setGeometry(QRect(QPoint(0, 0), size + margin));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        const QImage drawn = control->grab().toImage();
        QCOMPARE(drawn.size(), (size + margin) * 2);
        QImage expected(drawn.size(), QImage::Format_ARGB32_Premultiplied);
        expected.setDevicePixelRatio(2);
        expected.fill(background);
        QPainter(&expected).drawImage(QPoint(margin.width() / 2, margin.height() / 2), twin);
        const double difference = meanDifference(drawn, expected);
        QVERIFY2(difference < 1.0, qPrintable(QString::number(difference)));
    }
};

QTEST_MAIN(PictureDensityTest)
#include "picture_density_test.moc"
