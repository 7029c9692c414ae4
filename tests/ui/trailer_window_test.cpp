#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "catalogue/catalogue.h"
#include "playback/player_page.h"
#include "playback/view/page_view.h"
#include "ui/trailer_window.h"

using arlo::ui::TrailerWindow;

class TrailerWindowTest : public QObject {
    Q_OBJECT

private slots:
    void trailerReplacesThePlayerPageAndPlaysInAModalWindow();
    void escapeClosesTheWindowAndUnblocksTheOthers();
};

void TrailerWindowTest::trailerReplacesThePlayerPageAndPlaysInAModalWindow() {
    const auto& catalogue = arlo::catalogue::Catalogue::builtIn();
    QTemporaryDir dir;
    const std::string page = arlo::playback::playerPagePath(dir.path().toStdString());
    // An episode's page is there already; the trailer takes its place.
    arlo::playback::writePlayerPage(page, arlo::playback::PageTemplate::LeTV, "1234");

    QWidget owner;
    owner.show();
    QPointer<TrailerWindow> window = TrailerWindow::open(page, &owner);
    QVERIFY(window);
    QVERIFY(window->isVisible());
    QCOMPARE(window->windowModality(), Qt::ApplicationModal);
    QCOMPARE(window->windowTitle(), QString::fromStdString(catalogue.trailerTitle()));
    QVERIFY(!catalogue.trailerTitle().empty());
    // No right-click hook and no Hook timer in this window.
    QCOMPARE(window->findChild<QTimer*>(QStringLiteral("时钟1")), nullptr);

    QFile file(QString::fromStdString(page));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll().toStdString(),
             arlo::playback::buildPlayerPage(arlo::playback::PageTemplate::SohuId,
                                             catalogue.trailerPlayId()));

    if (!window->pageView().hasEngine()) {
        QSKIP(qPrintable(QStringLiteral("no page view engine, the page cannot load: ") +
                         arlo::pageview::engineLoadError()));
    }
    {
        // The page loads as soon as the window is made.
        QString src;
        const QDeadlineTimer deadline(30000);
        while (!src.contains(QStringLiteral("?id=")) && !deadline.hasExpired()) {
            window->pageView().runJavaScript(
                // The Flash emulator stands its own element in for the page's embed.
                QStringLiteral("(e => e ? e.getAttribute('src') : '')("
                               "document.querySelector('ruffle-embed, embed'))"),
                [&](const QVariant& value) { src = value.toString(); });
            QTest::qWait(100);
        }
        QVERIFY2(src.contains(QStringLiteral("/sohu_20140917.swf?id=") +
                              QString::fromStdString(catalogue.trailerPlayId()) +
                              QStringLiteral("&topBar=0")),
                 qPrintable(src));
    }

    // Closing ends the window.
    window->close();
    QTRY_VERIFY(window.isNull());
}

void TrailerWindowTest::escapeClosesTheWindowAndUnblocksTheOthers() {
    QTemporaryDir dir;
    QWidget owner;
    owner.show();
    QPointer<TrailerWindow> window =
        TrailerWindow::open(arlo::playback::playerPagePath(dir.path().toStdString()), &owner);
    QVERIFY(QTest::qWaitForWindowActive(window));
    // The key goes where the user's key goes: to the control with the focus, the page view.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QTRY_VERIFY(window.isNull());
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
}

QTEST_MAIN(TrailerWindowTest)
#include "trailer_window_test.moc"
