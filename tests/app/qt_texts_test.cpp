#include <QApplication>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "app/qt_texts.h"

class QtTextsTest : public QObject {
    Q_OBJECT

private slots:
    // For an English-speaking user too; a folder without them changes nothing.
    void initTestCase() {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        const QTemporaryDir empty;
        QVERIFY(!arlo::app::useChineseQtTexts(empty.path()));
        QVERIFY2(arlo::app::useChineseQtTexts(), "install qt6-translations-l10n");
    }

    void messageBoxButtonsReadInChinese_data() {
        QTest::addColumn<QMessageBox::StandardButton>("button");
        QTest::addColumn<QString>("text");
        QTest::newRow("OK") << QMessageBox::Ok << QStringLiteral("确定");
        QTest::newRow("Cancel") << QMessageBox::Cancel << QStringLiteral("取消");
        // With the toolkit's keyboard mnemonics, Alt+Y and Alt+N.
        QTest::newRow("Yes") << QMessageBox::Yes << QStringLiteral("是(&Y)");
        QTest::newRow("No") << QMessageBox::No << QStringLiteral("否(&N)");
    }
    void messageBoxButtonsReadInChinese() {
        QFETCH(QMessageBox::StandardButton, button);
        QFETCH(QString, text);
        QMessageBox box(QMessageBox::Information, QStringLiteral("提示："), {}, button);
        QCOMPARE(box.button(button)->text(), text);
    }
};

QTEST_MAIN(QtTextsTest)
#include "qt_texts_test.moc"
