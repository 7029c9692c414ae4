#include <QContextMenuEvent>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <QWidget>

#include <unistd.h>

#include <memory>
#include <vector>

#include "playback/view/page_view.h"
#include "playback/view/plugin_hook.h"

using namespace arlo::pageview;

namespace {

// Records what reaches it, as the page behind the input widget would.
class RecordingWidget final : public QWidget {
public:
    using QWidget::QWidget;
    std::vector<QString> received;

protected:
    bool event(QEvent* e) override {
        switch (e->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick: {
                const auto* m = static_cast<QMouseEvent*>(e);
                received.push_back(QString::number(int(e->type())) + QLatin1Char('/') +
                                   QString::number(int(m->button())));
                break;
            }
            case QEvent::ContextMenu:
            case QEvent::Wheel:
            case QEvent::KeyPress:
                received.push_back(QString::number(int(e->type())));
                break;
            default:
                break;
        }
        return QWidget::event(e);
    }
};

// A view whose widget tree is a chain of first children; the page's input widget is the
// one at `inputDepth` (0 = the view's own widget), if any.
class ChainPageView final : public PageView {
public:
    explicit ChainPageView(int chainLength) : root_(std::make_unique<QWidget>()) {
        QWidget* parent = root_.get();
        chain_.push_back(parent);
        for (int i = 1; i < chainLength; ++i) {
            parent = new RecordingWidget(parent);
            chain_.push_back(parent);
        }
    }
    QWidget* at(int depth) const { return chain_.at(std::size_t(depth)); }
    void setInputWidget(const QWidget* widget) { input_ = widget; }

    QWidget* widget() override { return root_.get(); }
    void load(const QString&) override {}
    void setLoadFinishedHandler(std::function<void(bool)>) override {}
    void runJavaScript(const QString&, std::function<void(const QVariant&)>) override {}
    bool receivesPageInput(const QWidget* candidate) const override {
        return candidate != nullptr && candidate == input_;
    }
    bool hasEngine() const override { return true; }

private:
    std::unique_ptr<QWidget> root_;
    std::vector<QWidget*> chain_;
    const QWidget* input_ = nullptr;
};

void sendRightClick(QWidget* w) {
    QTest::mousePress(w, Qt::RightButton, {}, QPoint(5, 5));
    QTest::mouseRelease(w, Qt::RightButton, {}, QPoint(5, 5));
}

}  // namespace

class PluginHookTest : public QObject {
    Q_OBJECT

private slots:
    void searchExaminesTheViewAndTenNestedFirstChildrenOnly_data();
    void searchExaminesTheViewAndTenNestedFirstChildrenOnly();
    void hookSwallowsRightButtonAndContextMenuAndPassesTheRest();
    void hookMovesWithInstallAndSurvivesItsWidgetGoing();
    void timerKeepsFiringUntilTheInputWidgetAppearsThenStops();
    void viewWithoutItsEngineShowsANoticeAndNeverHooks();
};

void PluginHookTest::searchExaminesTheViewAndTenNestedFirstChildrenOnly_data() {
    QTest::addColumn<int>("inputDepth");
    QTest::addColumn<bool>("found");
    QTest::newRow("the view's own widget") << 0 << true;
    QTest::newRow("first child") << 1 << true;
    QTest::newRow("eleventh widget examined") << 10 << true;
    QTest::newRow("twelfth widget is too deep") << 11 << false;
}

void PluginHookTest::searchExaminesTheViewAndTenNestedFirstChildrenOnly() {
    QFETCH(int, inputDepth);
    QFETCH(bool, found);
    ChainPageView view(14);
    view.setInputWidget(view.at(inputDepth));
    QCOMPARE(findPageInputWidget(view.widget(), view), found ? view.at(inputDepth) : nullptr);

    // Only first children are followed: a later sibling is never examined.
    auto* sibling = new QWidget(view.at(1));
    view.setInputWidget(sibling);
    QCOMPARE(findPageInputWidget(view.widget(), view), nullptr);
    QCOMPARE(firstChildWidget(view.at(1)), view.at(2));
}

