// The yardstick for start-up time: a program that shows one empty window and ends as soon
// as it has painted.
#include <QApplication>
#include <QPaintEvent>
#include <QTimer>
#include <QWidget>

#include "say_painted.h"

namespace {

class EmptyWindow final : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override {
        if (!painted_) {
            painted_ = true;
            sayPaintedAndQuit();
        }
    }

private:
    bool painted_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    EmptyWindow window;
    window.resize(397, 610);
    window.move(50, 50);
    window.show();
    return QApplication::exec();
}
