#include <QtTest>
#include <climits>

#include "ui/poster_layout.h"

using namespace arlo::ui::posters;

Q_DECLARE_METATYPE(arlo::ui::posters::Box)

namespace {

QString describe(const Box& b) {
    return QStringLiteral("(%1,%2 %3x%4)").arg(b.left).arg(b.top).arg(b.width).arg(b.height);
}

}  // namespace

class PosterLayoutTest final : public QObject {
    Q_OBJECT

private slots:
    void cellsGoRowByRowInTwoColumns_data() {
        QTest::addColumn<int>("k");
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("top");
        QTest::newRow("first") << 1 << 16 << 16;
        QTest::newRow("second, right column") << 2 << 196 << 16;
        QTest::newRow("third, next row") << 3 << 16 << 304;
        QTest::newRow("fourth") << 4 << 196 << 304;
        QTest::newRow("tenth") << 10 << 196 << 1168;
        QTest::newRow("seventeenth") << 17 << 16 << 2320;
        QTest::newRow("last") << 18 << 196 << 2320;
    }

    void cellsGoRowByRowInTwoColumns() {
        QFETCH(int, k);
        QFETCH(int, left);
        QFETCH(int, top);
        const Box cell = cellFrame(k);
        QVERIFY2(cell == (Box{left, top, 164, 272}), qPrintable(describe(cell)));
    }

    void cellsFollowWhereverTheFirstCellIs() {
        const Box moved = cellFrame(4, {8, 16, 100, 50});
        QVERIFY2(moved == (Box{124, 82, 100, 50}), qPrintable(describe(moved)));
    }

    void containerEndsOneGapBelowTheLastCell() {
        QCOMPARE(containerHeight(cellFrame(kCellCount)), 2608);
        QCOMPARE(scrollMaximum(2608, 461), 2147);
        // A viewport taller than the grid does not scroll at all.
        QCOMPARE(scrollMaximum(300, 461), 0);
    }

    void wheelMovesSixtyPerNotchWithinTheRange_data() {
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("notches");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("expected");
        QTest::newRow("away from the user: back towards the top") << 600 << 1 << 2147 << 540;
        QTest::newRow("towards the user: on down the list") << 600 << -1 << 2147 << 660;
        QTest::newRow("several notches at once") << 600 << 3 << 2147 << 420;
        QTest::newRow("stops at the top") << 30 << 1 << 2147 << 0;
        QTest::newRow("stops at the bottom") << 2120 << -1 << 2147 << 2147;
        QTest::newRow("huge burst away") << 100 << INT_MAX << 2147 << 0;
        QTest::newRow("huge burst towards") << 100 << INT_MIN << 2147 << 2147;
        QTest::newRow("nothing to scroll") << 0 << -2 << 0 << 0;
        QTest::newRow("broken maximum") << 50 << -1 << -10 << 0;
    }

    void wheelMovesSixtyPerNotchWithinTheRange() {
        QFETCH(int, position);
        QFETCH(int, notches);
        QFETCH(int, maximum);
        QFETCH(int, expected);
        QCOMPARE(wheelPosition(position, notches, maximum), expected);
    }

    void scrollAreaFillsTheOuterFrame() {
        const ScrollAreaLayout layout = scrollAreaLayout(391, 463, 24);
        QVERIFY2(layout.scrollBar == (Box{372, 0, 24, 463}),
                 qPrintable(describe(layout.scrollBar)));
        QVERIFY2(layout.viewport == (Box{1, 1, 367, 461}), qPrintable(describe(layout.viewport)));
        QVERIFY2(layout.container == (Box{1, 1, 365, 459}), qPrintable(describe(layout.container)));
    }

    void playButtonSitsInTheMiddleOfThePoster() {
        QVERIFY(playButtonBox(54, 54) == (Box{54, 88, 54, 54}));
        // Odd leftovers round down, as whole pixels do.
        QVERIFY(playButtonBox(55, 57) == (Box{53, 86, 55, 57}));
    }
};

QTEST_APPLESS_MAIN(PosterLayoutTest)
#include "poster_grid_layout_test.moc"
