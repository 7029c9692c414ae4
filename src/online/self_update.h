#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "net/request.h"
#include "online/version_check.h"

// The self-update: how big the new executable is, its download next to the running one with
// progress texts, the checks it must pass, and the replacement of the running executable.
// Every step blocks; the Update window runs them off its thread.
namespace arlo::online {

// The downloaded file's name in the run directory.
inline constexpr std::string_view kDownloadFileName = "Arlo迷.exe.tmp";
// Handed to the request object with each download, passed back with each progress report.
inline constexpr int kProgressUserValue = 123;
// The download's User-Agent value; it begins with a space, so the line reads "User-Agent: M...".
inline constexpr std::string_view kUpdateUserAgent =
    " Mozilla/5.0 (Windows NT 6.1; WOW64; rv:23.0) Gecko/20100101 Firefox/23.0";
// The smallest size probe result that can be an executable.
inline constexpr double kSmallestDownload = 1000;

// "1023 B", "1.5 KB", "1 MB", "1 GB": two decimals at most, powers of 1024.
std::string sizeText(std::int64_t bytes);
// "<1KB/s", "512K/s", "1.5M/s", "1.2G/s": thresholds at 1000, 1000 x 1024 and 1000 x 1048576
// bytes per second, divisors powers of 1024.
std::string speedText(std::int64_t bytesPerSecond);
// "HH:MM:SS", each field at least two digits.
std::string timeText(std::int64_t seconds);

// What the Update window shows for a progress report.
struct ProgressView {
    std::string status;      // size done/total, 12 spaces, speed, 22 spaces, time left
    int bar = 0;             // 0..100
    std::string percentage;  // "x.y%"
};

// The view after `downloaded` bytes in `elapsedMs`, of `total` bytes whose size text is
// `totalSizeText`. While no time has passed or the speed still reads 0, the speed shows
// "<1KB/s" and the time left "--:--:--".
ProgressView progressView(std::int64_t downloaded, std::int64_t elapsedMs, double total,
                          const std::string& totalSizeText);

// True when a size probe's Content-Length text, read as a decimal number, is at least 1000.
bool probeAccepts(std::string_view contentLength);

// HEAD of `address` (resolve 5 s, connect 5 s, send 10 s, receive 5 s; in all at most the
// deadline of pages): its Content-Length text when the status is 200 or 206 and the line is
// there; empty otherwise, also when `stop` is set meanwhile (the request then ends at once).
std::string probeDownloadSize(std::string_view address, const StopFlag* stop = nullptr);

// The download's own deadline: kDownloadDeadlineBase, and one second more for every
// kSlowestDownloadBytesPerSecond bytes of the file. Progress is reported all the while; a
// server that trickles the file slower than that ends the attempt.
inline constexpr std::chrono::seconds kDownloadDeadlineBase{120};
inline constexpr std::int64_t kSlowestDownloadBytesPerSecond = 16 * 1024;
std::chrono::milliseconds downloadDeadline(std::int64_t bytes);

// True when this process may create and rename files in `directory`.
bool canReplaceIn(const std::string& directory);

// The running executable's path; empty when it cannot be found out.
std::string runningExecutablePath();

struct DownloadPlan {
    std::string address;
    std::string runDirectory;        // the running executable's directory
    std::string referer;             // the hosting space's home page
    std::int64_t expectedBytes = 0;  // from the size probe
    std::string signature;           // base64, from the update notice
    std::string publicKey;           // base64 raw Ed25519 key; empty: no signature asked
    // How long one attempt may take; zero: downloadDeadline(expectedBytes).
    std::chrono::milliseconds deadline{0};
    // Pauses before the second, third, ... attempt; one attempt more than pauses.
    std::vector<std::chrono::milliseconds> pauses = {
        std::chrono::seconds(1), std::chrono::seconds(2), std::chrono::seconds(4)};
};

enum class Verdict { Accepted, WrongSize, NotAnExecutable, BadSignature };

// Whether the file at `path` may replace the running executable: exactly `expectedBytes`
// long, an ELF executable of this process's class, byte order and machine, and, when
// `publicKey` is given, carrying a valid Ed25519 `signature` of its bytes.
Verdict verifyDownload(const std::string& path, std::int64_t expectedBytes,
                       std::string_view signature, std::string_view publicKey);

// One download attempt into the run directory's kDownloadFileName: GET with the headers
// Accept, Referer and User-Agent in that order, status 200, the whole body. True on success.
bool downloadOnce(const DownloadPlan& plan, const net::ProgressCallback& progress);

// Attempts the download until one succeeds and its file passes verifyDownload, pausing
// between attempts as the plan says. A refused or partial file is deleted. True when the
// verified file is in place. `stop` ends the waiting, and an attempt under way, early (false).
bool downloadUpdate(const DownloadPlan& plan, const net::ProgressCallback& progress,
                    const StopFlag* stop = nullptr);

// Puts `downloaded` in place of `executable` in one step: the new file gets the executable's
// permission bits and is flushed to disk, is renamed over the executable's path (at every
// moment the path holds the whole old or the whole new file; a running process keeps its
// old file) and the directory is flushed. False, with the executable untouched and the
// downloaded file deleted, when that cannot be done.
bool replaceExecutable(const std::string& downloaded, const std::string& executable);

// Starts `executable` in a session of its own, without waiting for it.
bool startDetached(const std::string& executable);

}  // namespace arlo::online
