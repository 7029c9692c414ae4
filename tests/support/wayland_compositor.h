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
            ::rmdir(runtime_.c_str());  // weston removed its socket and lock file
        }
    }
    WaylandCompositor(const WaylandCompositor&) = delete;
    WaylandCompositor& operator=(const WaylandCompositor&) = delete;

    static bool installed() { return std::system("command -v weston >/dev/null 2>&1") == 0; }

    // False when weston could not be started or made no socket within ten seconds.
    bool start() {
        char folder[] = "/tmp/arlo-wayland-XXXXXX";  // private to the user
        if (::mkdtemp(folder) == nullptr) {
            return false;
        }
        runtime_ = folder;
        pid_ = ::fork();
        if (pid_ == 0) {
            // A test that crashes (what the Wayland cases look for) takes its compositor along.
            ::prctl(PR_SET_PDEATHSIG, SIGTERM);
            const int quiet = ::open("/dev/null", O_WRONLY);
            ::dup2(quiet, 1);
            ::dup2(quiet, 2);
            ::setenv("XDG_RUNTIME_DIR", folder, 1);
            ::execlp("weston", "weston", "--backend=headless-backend.so", "--use-pixman",
                     "--socket=arlo-test", "--idle-time=0", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        struct stat socket {};
        const std::string path = runtime_ + "/arlo-test";
        for (int i = 0; i < 100 && pid_ > 0 && ::stat(path.c_str(), &socket) != 0; ++i) {
            ::usleep(100000);
        }
        if (!S_ISSOCK(socket.st_mode)) {
            return false;
        }
        ::setenv("XDG_RUNTIME_DIR", folder, 1);
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
