// The "new executable" of the self-update tests: when started it leaves started.marker next
// to itself, so a test can tell that the replacement ran and whether it leads a session of its
// own. With ARLO_TEST_PAYLOAD_CRASHES set it dies at once instead, as a damaged file would.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

int main() {
    if (std::getenv("ARLO_TEST_PAYLOAD_CRASHES") != nullptr) {
        std::abort();
    }
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return 1;
    }
    std::ofstream(self.parent_path() / "started.marker")
        << "new " << ::getpid() << (::getsid(0) == ::getpid() ? " own session\n" : "\n");
    return 0;
}
