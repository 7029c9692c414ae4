// The stand-in services as a process, for the demo: serves until it gets SIGINT or SIGTERM.
//
//   arlo-standin [--port N] [--ca-file PATH]
//
// Prints the port it listens on as the first line of standard output. With --ca-file it
// writes its certificate authority there (PEM), for ARLO_CA_FILE. Requests are logged to
// standard error, one line each.
//
// ARLO_STANDIN_RELEASE=<version> makes the update notice and the download listing offer that
// version; without it they offer 1.1, which every installation already has.
// ARLO_STANDIN_RELEASE_FILE=<path>: the file served at the download addresses (404 without it).
// ARLO_STANDIN_DOWNLOAD_FAULT=404|no-length|999|cut-short|html|stall: serve that fault instead.

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <mutex>
#include <string>

#include "standin/server.h"
#include "standin/services.h"

int main(int argc, char** argv) {
    int port = 0;
    std::string caFile;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--port" && i + 1 < argc) {
            port = std::atoi(argv[++i]);
        } else if (arg == "--ca-file" && i + 1 < argc) {
            caFile = argv[++i];
        } else {
            std::cerr << "usage: arlo-standin [--port N] [--ca-file PATH]\n";
            return 2;
        }
    }
    if (port < 0 || port > 65535) {
        std::cerr << "arlo-standin: port out of range\n";
        return 2;
    }

    // Signals are taken synchronously below; block them before any thread starts.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    arlo::standin::Server server;
    arlo::standin::addAllServices(server);
    if (const char* release = std::getenv("ARLO_STANDIN_RELEASE"); release && *release) {
        arlo::standin::setReleaseOffer(server, arlo::standin::releaseOfferFor(release));
    }
    if (const char* file = std::getenv("ARLO_STANDIN_RELEASE_FILE"); file && *file) {
        std::ifstream in(file, std::ios::binary);
        arlo::standin::ReleaseDownload download;
        download.executable.assign(std::istreambuf_iterator<char>(in),
                                   std::istreambuf_iterator<char>());
        if (!in.good() && !in.eof()) {
            std::cerr << "arlo-standin: cannot read " << file << "\n";
            return 1;
        }
        using arlo::standin::DownloadFault;
        const std::string fault = std::getenv("ARLO_STANDIN_DOWNLOAD_FAULT")
                                      ? std::getenv("ARLO_STANDIN_DOWNLOAD_FAULT")
                                      : "";
        const std::pair<const char*, DownloadFault> faults[] = {
            {"404", DownloadFault::NotFound},  {"no-length", DownloadFault::NoLength},
            {"999", DownloadFault::Size999},   {"cut-short", DownloadFault::CutShort},
            {"html", DownloadFault::HtmlPage}, {"stall", DownloadFault::Stall}};
        for (const auto& [name, kind] : faults) {
            if (fault == name) {
                download.fault = kind;
            }
        }
        arlo::standin::setReleaseDownload(server, std::move(download));
    }
    std::mutex logMutex;
    server.onRequest([&logMutex](const arlo::standin::Request& r) {
        std::lock_guard lock(logMutex);
        std::cerr << (r.tls ? "https " : "http  ") << r.method << ' ' << r.host() << ' ' << r.target
                  << std::endl;
    });
    arlo::standin::onGuestbookMessage(server,
                                      [&logMutex](const arlo::standin::GuestbookMessage& message) {
                                          std::lock_guard lock(logMutex);
                                          std::cerr << "guestbook message from " << message.nickname
                                                    << ": " << message.text << std::endl;
                                      });
    if (!server.start(static_cast<std::uint16_t>(port))) {
        std::cerr << "arlo-standin: cannot listen on 127.0.0.1:" << port << "\n";
        return 1;
    }
    if (!caFile.empty()) {
        std::ofstream out(caFile, std::ios::binary | std::ios::trunc);
        out << server.authorityPem();
        if (!out) {
            std::cerr << "arlo-standin: cannot write " << caFile << "\n";
            return 1;
        }
    }
    std::cout << server.port() << std::endl;

    int received = 0;
    sigwait(&stopSignals, &received);
    server.stop();
    return 0;
}
