#include <QBuffer>
#include <QHelpEvent>
#include <QLabel>
#include <QPushButton>
#include <QToolTip>
#include <QtTest>

#include "ui/skinned/draw_state.h"
#include "ui/skinned/png_control.h"

using namespace arlo::skinned;

namespace {

QImage solid(int w, int h, QColor colour) {
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

QByteArray png(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QWidget* filled(QWidget* parent, QColor colour, QRect geometry) {
    auto* w = new QWidget(parent);
    w->setGeometry(geometry);
    QPalette palette = w->palette();
    palette.setColor(QPalette::Window, colour);
    w->setPalette(palette);
    w->setAutoFillBackground(true);
    return w;
}

bool near(QRgb a, QRgb b, int tolerance = 3) {
    return std::abs(qRed(a) - qRed(b)) <= tolerance &&
           std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

QString describe(QRgb c) {
    return QStringLiteral("(%1,%2,%3)").arg(qRed(c)).arg(qGreen(c)).arg(qBlue(c));
}

int hooks(QWidget* w, const char* name) {
    return int(
        w->findChildren<QObject*>(QString::fromLatin1(name), Qt::FindDirectChildrenOnly).size());
}

int state(QWidget* w) {
    return w->property(kPropDrawState).toInt();
}

}  // namespace

class SkinnedWidgetTest final : public QObject {
    Q_OBJECT

private slots:
    void attach_hooksEachParentOnce() {
        QWidget window;
        auto* box = new QLabel(&window);
        auto* button = new QPushButton(&window);
        PngPictureBox picture;
        PngButton push;
        QVERIFY(picture.attachAsPictureBox(box));
        QVERIFY(push.attachAsButton(button));
        QVERIFY(picture.attachAsPictureBox(box));  // again: nothing new

        QCOMPARE(hooks(&window, kParentHookName), 1);
        QCOMPARE(window.property(kPropHooked).toInt(), 1);
        QCOMPARE(hooks(box, kControlHookName), 1);
        QCOMPARE(hooks(button, kControlHookName), 1);
        QCOMPARE(box->property(kPropType).toInt(), kTypePictureBox);
        QCOMPARE(button->property(kPropType).toInt(), kTypeButton);
        QCOMPARE(window.property(kPropType).toInt(), 0);

        // A control inside a skinned control does not hook that control as a parent.
        auto* inner = new QLabel(box);
        PngPictureBox nested;
        QVERIFY(nested.attachAsPictureBox(inner));
        QCOMPARE(hooks(box, kParentHookName), 0);

        // Copies refer to the same widget; a widget that is gone makes the object invalid.
        const PngPictureBox copy = picture;
        QCOMPARE(copy.widget(), box);
        delete box;
        QVERIFY(!picture.isValid());
        QCOMPARE(picture.windowProperty(kPropType), 0);
        PngPictureBox none;
        QVERIFY(!none.attachAsPictureBox(nullptr));
        QVERIFY(!none.isValid());
    }

    void toolTip_setTwiceRegistersOnceAndUpdates() {
        QWidget window;
        window.resize(200, 200);
        PngButton push;
        QWidget* button = push.create(&window, 10, 10, 80, 72, QStringLiteral("play"));
        QCOMPARE(button->property(kPropToolTip).toInt(), 0);
        push.setToolTip(QStringLiteral("点击播放"));
        QCOMPARE(button->property(kPropToolTip).toInt(), 1);
        push.setToolTip(QStringLiteral("再次点击"), 0);
        QCOMPARE(button->property(kPropToolTip).toInt(), 1);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), button->mapToGlobal(QPoint(5, 5)));
        QCoreApplication::sendEvent(button, &help);
        QCOMPARE(QToolTip::text(), QStringLiteral("再次点击"));
        QToolTip::hideText();
    }

    void move_keepsWhatIsNotGiven() {
        QWidget window;
        PngPictureBox picture;
        QWidget* box = picture.create(&window, 10, 20, 30, 40);
        picture.move(5, std::nullopt);
        QCOMPARE(box->geometry(), QRect(5, 20, 30, 40));
        picture.move(std::nullopt, std::nullopt, 162, 230, true);
        QCOMPARE(box->geometry(), QRect(5, 20, 162, 230));
        QVERIFY(box->updatesEnabled());
    }

    void pictureBox_drawsByPlacementOverWhatLiesBeneath() {
        QWidget window;
        window.resize(400, 300);
        QWidget* backdrop = filled(&window, Qt::blue, QRect(0, 0, 400, 300));
        // A sibling below the box covers its left half.
        filled(backdrop, Qt::green, QRect(20, 20, 81, 230));
        auto* label = new QLabel(QStringLiteral("text that must not show"), backdrop);
        label->setGeometry(20, 20, 162, 230);
        PngPictureBox picture;
        QVERIFY(picture.attachAsPictureBox(label));
        picture.setPlacementMode(1);
        picture.setBackImageFromBytes(png(solid(35, 34, QColor(255, 0, 0, 128))));
        QCOMPARE(label->property(kPropBackImage).value<QImage>().size(), QSize(35, 34));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        // Half-transparent red stretched over all 162 x 230, over green and blue beneath.
        const QImage shot = label->grab().toImage();
        const QRgb overGreen = qRgb(128, 127, 0), overBlue = qRgb(128, 0, 127);
        QVERIFY2(near(shot.pixel(0, 0), overGreen), qPrintable(describe(shot.pixel(0, 0))));
        QVERIFY(near(shot.pixel(80, 229), overGreen));
        QVERIFY2(near(shot.pixel(161, 229), overBlue), qPrintable(describe(shot.pixel(161, 229))));
        QVERIFY(near(shot.pixel(161, 0), overBlue));
        // The same on screen, where the window is drawn as a whole.
        const QImage screen = window.grab().toImage();
        QVERIFY2(near(screen.pixel(20 + 161, 20 + 229), overBlue),
                 qPrintable(describe(screen.pixel(181, 249))));
        QVERIFY(near(screen.pixel(20 + 162, 20 + 229), qRgb(0, 0, 255)));
        // Repainting does not lay the picture over its own earlier drawing.
        label->repaint();
        QVERIFY(near(label->grab().toImage().pixel(161, 0), overBlue));

        // Natural size at the top-left.
        picture.setPlacementMode(0);
        QImage natural = label->grab().toImage();
        QVERIFY(near(natural.pixel(34, 33), overGreen));
        QVERIFY(near(natural.pixel(35, 33), qRgb(0, 255, 0)));
        QVERIFY(near(natural.pixel(120, 100), qRgb(0, 0, 255)));
        // Fit: never enlarged, centred at ((162 - 35) / 2, (230 - 34) / 2) = (63, 98).
        picture.setPlacementMode(2);
        const QImage fit = label->grab().toImage();
        QVERIFY(near(fit.pixel(63, 98), overGreen));
        QVERIFY(near(fit.pixel(62, 98), qRgb(0, 255, 0)));
        QVERIFY(near(fit.pixel(97, 131), overBlue));
        QVERIFY(near(fit.pixel(98, 131), qRgb(0, 0, 255)));

        // Bytes that are no picture leave only what lies beneath.
        picture.setBackImageFromBytes(QByteArray("not a png"));
        QVERIFY(!label->property(kPropBackImage).isValid());
        QVERIFY(near(label->grab().toImage().pixel(5, 5), qRgb(0, 255, 0)));
    }

    void button_showsThePictureOfItsStateOrTheNormalOne() {
        QWidget window;
        window.resize(300, 200);
        filled(&window, Qt::white, QRect(0, 0, 300, 200));
        PngButton push;
        QWidget* button = push.create(&window, 50, 50, 80, 72, QString());
        push.setImages(solid(54, 54, Qt::red), std::nullopt, solid(54, 54, Qt::green));
        push.setPlacementMode(1);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto centre = [&] { return button->grab().toImage().pixel(40, 36); };
        QVERIFY(near(centre(), qRgb(255, 0, 0)));

        QTest::mouseMove(button, QPoint(40, 36));
        QTRY_COMPARE(state(button), kStateHover);
        QVERIFY2(near(centre(), qRgb(255, 0, 0)), qPrintable(describe(centre())));  // no hover

        QTest::mousePress(button, Qt::LeftButton, {}, QPoint(40, 36));
        QCOMPARE(state(button), kStatePressed);
        QVERIFY(near(centre(), qRgb(0, 255, 0)));
        QSignalSpy clicked(static_cast<QPushButton*>(button), &QPushButton::clicked);
        QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(40, 36));
        QCOMPARE(clicked.size(), 1);
        QCOMPARE(state(button), kStateHover);

        button->setEnabled(false);
        QCOMPARE(state(button), kStateDisabled);
        QVERIFY(near(centre(), qRgb(255, 0, 0)));  // no disabled picture either
        button->setEnabled(true);
        QCOMPARE(state(button), kStateNormal);
        push.setImages(std::nullopt, solid(54, 54, Qt::blue));
        QTest::mouseMove(button, QPoint(41, 36));
        QTRY_COMPARE(state(button), kStateHover);
        QVERIFY(near(centre(), qRgb(0, 0, 255)));
    }

