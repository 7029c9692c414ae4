#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"
#include "net/request.h"
#include "online/update_files.h"
#include "online/version_check.h"

// The self-update: how big the new executable is, its download next to the running one with
// progress texts, the checks it must pass, and the replacement of the running executable.
// Every step blocks; the update's flow (update_flow.h) runs them on a worker.
namespace arlo::online {

// Why a step of the self-update failed.
enum class UpdateWhy {
    ReadOnly,       // this user cannot change the run directory
    AnotherUpdate,  // another update holds the run directory
    NoLock,         // the lock file cannot be made or locked
    NoAnswer,       // no answer, an error status or a body cut short
    SizeRefused,    // a size outside the bounds, or another than the probe's
    NoRoom,         // the run directory's disk lacks the room
    NoFile,         // the download file cannot be created
    WrongSize,      // the file's checks (verifyDownload) refused it
    NotAnExecutable,
    BadSignature,
    Stopped,      // no longer wanted
    NotReplaced,  // the file could not be put in place of the executable
    DiedAtStart,  // the new executable could not be started or died within the watch
};

// Handed to the request object with each download, passed back with each progress report.
inline constexpr int kProgressUserValue = 123;
// The download's User-Agent value; it begins with a space, so the line reads "User-Agent: M...".
inline constexpr std::string_view kUpdateUserAgent =
    " Mozilla/5.0 (Windows NT 6.1; WOW64; rv:23.0) Gecko/20100101 Firefox/23.0";
// The smallest size probe result that can be an executable, and the largest one taken: the
// program is tens of MB, and a larger claim only fills the disk and stretches the deadline.
inline constexpr std::int64_t kSmallestDownload = 1000;
inline constexpr std::int64_t kLargestDownload = std::int64_t{512} << 20;

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

// How long a download may bring no byte before its progress line counts it as stalled: while
// bytes come, a report arrives every second.
inline constexpr std::int64_t kProgressStallMs = 2000;

// The view after `downloaded` bytes in `elapsedMs`, of `total` bytes whose size text is
// `totalSizeText`. While no time has passed or the speed still reads 0, the speed shows
// "<1KB/s" and the time left "--:--:--". `quietMs` is how long nothing has come since then:
// from kProgressStallMs on, the speed is taken over elapsedMs + quietMs, so that it falls
// towards 0 while the download stalls, and the time left shows "--:--:--".
ProgressView progressView(std::int64_t downloaded, std::int64_t elapsedMs, double total,
                          const std::string& totalSizeText, std::int64_t quietMs = 0);

// The size a probe's Content-Length text gives (net::parseContentLength), when it lies within
// kSmallestDownload..kLargestDownload; nothing otherwise.
std::optional<std::int64_t> acceptedDownloadSize(std::string_view contentLength);

// True when `directory`'s file system has `bytes` free for this user (statvfs).
bool hasRoomFor(const std::string& directory, std::int64_t bytes);

// HEAD of `address` (resolve 5 s, connect 5 s, send 10 s, receive 5 s; in all at most the
// deadline of pages) with the download's header lines: its Content-Length text when the status
// is 200 or 206 and the line is there; NoAnswer otherwise, Stopped when `stop` is set meanwhile
// (the request then ends at once).
Result<std::string, UpdateWhy> probeDownloadSize(std::string_view address, std::string_view referer,
                                                 const StopFlag* stop = nullptr);

// The download's own deadline: kDownloadDeadlineBase, and one second more for every
// kSlowestDownloadBytesPerSecond bytes of the file, counted up to kLargestDownload. Progress
// is reported all the while; a server that trickles the file slower than that ends the
// attempt.
inline constexpr std::chrono::seconds kDownloadDeadlineBase{120};
inline constexpr std::int64_t kSlowestDownloadBytesPerSecond = 16 * 1024;
std::chrono::milliseconds downloadDeadline(std::int64_t bytes);

// True when this process may create and rename files in `directory`.
bool canReplaceIn(const std::string& directory);

// The running executable's path; empty when it cannot be found out.
std::string runningExecutablePath();

struct DownloadPlan {
    std::string address;
    std::string referer;             // the hosting space's home page
    std::string version;             // the version the update notice offers
    std::int64_t expectedBytes = 0;  // from the size probe
    std::string signature;           // base64, from the update notice
    std::string publicKey;           // base64 raw Ed25519 key; empty: no signature asked
    // How long one attempt may take; zero: downloadDeadline(expectedBytes).
    std::chrono::milliseconds deadline{0};
    // Pauses before the second, third, ... attempt; one attempt more than pauses.
    std::vector<std::chrono::milliseconds> pauses = {
        std::chrono::seconds(1), std::chrono::seconds(2), std::chrono::seconds(4)};
};

// The text that opens the message a release's signature covers.
inline constexpr std::string_view kSignedMessagePrefix = "Arlo迷 update ";

// Whether the file open as `fd` may replace the running executable: a regular file exactly
// `expectedBytes` long (else WrongSize), an ELF executable of this process's class, byte order
// and machine (else NotAnExecutable), and, when `publicKey` is given, carrying a valid Ed25519
// `signature` (else BadSignature) of the message
//     "Arlo迷 update " + version + "\n" + SHA-512 of the file's bytes (64 bytes, raw)
// so that a signature binds the file to the version it was released as: a validly signed
// older file offered as a newer version is refused. The file is read through `fd` (pread, in
// pieces, never whole in memory) and its offset is left alone.
Result<void, UpdateWhy> verifyDownload(int fd, std::int64_t expectedBytes, std::string_view version,
                                       std::string_view signature, std::string_view publicKey);

// Attempts the download while `lock` is held, into a DownloadFile of the lock's run
// directory: GET with the headers Accept, Referer and User-Agent in that order, status 200, a
// Content-Length equal to the plan's size, the whole body; then verifyDownload. Attempts
// until one succeeds, pausing between them as the plan says; a refused or partial file is
// deleted. A size outside kSmallestDownload..kLargestDownload (SizeRefused), or one the run
// directory has no room for (NoRoom), is refused before any request. The verified file, or
// why the last attempt failed. `stop` ends the waiting, and an attempt under way, early
// (Stopped).
Result<std::unique_ptr<DownloadFile>, UpdateWhy> downloadUpdate(
    const DownloadPlan& plan, const UpdateLock& lock, const net::ProgressCallback& progress,
    const StopFlag* stop = nullptr);

// Puts `downloaded` in place of `executable` in one step: the new file gets the executable's
// permission bits and is flushed to disk, is renamed over the executable's path (at every
// moment the path holds the whole old or the whole new file; a running process keeps its
// old file) and the directory is flushed. False, with the executable untouched and the
// downloaded file deleted, when that cannot be done, also when the download's name no longer
// holds the file that was verified.
bool replaceExecutable(DownloadFile& downloaded, const std::string& executable);

// How long a started executable is watched for dying at once.
inline constexpr std::chrono::milliseconds kStartWatch{1000};

// Starts `executable` in a session of its own and watches it for `watch` (blocking that
// long at most). True when it is still running then, or ended with exit code 0 before; false
// when it could not be started, or it ended by a signal or with another exit code (a failed
// exec ends the child with 127) within the watch.
bool startDetached(const std::string& executable, std::chrono::milliseconds watch = kStartWatch);

}  // namespace arlo::online
