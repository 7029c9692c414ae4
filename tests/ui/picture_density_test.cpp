// On a screen of device pixel ratio 2 (the test runs with QT_SCALE_FACTOR=2) every built-in
// picture but the icon has a twin of twice the size, and the control that shows it in the
// windows draws that twin pixel for pixel into the picture's logical size.

#include <QApplication>
#include <QDir>
#include <QImageReader>
#include <QPainter>
#include <QRegularExpression>
#include <QTest>

#include "ui/skinned/png_control.h"
#include "ui/ui_look.h"
#include "ui/widgets/drawing_panel.h"
#include "ui/widgets/image_button.h"
#include "ui/widgets/picture_box.h"

namespace {

// The kind of control that shows the picture in the windows. A picture box centres it, here
// in a box larger by `margin`.
QWidget* showAsTheWindowsDo(const QString& name, QWidget* parent, QSize& margin) {
    const QString path = arlo::ui::picturePath(name);
    margin = QSize(0, 0);
    if (name.contains(QRegularExpression(QStringLiteral("^(prev|next|icon)_")))) {
        auto* button = new arlo::ui::ImageButton(parent);
        button->setStatePictures(path, path, path);
        button->setAutoFillBackground(true);
        return button;
    }
    if (name.endsWith(QLatin1String("preview.jpg"))) {
        auto* panel = new arlo::ui::DrawingPanel(parent);
        panel->setBackgroundPicture(path);
        return panel;
    }
    if (name.contains(QRegularExpression(QStringLiteral("^(overlay|play_)")))) {
        auto* skinned = new QWidget(parent);
        arlo::skinned::PngPictureBox().attachAsPictureBox(skinned,
                                                          arlo::ui::builtInImage(path, skinned));
        return skinned;
    }
    auto* box = new arlo::ui::PictureBox(parent);
    box->setPicture(path);
    margin = QSize(20, 10);
    return box;
}

}  // namespace

class PictureDensityTest final : public QObject {
    Q_OBJECT

private slots:
    void twinIsWhatIsDrawn_data() {
        QTest::addColumn<QString>("name");
        for (const QString& name : QDir(QStringLiteral(":/pictures")).entryList(QDir::Files)) {
            if (!name.contains(QLatin1Char('@')) && !name.startsWith(QLatin1String("app_icon"))) {
                QTest::newRow(qPrintable(name)) << name;
            }
        }
    }

    void twinIsWhatIsDrawn() {
        QFETCH(QString, name);
        QCOMPARE(qApp->devicePixelRatio(), 2.0);
        const QSize size = QImageReader(arlo::ui::picturePath(name)).size();
        const QImage twin(
            arlo::ui::picturePath(QString(name).insert(name.lastIndexOf(u'.'), u"@2x")));
        QCOMPARE(twin.size(), size * 2);

        const QColor background(0x40, 0x90, 0x30);
        QWidget window;
        QPalette palette = window.palette();
        palette.setColor(QPalette::Window, background);
        palette.setColor(QPalette::Button, background);
        window.setPalette(palette);
        window.setAutoFillBackground(true);
        QSize margin;
        QWidget* control = showAsTheWindowsDo(name, &window, margin);
        control->setGeometry(QRect(QPoint(0, 0), size + margin));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        QImage expected((size + margin) * 2, QImage::Format_RGB32);
        expected.setDevicePixelRatio(2);
        expected.fill(background);
        QPainter(&expected).drawImage(QPoint(margin.width() / 2, margin.height() / 2), twin);
        QCOMPARE(control->grab().toImage().convertToFormat(QImage::Format_RGB32), expected);
    }
};

QTEST_MAIN(PictureDensityTest)
#include "picture_density_test.moc"
