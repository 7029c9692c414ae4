#include "ui/post_result.h"

#include <QCoreApplication>
#include <QTest>
#include <QThread>
#include <future>
#include <memory>

using arlo::base::SerialWorker;
using arlo::base::StopSignal;

class PostResultTest : public QObject {
    Q_OBJECT

private slots:
    // A result reaches its receiver on the receiver's thread while it lives; one whose
    // receiver went while the job ran, or before the queued call was delivered, is dropped.
    void aResultReachesItsReceiverOnlyWhileItLives() {
        const struct {
            const char* name;
            bool goneWhileRunning;
            bool goneBeforeDelivery;
            bool delivered;
        } rows[] = {
            {"alive", false, false, true},
            {"gone while the job runs", true, false, false},
            {"gone before the call is delivered", false, true, false},
        };
        for (const auto& row : rows) {
            SerialWorker worker("arlo-test");
            auto receiver = std::make_unique<QObject>();
            std::promise<void> letGo;
            std::shared_future<void> gate = letGo.get_future().share();
            int delivered = 0;
            bool onItsThread = false;
            arlo::ui::runThenPost(
                worker, *receiver,
                [gate](const StopSignal&) {
                    gate.wait();
                    return 7;
                },
                [&](int made) {
                    delivered += made;
                    onItsThread = QThread::currentThread() == qApp->thread();
                });
            if (row.goneWhileRunning) {
                receiver.reset();
            }
            letGo.set_value();
            worker.waitIdle();
            if (row.goneBeforeDelivery) {
                receiver.reset();
            }
            QCoreApplication::processEvents();
            QVERIFY2(delivered == (row.delivered ? 7 : 0), row.name);
            QVERIFY2(onItsThread == row.delivered, row.name);
        }
    }
};

QTEST_MAIN(PostResultTest)
#include "post_result_test.moc"
