#include "ui/widgets/mouse_watcher.h"

#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>

namespace arlo::ui {

namespace {

constexpr int kWheelNotch = 120;

}  // namespace

MouseWatcher::MouseWatcher(QWidget* widget, bool consumeWheel)
    : QObject(widget), consumeWheel_(consumeWheel) {
    setObjectName(QStringLiteral("mouseWatcher"));
    widget->setMouseTracking(true);
    widget->installEventFilter(this);
}

MouseWatcher* MouseWatcher::of(QWidget* widget, bool consumeWheel) {
    auto* watcher = widget->findChild<MouseWatcher*>(QStringLiteral("mouseWatcher"),
                                                     Qt::FindDirectChildrenOnly);
    if (watcher == nullptr) {
        watcher = new MouseWatcher(widget, consumeWheel);
    }
    watcher->consumeWheel_ = watcher->consumeWheel_ || consumeWheel;
    return watcher;
}

bool MouseWatcher::eventFilter(QObject* watched, QEvent* event) {
    if (watched != parent()) {
        return false;
    }
    switch (event->type()) {
        case QEvent::MouseMove: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            emit moved(mouse->position().toPoint(), mouse->globalPosition().toPoint());
            break;
        }
        case QEvent::MouseButtonPress: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton) {
                emit leftPressed(mouse->position().toPoint());
            }
            break;
        }
        case QEvent::MouseButtonRelease: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton) {
                emit leftReleased(mouse->position().toPoint());
            }
            break;
        }
        case QEvent::Wheel: {
            // Touchpads send fractions of a notch; they add up to whole notches.
            wheelRemainder_ += static_cast<QWheelEvent*>(event)->angleDelta().y();
            const int notches = wheelRemainder_ / kWheelNotch;
            wheelRemainder_ -= notches * kWheelNotch;
            if (notches != 0) {
                emit wheelTurned(notches);
            }
            return consumeWheel_;
        }
        default:
            break;
    }
    return false;
}

}  // namespace arlo::ui
