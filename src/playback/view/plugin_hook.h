#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include "playback/view/page_view.h"

// Keeps right-clicks away from the player inside a page view: the Plugin hook sits on the
// widget through which the page receives mouse input, and the Hook timer installs it once
// the engine has created that widget.
namespace arlo::pageview {

// How many widgets the search examines: the view's own widget and ten nested first children.
inline constexpr int kInputWidgetSearchDepth = 11;
// Interval of an armed Hook timer, in milliseconds.
inline constexpr int kHookTimerInterval = 100;

// The first widget child of `widget` in creation order, or null.
QWidget* firstChildWidget(const QWidget* widget);

// Starting with `start` itself and following first children, the first of at most
// `kInputWidgetSearchDepth` widgets for which `view.receivesPageInput` holds; null if none.
QWidget* findPageInputWidget(QWidget* start, const PageView& view);

// An event filter that swallows right-button presses, releases and double clicks and the
// context menu request that would follow them, and passes everything else on unchanged.
class PluginHook final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PluginHook)

public:
    explicit PluginHook(QObject* parent = nullptr);
    ~PluginHook() override;

    // Hooks `target`, first unhooking a previous target.
    void install(QWidget* target);
    // Restores normal handling. No effect when nothing is hooked or the widget is gone.
    void remove();
    QWidget* target() const { return target_; }
    bool installed() const { return !target_.isNull(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> target_;
};

// Drives the Hook timer of a window that shows the Player page: armed after a navigation, each
// tick searches the view for the page's input widget and, once found, hooks it and stops.
class PlayerHooks final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PlayerHooks)

public:
    // `timer` is the window's Hook timer; it is stopped (interval 0) from here on until armed.
    PlayerHooks(PageView& view, QTimer& timer, QObject* parent = nullptr);

    // Interval 100 ms, running.
    void arm();
    void removePluginHook();

    // One tick: search, and if the input widget is there, hook it and stop the timer.
    void tick();

    const PluginHook& pluginHook() const { return hook_; }
    // The widget found by the last successful search and its first child, if any.
    QWidget* inputWidget() const { return inputWidget_; }
    QWidget* inputWidgetChild() const { return inputWidgetChild_; }

private:
    PageView& view_;
    QTimer& timer_;
    PluginHook hook_;
    QPointer<QWidget> inputWidget_;
    QPointer<QWidget> inputWidgetChild_;
};

}  // namespace arlo::pageview