    void button_pressDragOffAndReleaseOutsideEndsNormal() {
        QWidget window;
        window.resize(300, 200);
        PngButton push;
        QWidget* button = push.create(&window, 50, 50, 80, 72, QString());
        push.setImages(solid(54, 54, Qt::red));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSignalSpy clicked(static_cast<QPushButton*>(button), &QPushButton::clicked);

        // Through the window system, which routes the mouse, grabs it and sends the leave.
        QWindow* screen = window.windowHandle();
        QTest::mouseMove(screen, QPoint(90, 86));
        QTRY_COMPARE(state(button), kStateHover);
        QTest::mousePress(screen, Qt::LeftButton, {}, QPoint(90, 86));
        QCOMPARE(state(button), kStatePressed);
        QCOMPARE(button->property(kPropFocused).toInt(), 1);
        QTest::mouseMove(screen, QPoint(250, 180));
        QTest::mouseRelease(screen, Qt::LeftButton, {}, QPoint(250, 180));
        QTRY_COMPARE(state(button), kStateNormal);
        QCOMPARE(clicked.size(), 0);

        // Losing the focus while hovered shows normal; focus back while pressed shows hover.
        button->setProperty(kPropDrawState, kStateHover);
        button->clearFocus();
        QCOMPARE(button->property(kPropFocused).toInt(), 0);
        QCOMPARE(state(button), kStateNormal);
    }
};

QTEST_MAIN(SkinnedWidgetTest)
#include "skinned_widget_test.moc"
