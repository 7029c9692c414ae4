#pragma once

#include <QCoreApplication>
#include <QTimer>
#include <chrono>
#include <cstdio>

// What the yardsticks do at their first paint, as the program does with ARLO_EXIT_WHEN_SHOWN:
// once the paint has been flushed, print its moment on the monotonic clock for the start-up
// timing (interleave.py), then end the event loop.
inline void sayPaintedAndQuit() {
    QTimer::singleShot(0, qApp, [] {
        std::printf("painted %.6f\n", std::chrono::duration<double>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
        std::fflush(stdout);
        QCoreApplication::exit(0);
    });
}
