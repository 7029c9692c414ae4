#include <QApplication>
#include <QMessageBox>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <atomic>
#include <thread>

#include "ui/notices.h"
#include "ui/widgets/controls.h"

using namespace arlo::ui;

namespace {

// Answers the next message box with `button`, recording what it showed.
struct BoxAnswer {
    QString caption;
    QString text;
    Qt::TextFormat format = Qt::AutoText;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    bool modal = false;
    bool ownerless = false;
    bool onUiThread = false;
};

void answerNextBox(BoxAnswer& seen, QMessageBox::StandardButton button) {
    auto* poll = new QTimer(qApp);
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, qApp, [&seen, button, poll] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            return;
        }
        poll->stop();
        poll->deleteLater();
        seen.caption = box->windowTitle();
        seen.text = box->text();
        seen.format = box->textFormat();
        seen.icon = box->icon();
        seen.buttons = box->standardButtons();
        seen.modal = box->windowModality() == Qt::ApplicationModal;
        seen.ownerless = box->parentWidget() == nullptr;
        seen.onUiThread = box->thread() == qApp->thread();
        box->button(button)->click();
    });
    poll->start();
}

}  // namespace

class ControlsTest : public QObject {
    Q_OBJECT

private slots:
    void pictureBoxPlacesItsPicture_data() {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("box");
        QTest::addColumn<QRect>("expected");
        QTest::newRow("same size") << QSize(15, 15) << QSize(15, 15) << QRect(0, 0, 15, 15);
        QTest::newRow("wider: narrowed, centred")
            << QSize(290, 91) << QSize(220, 90) << QRect(0, 10, 220, 69);
        QTest::newRow("taller: middle rows")
            << QSize(391, 391) << QSize(391, 315) << QRect(0, -38, 391, 391);
        QTest::newRow("smaller: centred")
            << QSize(120, 246) << QSize(120, 248) << QRect(0, 1, 120, 246);
        QTest::newRow("empty box") << QSize(40, 20) << QSize(0, 0) << QRect(0, 0, 0, 0);
    }

    void pictureBoxPlacesItsPicture() {
        QFETCH(QSize, picture);
        QFETCH(QSize, box);
        QFETCH(QRect, expected);
        QCOMPARE(pictureRect(picture, box), expected);
    }

    void scrollBarWheel_reportsWholeNotchesAndLeavesThePositionToTheHandler() {
        QWidget window;
        QScrollBar* bar = makeScrollBar(&window, QStringLiteral("多功能条1"), {0, 0, 24, 100});
        bar->setRange(0, 1000);
        bar->setValue(500);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSignalSpy notches(MouseWatcher::of(bar), &MouseWatcher::wheelTurned);
        auto turn = [&](int delta) {
            QWheelEvent wheel(QPointF(5, 5), bar->mapToGlobal(QPointF(5, 5)), {}, {0, delta},
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(bar, &wheel);
        };
        turn(-240);
        turn(60);  // half a notch from a touchpad: nothing yet
        turn(60);
        QCOMPARE(notches.count(), 2);
        QCOMPARE(notches.at(0).at(0).toInt(), -2);
        QCOMPARE(notches.at(1).at(0).toInt(), 1);
        QCOMPARE(bar->value(), 500);
    }

    void notices_fromAWorkerThread_showOwnerlessModalBoxesOnTheUiThread() {
        MessageBoxNotices notices;
        BoxAnswer seen;
        answerNextBox(seen, QMessageBox::Ok);
        std::atomic<bool> done = false;
        std::thread worker([&] {
            notices.warn(kCaptionError, QStringLiteral("下载失败"));
            done = true;
        });
        QTRY_VERIFY(done.load());
        worker.join();
        QCOMPARE(seen.caption, kCaptionError);
        QCOMPARE(seen.text, QStringLiteral("下载失败"));
        QCOMPARE(seen.format, Qt::PlainText);
        QCOMPARE(seen.icon, QMessageBox::Warning);
        QVERIFY(seen.modal);
        QVERIFY(seen.ownerless);
        QVERIFY(seen.onUiThread);

        std::atomic<int> answer = -1;
        answerNextBox(seen, QMessageBox::No);
        std::thread asker([&] {
            answer =
                notices.ask(kCaptionUpdate, QStringLiteral("发现新版本"), Notices::Question::YesNo)
                    ? 1
                    : 0;
        });
        QTRY_VERIFY(answer.load() != -1);
        asker.join();
        QCOMPARE(answer.load(), 0);
        QCOMPARE(seen.caption, kCaptionUpdate);
    }

    void notices_onTheUiThread_informWithTheInformationIcon() {
        MessageBoxNotices notices;
        BoxAnswer seen;
        answerNextBox(seen, QMessageBox::Ok);
        notices.inform(kCaptionNotice, QStringLiteral("留言成功"));
        QCOMPARE(seen.icon, QMessageBox::Information);
        QCOMPARE(seen.caption, QStringLiteral("提示："));

        answerNextBox(seen, QMessageBox::Ok);
        QVERIFY(
            notices.ask(kCaptionFriendly, QStringLiteral("继续？"), Notices::Question::OkCancel));
    }

    void notices_questionsCarryTheirButtonsAndIcons() {
        MessageBoxNotices notices;
        BoxAnswer seen;
        answerNextBox(seen, QMessageBox::Cancel);
        QVERIFY(!notices.ask(kCaptionUpdate, QStringLiteral("获取到新版本，是否更新？"),
                             Notices::Question::OkCancel));
        QCOMPARE(seen.buttons, QMessageBox::Ok | QMessageBox::Cancel);
        QCOMPARE(seen.icon, QMessageBox::Information);

        answerNextBox(seen, QMessageBox::Yes);
        QVERIFY(notices.ask(kCaptionFriendly, QStringLiteral("是否退出更新？"),
                            Notices::Question::YesNo));
        QCOMPARE(seen.buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(seen.icon, QMessageBox::Question);
    }

    void recordingNotices_answerInQueueThenByDefault() {
        RecordingNotices notices;
        notices.queueAnswer(false);
        notices.setDefaultAnswer(true);
        QVERIFY(!notices.ask(kCaptionUpdate, QStringLiteral("a"), Notices::Question::YesNo));
        QVERIFY(notices.ask(kCaptionUpdate, QStringLiteral("b"), Notices::Question::YesNo));
        notices.inform(kCaptionNotice, QStringLiteral("c"));
        const auto entries = notices.entries();
        QCOMPARE(entries.size(), std::size_t{3});
        QCOMPARE(entries[2].kind, RecordingNotices::Kind::Inform);
        QCOMPARE(entries[1].text, QStringLiteral("b"));
    }
};

QTEST_MAIN(ControlsTest)
#include "controls_test.moc"
