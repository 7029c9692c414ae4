#include <QApplication>
#include <QFile>
#include <QTest>
#include <QWidget>

#include "app/desktop_identity.h"

using namespace arlo::app;

class DesktopIdentityTest : public QObject {
    Q_OBJECT

private slots:
    // The name the program gives the desktop is the installed entry's, and that entry shows
    // the icon installed under the same name.
    void theDesktopFileNameIsTheInstalledEntrysAndItsIcon() {
        QFile entry(QStringLiteral(ARLO_PACKAGING_DIR "/") + desktopFileName() +
                    QStringLiteral(".desktop"));
        QVERIFY2(entry.open(QIODevice::ReadOnly), qPrintable(entry.fileName()));
        const QList<QByteArray> lines = entry.readAll().split('\n');
        QVERIFY(lines.contains("Icon=" + desktopFileName().toUtf8()));
        QVERIFY(lines.contains("Exec=" + QStringLiteral("Arlo迷").toUtf8()));
    }

    // Every drawn size is there, sharp: a task bar asking for 16 or 256 pixels gets a picture
    // drawn at that size, not a scaled one.
    void theIconCarriesEveryDrawnSize() {
        const QIcon icon = applicationIcon();
        QVERIFY(!icon.isNull());
        for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
            QVERIFY2(icon.availableSizes().contains(QSize(size, size)),
                     qPrintable(QString::number(size)));
            const QImage picture = icon.pixmap(QSize(size, size)).toImage();
            QCOMPARE(picture.size(), QSize(size, size));
            // Opaque at the centre (the tile), clear in the corner (the rounded edge).
            QCOMPARE(picture.pixelColor(size / 2, size / 2).alpha(), 255);
            QCOMPARE(picture.pixelColor(0, 0).alpha(), 0);
        }
    }

    void everyWindowCarriesTheIconOnceSet() {
        setDesktopIdentity();
        setApplicationIcon();
        QCOMPARE(QGuiApplication::desktopFileName(), desktopFileName());
        QWidget window;
        QVERIFY(window.windowIcon().availableSizes().contains(QSize(256, 256)));
    }
};

QTEST_MAIN(DesktopIdentityTest)
#include "desktop_identity_test.moc"
