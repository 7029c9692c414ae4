#include "ui/widgets/outer_geometry.h"

#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace arlo::ui {

namespace {

// Corrects a window's size once the window system has told us how thick its frame is, so
// that the frame plus the client area make up the intended outer size.
class OuterSizeKeeper final : public QObject {
public:
    OuterSizeKeeper(QWidget* window, QSize outer, bool fixed)
        : QObject(window), window_(window), outer_(outer), fixed_(fixed) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_ && !adjusted_ &&
            (event->type() == QEvent::Show || event->type() == QEvent::Move ||
             event->type() == QEvent::Resize)) {
            const QMargins frame = window_->windowHandle() != nullptr
                                       ? window_->windowHandle()->frameMargins()
                                       : QMargins();
            if (!frame.isNull()) {
                adjusted_ = true;
                const QSize client(outer_.width() - frame.left() - frame.right(),
                                   outer_.height() - frame.top() - frame.bottom());
                QTimer::singleShot(0, window_, [window = window_, client, fixed = fixed_] {
                    if (fixed) {
                        window->setFixedSize(client);
                    } else {
                        window->resize(client);
                    }
                });
            }
        }
        return false;
    }

private:
    QWidget* window_;
    QSize outer_;
    bool fixed_;
    bool adjusted_ = false;
};

}  // namespace

void setOuterGeometry(QWidget* window, QPoint topLeft, QSize outerSize, bool fixed) {
    if (fixed) {
        window->setFixedSize(outerSize);
    } else {
        window->resize(outerSize);
    }
    window->move(topLeft);
    window->installEventFilter(new OuterSizeKeeper(window, outerSize, fixed));
}

}  // namespace arlo::ui
