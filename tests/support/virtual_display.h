#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

// A virtual X display (Xvfb) of the test's own, for tests and benchmarks that look at what
// the page view paints: the offscreen platform paints nothing. Start it before the
// application object; it points Qt at the display and ends it on destruction.
namespace arlo::testing {

class VirtualDisplay final {
public:
    VirtualDisplay() = default;
    ~VirtualDisplay() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
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

    const std::string& name() const { return display_; }

private:
    pid_t pid_ = -1;
    std::string display_;
};

}  // namespace arlo::testing
