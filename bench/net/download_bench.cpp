// A 256 MiB download from the stand-in on loopback: the request object's DownloadToFile
// against `curl -o` of the same address, three runs each, best time kept. Prints both
// throughputs, their ratio and how much the process's peak resident memory grew during
// DownloadToFile (the body must stream to disk, not collect in memory).
//
//   bench_download [directory for the files, default /tmp]

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "net/request.h"
#include "standin/standin_environment.h"

extern char** environ;

namespace {

constexpr std::int64_t kBytes = std::int64_t{256} << 20;
constexpr int kRuns = 3;

// A field of /proc/self/status in KiB.
long statusKiB(const std::string& field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.starts_with(field + ":")) {
            return std::stol(line.substr(field.size() + 1));
        }
    }
    return -1;
}

double seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

}  // namespace

int main(int argc, char** argv) {
    const std::string directory = argc > 1 ? argv[1] : "/tmp";
    arlo::standin::StandinEnvironment standin;
    if (!standin.ok()) {
        std::cerr << "stand-in did not start\n";
        return 1;
    }
    const std::string path = "/test/big-body?size=" + std::to_string(kBytes);
    const std::string hostUrl = "http://bench.arlo.invalid" + path;
    const std::string directUrl = standin.baseUrl() + path;
    const std::string target = directory + "/arlo-bench-download.bin";

    // Warm-up: loads libcurl and TLS libraries before memory is measured.
    {
        arlo::net::Request request;
        request.Open("GET", "http://bench.arlo.invalid/test/big-body?size=1000");
        request.Send();
        request.GetBody();
    }

    double ours = 1e9;
    long rssGrowthKiB = 0;
    for (int run = 0; run < kRuns; ++run) {
        // Resets the peak ("VmHWM") to the current resident size.
        std::ofstream("/proc/self/clear_refs") << "5";
        const long before = statusKiB("VmHWM");
        const auto start = std::chrono::steady_clock::now();
        arlo::net::Request request;
        std::string dir = directory;
        if (!request.Open("GET", hostUrl) || !request.Send() ||
            request.DownloadToFile(
                dir, "arlo-bench-download.bin",
                [](int, std::int64_t, std::int64_t, std::int64_t) {}, 123) != 1) {
            std::cerr << "DownloadToFile failed\n";
            return 1;
        }
        ours = std::min(ours, seconds(std::chrono::steady_clock::now() - start));
        rssGrowthKiB = std::max(rssGrowthKiB, statusKiB("VmHWM") - before);
        if (std::filesystem::file_size(target) != static_cast<std::uintmax_t>(kBytes)) {
            std::cerr << "short file\n";
            return 1;
        }
    }

    double curl = 1e9;
    for (int run = 0; run < kRuns; ++run) {
        std::string program = "curl";
        std::string silent = "-sS";
        std::string output = "-o";
        std::string file = target;
        std::string url = directUrl;
        char* args[] = {program.data(), silent.data(), output.data(),
                        file.data(),    url.data(),    nullptr};
        const auto start = std::chrono::steady_clock::now();
        pid_t pid = 0;
        int status = 0;
        if (posix_spawnp(&pid, "curl", nullptr, nullptr, args, environ) != 0 ||
            ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::cerr << "curl failed\n";
            return 1;
        }
        curl = std::min(curl, seconds(std::chrono::steady_clock::now() - start));
    }
    std::filesystem::remove(target);

    const double mib = static_cast<double>(kBytes) / (1 << 20);
    std::printf("DownloadToFile  %.0f MiB in %.3f s  %.0f MiB/s\n", mib, ours, mib / ours);
    std::printf("curl -o         %.0f MiB in %.3f s  %.0f MiB/s\n", mib, curl, mib / curl);
    std::printf("throughput ratio (DownloadToFile / curl -o): %.2f\n", curl / ours);
    std::printf("peak RSS growth during DownloadToFile: %.1f MiB\n", rssGrowthKiB / 1024.0);
    return 0;
}
