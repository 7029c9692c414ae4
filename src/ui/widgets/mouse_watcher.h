#pragma once

#include <QObject>
#include <QPoint>

class QWidget;

namespace arlo::ui {

// Reports the mouse events of one widget. Mouse moves are tracked without a button held.
class MouseWatcher final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MouseWatcher)

public:
    // The watcher of `widget`, created on first use. With `consumeWheel` the widget itself
    // no longer reacts to wheel turns; the handler decides.
    static MouseWatcher* of(QWidget* widget, bool consumeWheel = false);

signals:
    // Positions are relative to the watched widget, and in screen coordinates.
    void moved(QPoint pos, QPoint globalPos);
    void leftPressed(QPoint pos);
    void leftReleased(QPoint pos);
    // Signed distance in wheel notches, positive away from the user.
    void wheelTurned(int notches);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    MouseWatcher(QWidget* widget, bool consumeWheel);
    bool consumeWheel_;
    int wheelRemainder_ = 0;
};

}  // namespace arlo::ui
