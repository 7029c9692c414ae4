#include <QApplication>
#include <QFile>
#include <QMenuBar>
#include <QStyleFactory>
#include <QTest>
#include <memory>

#include "image_format_plugins.h"
#include "ui/program_style.h"

using namespace arlo::ui;

class ProgramStyleTest : public QObject {
    Q_OBJECT

private slots:
    // A menu bar built under the program's style reads no picture, so no image format plugin
    // is loaded; its overflow button's icon is still the platform style's, made when asked for.
    // Under the platform style itself, building one loads them.
    void menuBarsAreBuiltWithoutReadingPictures() {
        QVERIFY2(arlo::testing::imageFormatPluginsLoaded() == 0,
                 "the test must start with no plugin loaded");
        const QString platform = QApplication::style()->name();
        useProgramStyle();
        QVERIFY(qobject_cast<ProgramStyle*>(QApplication::style()) != nullptr);
        QCOMPARE(drawingStyle(*QApplication::style()).name(), platform);

        QMenuBar bar;
        bar.addMenu(QStringLiteral("文件"));
        const QIcon ours = QApplication::style()->standardIcon(
            QStyle::SP_ToolBarHorizontalExtensionButton, nullptr, &bar);
        QCOMPARE(arlo::testing::imageFormatPluginsLoaded(), 0);

        std::unique_ptr<QStyle> own(QStyleFactory::create(platform));
        const QIcon theirs =
            own->standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton, nullptr, &bar);
        QVERIFY(!ours.isNull());
        for (const QSize size : {QSize(8, 8), QSize(16, 16), QSize(32, 32)}) {
            QCOMPARE(ours.actualSize(size), theirs.actualSize(size));
            QCOMPARE(ours.pixmap(size).toImage(), theirs.pixmap(size).toImage());
        }
        QVERIFY(arlo::testing::imageFormatPluginsLoaded() > 0);
    }
};

QTEST_MAIN(ProgramStyleTest)
#include "program_style_test.moc"