void PluginHookTest::hookSwallowsRightButtonAndContextMenuAndPassesTheRest() {
    RecordingWidget target;
    PluginHook hook;
    hook.install(&target);
    QVERIFY(hook.installed());

    sendRightClick(&target);
    QTest::mouseDClick(&target, Qt::RightButton, {}, QPoint(5, 5));
    QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(5, 5), QPoint(5, 5));
    QApplication::sendEvent(&target, &menu);
    QCOMPARE(target.received, std::vector<QString>{});

    QTest::mouseClick(&target, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseClick(&target, Qt::MiddleButton, {}, QPoint(5, 5));
    QWheelEvent wheel(QPointF(5, 5), QPointF(5, 5), {}, QPoint(0, 120), Qt::NoButton, {},
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(&target, &wheel);
    QTest::keyClick(&target, Qt::Key_Space);
    const std::vector<QString> passed = {QStringLiteral("2/1"), QStringLiteral("3/1"),
                                         QStringLiteral("2/4"), QStringLiteral("3/4"),
                                         QStringLiteral("31"),  QStringLiteral("6")};
    QCOMPARE(target.received, passed);

    // Removed: right clicks reach the widget again.
    hook.remove();
    QVERIFY(!hook.installed());
    target.received.clear();
    sendRightClick(&target);
    QCOMPARE(target.received.size(), std::size_t(2));
}

void PluginHookTest::hookMovesWithInstallAndSurvivesItsWidgetGoing() {
    RecordingWidget first;
    PluginHook hook;
    hook.install(&first);
    {
        RecordingWidget second;
        hook.install(&second);
        sendRightClick(&first);
        QCOMPARE(first.received.size(), std::size_t(2));  // no longer hooked
        sendRightClick(&second);
        QVERIFY(second.received.empty());
    }
    // The hooked widget is gone: removing has nothing to act on.
    QVERIFY(!hook.installed());
    hook.remove();
    {
        RecordingWidget third;
        auto hookInScope = std::make_unique<PluginHook>();
        hookInScope->install(&third);
        hookInScope.reset();  // a destroyed hook gives the widget back its normal handling
        sendRightClick(&third);
        QCOMPARE(third.received.size(), std::size_t(2));
    }
}

void PluginHookTest::timerKeepsFiringUntilTheInputWidgetAppearsThenStops() {
    ChainPageView view(4);
    QTimer timer;
    timer.setInterval(500);
    timer.start();
    PlayerHooks hooks(view, timer);
    QVERIFY2(!timer.isActive() && timer.interval() == 0, "the Hook timer starts stopped");

    hooks.arm();
    QCOMPARE(timer.interval(), kHookTimerInterval);
    QVERIFY(timer.isActive());
    QTest::qWait(350);  // a few ticks find nothing
    QVERIFY(timer.isActive());
    QCOMPARE(timer.interval(), kHookTimerInterval);
    QVERIFY(!hooks.pluginHook().installed());

    view.setInputWidget(view.at(2));
    QTRY_VERIFY_WITH_TIMEOUT(hooks.pluginHook().installed(), 2000);
    QCOMPARE(hooks.pluginHook().target(), view.at(2));
    QCOMPARE(hooks.inputWidget(), view.at(2));
    QCOMPARE(hooks.inputWidgetChild(), view.at(3));
    QVERIFY(!timer.isActive());
    QCOMPARE(timer.interval(), 0);

    auto* input = static_cast<RecordingWidget*>(view.at(2));
    sendRightClick(input);
    QVERIFY(input->received.empty());

    // A new navigation first gives the old widget back its handling, then re-arms.
    hooks.removePluginHook();
    sendRightClick(input);
    QCOMPARE(input->received.size(), std::size_t(2));
    hooks.arm();
    QTRY_VERIFY_WITH_TIMEOUT(hooks.pluginHook().installed(), 2000);
    QVERIFY(!timer.isActive());
}

void PluginHookTest::viewWithoutItsEngineShowsANoticeAndNeverHooks() {
    // Run a second time with the real engine, as root with the engine's sandbox on: the engine
    // would end the program, so the view is made without it.
    if (!qEnvironmentVariableIsSet("ARLO_PAGEVIEW_ENGINE") &&
        (::geteuid() != 0 || qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))) {
        QSKIP("the run without an engine library, or as root with the sandbox on, shows this");
    }
    QWidget window;
    std::unique_ptr<PageView> view = createPageView(&window);
    QVERIFY(!view->hasEngine());
    QVERIFY(!engineLoadError().isEmpty());
    QCOMPARE(view->widget()->parentWidget(), &window);
    auto* notice = qobject_cast<QLabel*>(view->widget());
    QVERIFY(notice != nullptr);
    QVERIFY(notice->text().contains(QStringLiteral("无法显示播放页面")));

    view->load(QStringLiteral("/nonexistent/page.htm"));
    QTimer timer;
    PlayerHooks hooks(*view, timer);
    hooks.arm();
    hooks.tick();
    QVERIFY(!hooks.pluginHook().installed());
    QVERIFY(timer.isActive());
}

QTEST_MAIN(PluginHookTest)
#include "plugin_hook_test.moc"
