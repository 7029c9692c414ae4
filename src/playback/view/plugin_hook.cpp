#include "playback/view/plugin_hook.h"

#include <QContextMenuEvent>
#include <QMouseEvent>

namespace arlo::pageview {

QWidget* firstChildWidget(const QWidget* widget) {
    if (widget == nullptr) {
        return nullptr;
    }
    for (QObject* child : widget->children()) {
        if (child->isWidgetType()) {
            return static_cast<QWidget*>(child);
        }
    }
    return nullptr;
}

QWidget* findPageInputWidget(QWidget* start, const PageView& view) {
    QWidget* widget = start;
    for (int examined = 0; widget != nullptr && examined < kInputWidgetSearchDepth; ++examined) {
        if (view.receivesPageInput(widget)) {
            return widget;
        }
        widget = firstChildWidget(widget);
    }
    return nullptr;
}

PluginHook::PluginHook(QObject* parent) : QObject(parent) {}

PluginHook::~PluginHook() {
    remove();
}

void PluginHook::install(QWidget* target) {
    remove();
    if (target == nullptr) {
        return;
    }
    target_ = target;
    target->installEventFilter(this);
}

void PluginHook::remove() {
    if (target_) {
        target_->removeEventFilter(this);
    }
    target_.clear();
}

bool PluginHook::eventFilter(QObject* watched, QEvent* event) {
    if (watched != target_) {
        return false;
    }
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            return static_cast<QMouseEvent*>(event)->button() == Qt::RightButton;
        case QEvent::ContextMenu:
            return true;
        default:
            return false;
    }
}

PlayerHooks::PlayerHooks(PageView& view, QTimer& timer, QObject* parent)
    : QObject(parent), view_(view), timer_(timer) {
    timer_.stop();
    timer_.setInterval(0);
    connect(&timer_, &QTimer::timeout, this, &PlayerHooks::tick);
}

void PlayerHooks::arm() {
    timer_.setInterval(kHookTimerInterval);
    timer_.start();
}

void PlayerHooks::removePluginHook() {
    hook_.remove();
}

void PlayerHooks::tick() {
    QWidget* found = findPageInputWidget(view_.widget(), view_);
    inputWidget_ = found;
    inputWidgetChild_ = firstChildWidget(found);
    if (found == nullptr) {
        return;  // the engine has not made it yet: try again on the next tick
    }
    hook_.install(found);
    timer_.stop();
    timer_.setInterval(0);
}

}  // namespace arlo::pageview
