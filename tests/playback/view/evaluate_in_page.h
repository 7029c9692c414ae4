#pragma once

#include <QDeadlineTimer>
#include <QString>
#include <QTest>
#include <QVariant>

#include "playback/view/page_view.h"

namespace arlo::pageview::test_support {

// Runs `script` in the view's page and waits up to ten seconds for its result (an invalid
// QVariant when none came).
inline QVariant evaluate(PageView& view, const QString& script) {
    bool done = false;
    QVariant result;
    view.runJavaScript(script, [&](const QVariant& value) {
        result = value;
        done = true;
    });
    const QDeadlineTimer deadline(10000);
    while (!done && !deadline.hasExpired()) {
        QTest::qWait(10);
    }
    return result;
}

}  // namespace arlo::pageview::test_support
