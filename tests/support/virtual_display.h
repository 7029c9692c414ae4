#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

// A virtual X display (Xvfb) of the test's own, for tests and benchmarks that look at what
// the page view paints: the offscreen platform paints nothing. Start it before the
// application object; it points Qt at the display and ends it on destruction.
namespace arlo::testing {

class VirtualDisplay final {
public:
    VirtualDisplay() = default;
    ~VirtualDisplay() {
        for (const pid_t pid : {windowManager_, pid_}) {
            if (pid > 0) {
                ::kill(pid, SIGTERM);
                ::waitpid(pid, nullptr, 0);
            }
        }
    }
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    // False when Xvfb could not be started or named no display within ten seconds.
    bool start() {
        int fds[2];
        if (::pipe(fds) != 0) {
            return false;
        }
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(fds[0]);
            const int quiet = ::open("/dev/null", O_WRONLY);
            ::dup2(quiet, 1);
            ::dup2(quiet, 2);
            const std::string fd = std::to_string(fds[1]);
            // -displayfd: Xvfb picks a free display and writes its number there.
            ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24",
                     "-nolisten", "tcp", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(fds[1]);
        if (pid_ < 0) {
            ::close(fds[0]);
            return false;
        }
        std::string number;
        pollfd wait{fds[0], POLLIN, 0};
        char c = 0;
        while (::poll(&wait, 1, 10000) > 0 && ::read(fds[0], &c, 1) == 1 && c != '\n') {
            number += c;
        }
        ::close(fds[0]);
        if (number.empty()) {
            return false;
        }
        display_ = ":" + number;
        ::setenv("DISPLAY", display_.c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
        return true;
    }

    // Starts openbox (which must be installed) on the display and waits up to ten seconds
    // until it has taken the display over; false if it has not.
    bool startWindowManager() {
        windowManager_ = ::fork();
        if (windowManager_ == 0) {
            const int quiet = ::open("/dev/null", O_WRONLY);
            ::dup2(quiet, 1);
            ::dup2(quiet, 2);
            ::close_range(3, ~0U, 0);  // none of the test's connections and pipes
            ::execlp("openbox", "openbox", "--sm-disable", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        const std::string ask = "xprop -display " + display_ + " -root _NET_SUPPORTING_WM_CHECK";
        for (int i = 0; i < 100 && windowManager_ > 0; ++i, ::usleep(100000)) {
            FILE* answer = ::popen(ask.c_str(), "r");
            char line[200] = {};
            const bool up = answer != nullptr && std::fgets(line, sizeof line, answer) != nullptr &&
                            std::strstr(line, "window id") != nullptr;
            if (answer != nullptr) {
                ::pclose(answer);
            }
            if (up) {
                return true;
            }
        }
        return false;
    }

    // Ends the window manager that startWindowManager started, if any.
    void stopWindowManager() {
        if (windowManager_ > 0) {
            ::kill(windowManager_, SIGTERM);
            ::waitpid(windowManager_, nullptr, 0);
            windowManager_ = -1;
        }
    }

    const std::string& name() const { return display_; }

private:
    pid_t windowManager_ = -1;
    pid_t pid_ = -1;
    std::string display_;
};

}  // namespace arlo::testing
