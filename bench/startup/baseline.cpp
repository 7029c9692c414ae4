// The yardstick for start-up time: a program that shows one empty window and ends as soon
// as it has painted.
#include <QApplication>
#include <QPaintEvent>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <cstdio>

namespace {

class EmptyWindow final : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override {
        if (!painted_) {
            painted_ = true;
            QTimer::singleShot(0, qApp, [] {
                // As the program does: the moment of the paint, for the start-up timing.
                std::printf("painted %.6f\n",
                            std::chrono::duration<double>(
                                std::chrono::steady_clock::now().time_since_epoch())
                                .count());
                std::fflush(stdout);
                QCoreApplication::exit(0);
            });
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
