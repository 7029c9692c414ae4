#pragma once

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

// A headless Wayland compositor (weston) of the test's own, in a runtime folder of its own.
// Start it before the application object; it points Qt at the compositor and ends it on
// destruction. Weston's headless backend announces no seat: no keyboard, no pointer.
namespace arlo::testing {

class WaylandCompositor final {
public:
    WaylandCompositor() = default;
    ~WaylandCompositor() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
        if (!runtime_.empty()) {
            // Weston removes its socket and lock file as it ends; its log stays for a look.
            ::unlink((runtime_ + "/weston.log").c_str());
            ::rmdir(runtime_.c_str());
        }
    }
    WaylandCompositor(const WaylandCompositor&) = delete;
    WaylandCompositor& operator=(const WaylandCompositor&) = delete;

    // Whether weston is on the PATH.
    static bool installed() { return std::system("command -v weston >/dev/null 2>&1") == 0; }

    // False when weston could not be started or made no socket within ten seconds.
    bool start() {
        char folder[] = "/tmp/arlo-wayland-XXXXXX";  // mkdtemp makes it private to the user
        if (::mkdtemp(folder) == nullptr) {
            return false;
        }
        runtime_ = folder;
        pid_ = ::fork();
        if (pid_ == 0) {
            // A test that crashes (what the Wayland cases look for) takes its compositor along.
            ::prctl(PR_SET_PDEATHSIG, SIGTERM);
            const int log = ::open((runtime_ + "/weston.log").c_str(), O_WRONLY | O_CREAT, 0600);
            ::dup2(log, 1);
            ::dup2(log, 2);
            ::setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
            ::execlp("weston", "weston", "--backend=headless-backend.so", "--use-pixman",
                     "--socket=arlo-test", "--width=1280", "--height=1024", "--idle-time=0",
                     static_cast<char*>(nullptr));
            ::_exit(127);
        }
        if (pid_ < 0) {
            return false;
        }
        const std::string socket = runtime_ + "/arlo-test";
        struct stat found {};
        for (int i = 0; i < 100 && ::stat(socket.c_str(), &found) != 0; ++i) {
            ::usleep(100000);
        }
        if (!S_ISSOCK(found.st_mode)) {
            return false;
        }
        ::setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
        ::setenv("WAYLAND_DISPLAY", "arlo-test", 1);
        ::setenv("QT_QPA_PLATFORM", "wayland", 1);
        ::unsetenv("DISPLAY");  // nothing of the test may fall back to an X server
        return true;
    }

private:
    pid_t pid_ = -1;
    std::string runtime_;
};

}  // namespace arlo::testing
