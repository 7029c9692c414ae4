#include "online/self_update.h"

#include <elf.h>
#include <fcntl.h>
#include <openssl/evp.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <mutex>
#include <thread>

#include "net/cancel.h"
#include "text/numbers.h"

extern char** environ;

namespace arlo::online {
namespace {

using std::chrono::milliseconds;

std::string twoDigits(std::int64_t value) {
    std::string text = std::to_string(value);
    return text.size() < 2 ? "0" + text : text;
}

std::string scaled(double value, double divisor, int decimals) {
    return text::formatReal(text::roundHalfAway(value / divisor, decimals));
}

// The status code of a raw header block's status line; 0 without one.
int statusOf(const std::string& block) {
    if (!block.starts_with("HTTP/")) {
        return 0;
    }
    const auto space = block.find(' ');
    return space == std::string::npos ? 0 : text::parseInt(std::string_view(block).substr(space));
}

// Base64 (with or without padding) to bytes; nullopt-like empty result and false on bad input.
bool fromBase64(std::string_view text, std::string& out) {
    if (text.empty() || text.size() % 4 != 0 || text.size() > (1u << 20)) {
        return false;
    }
    std::string decoded(text.size() / 4 * 3, '\0');
    const int length = EVP_DecodeBlock(reinterpret_cast<unsigned char*>(decoded.data()),
                                       reinterpret_cast<const unsigned char*>(text.data()),
                                       static_cast<int>(text.size()));
    if (length < 0) {
        return false;
    }
    std::size_t padding = 0;
    if (text.ends_with("==")) {
        padding = 2;
    } else if (text.ends_with('=')) {
        padding = 1;
    }
    decoded.resize(static_cast<std::size_t>(length) - padding);
    out = std::move(decoded);
    return true;
}

struct PkeyDeleter {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct MdCtxDeleter {
    void operator()(EVP_MD_CTX* ctx) const { EVP_MD_CTX_free(ctx); }
};

// Reads `size` bytes at `offset` of `fd`, however many reads it takes; false when fewer came.
bool readAt(int fd, char* into, std::size_t size, off_t offset) {
    while (size > 0) {
        const ssize_t n = ::pread(fd, into, size, offset);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        into += n;
        size -= static_cast<std::size_t>(n);
        offset += n;
    }
    return true;
}

// The message a release's signature covers: the prefix, the version, a line break and the
// SHA-512 of the file's first `size` bytes, read in pieces. Empty when the file cannot be read.
std::string signedMessage(int fd, std::int64_t size, std::string_view version) {
    const std::unique_ptr<EVP_MD_CTX, MdCtxDeleter> ctx(EVP_MD_CTX_new());
    if (!ctx || EVP_DigestInit_ex(ctx.get(), EVP_sha512(), nullptr) != 1) {
        return {};
    }
    std::string piece(64 * 1024, '\0');
    for (std::int64_t at = 0; at < size;) {
        const auto n = static_cast<std::size_t>(
            std::min<std::int64_t>(size - at, static_cast<std::int64_t>(piece.size())));
        if (!readAt(fd, piece.data(), n, at) || EVP_DigestUpdate(ctx.get(), piece.data(), n) != 1) {
            return {};
        }
        at += static_cast<std::int64_t>(n);
    }
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(ctx.get(), digest.data(), &length) != 1 || length != 64) {
        return {};
    }
    std::string message = std::string(kSignedMessagePrefix) + std::string(version) + "\n";
    message.append(reinterpret_cast<const char*>(digest.data()), length);
    return message;
}

bool signatureVerifies(int fd, std::int64_t size, std::string_view version,
                       std::string_view signatureText, std::string_view keyText) {
    std::string key;
    std::string signature;
    if (version.empty() || !fromBase64(keyText, key) || key.size() != 32 ||
        !fromBase64(signatureText, signature) || signature.size() != 64) {
        return false;
    }
    const std::string message = signedMessage(fd, size, version);
    const std::unique_ptr<EVP_PKEY, PkeyDeleter> pkey(EVP_PKEY_new_raw_public_key(
        EVP_PKEY_ED25519, nullptr, reinterpret_cast<const unsigned char*>(key.data()), key.size()));
    const std::unique_ptr<EVP_MD_CTX, MdCtxDeleter> ctx(EVP_MD_CTX_new());
    // Ed25519 verifies in one step, so it signs the short message that holds the digest.
    return !message.empty() && pkey && ctx &&
           EVP_DigestVerifyInit(ctx.get(), nullptr, nullptr, nullptr, pkey.get()) == 1 &&
           EVP_DigestVerify(ctx.get(), reinterpret_cast<const unsigned char*>(signature.data()),
                            signature.size(),
                            reinterpret_cast<const unsigned char*>(message.data()),
                            message.size()) == 1;
}

// The first bytes of an ELF header: identification, type and machine.
struct ElfHead {
    std::array<unsigned char, EI_NIDENT> ident{};
    std::uint16_t type = 0;
    std::uint16_t machine = 0;
};

bool readElfHead(int fd, ElfHead& head) {
    std::array<char, EI_NIDENT + 4> bytes{};
    if (!readAt(fd, bytes.data(), bytes.size(), 0)) {
        return false;
    }
    std::memcpy(head.ident.data(), bytes.data(), EI_NIDENT);
    if (std::memcmp(head.ident.data(), ELFMAG, SELFMAG) != 0) {
        return false;
    }
    const bool little = head.ident[EI_DATA] == ELFDATA2LSB;
    auto half = [&](std::size_t at) {
        const auto a = static_cast<unsigned char>(bytes[at]);
        const auto b = static_cast<unsigned char>(bytes[at + 1]);
        return static_cast<std::uint16_t>(little ? a | (b << 8) : (a << 8) | b);
    };
    head.type = half(EI_NIDENT);
    head.machine = half(EI_NIDENT + 2);
    return true;
}

bool isExecutableForThisMachine(int fd) {
    ElfHead candidate;
    ElfHead running;
    const int self = ::open("/proc/self/exe", O_RDONLY | O_CLOEXEC);
    const bool read = readElfHead(fd, candidate) && self >= 0 && readElfHead(self, running);
    if (self >= 0) {
        ::close(self);
    }
    if (!read) {
        return false;
    }
    return (candidate.type == ET_EXEC || candidate.type == ET_DYN) &&
           candidate.ident[EI_CLASS] == running.ident[EI_CLASS] &&
           candidate.ident[EI_DATA] == running.ident[EI_DATA] &&
           candidate.machine == running.machine;
}

bool syncPath(const std::string& path, int flags) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool synced = ::fsync(fd) == 0;
    return ::close(fd) == 0 && synced;
}

// Sleeps `pause` unless `stop` is set first; false when stopped.
bool pauseUnlessStopped(milliseconds pause, const StopFlag* stop) {
    const auto end = std::chrono::steady_clock::now() + pause;
    while (std::chrono::steady_clock::now() < end) {
        if (isStopped(stop)) {
            return false;
        }
        std::this_thread::sleep_for(std::min(milliseconds(50), pause));
    }
    return !isStopped(stop);
}

// Opens `request` with the lines that the size probe and the download both send: Accept,
// Referer and User-Agent, in that order. A host that refuses requests without them refuses
// neither.
bool openUpdateRequest(net::Request& request, std::string_view verb, std::string_view address,
                       std::string_view referer) {
    return request.Open(verb, address) && request.SetRequestHeader("Accept", "*/*") &&
           request.SetRequestHeader("Referer", referer) &&
           request.SetRequestHeader("User-Agent", kUpdateUserAgent);
}

// One download attempt: the request, then the file, created only for an answer that can be
// the file, then its checks. On any failure a file created on the way is gone with its object.
Result<std::unique_ptr<DownloadFile>, UpdateWhy> downloadOnce(
    const DownloadPlan& plan, const UpdateLock& lock, const net::ProgressCallback& progress) {
    net::Request request;
    const std::chrono::milliseconds deadline =
        plan.deadline.count() > 0 ? plan.deadline : downloadDeadline(plan.expectedBytes);
    request.SetDeadline(static_cast<int>(std::min<std::chrono::milliseconds::rep>(
        deadline.count(), std::numeric_limits<int>::max())));
    // An error page is not the file, however it is sized; nor is a body of another size than
    // the probe said, which could be far larger.
    if (!openUpdateRequest(request, "GET", plan.address, plan.referer) || !request.Send() ||
        statusOf(request.GetHeader()) != 200) {
        return fail(UpdateWhy::NoAnswer);
    }
    if (net::parseContentLength(request.GetHeader("Content-Length")) != plan.expectedBytes) {
        return fail(UpdateWhy::SizeRefused);
    }
    std::unique_ptr<DownloadFile> file = DownloadFile::create(lock);
    if (!file) {
        return fail(UpdateWhy::NoFile);
    }
    if (request.DownloadToDescriptor(file->descriptor(), progress, kProgressUserValue) != 1) {
        return fail(UpdateWhy::NoAnswer);
    }
    const Result<void, UpdateWhy> checked = verifyDownload(
        file->descriptor(), plan.expectedBytes, plan.version, plan.signature, plan.publicKey);
    if (!checked) {
        return fail(checked.why());
    }
    return file;
}

}  // namespace

std::string sizeText(std::int64_t bytes) {
    const auto n = static_cast<double>(bytes);
    if (bytes < 1024) {
        return std::to_string(bytes) + " B";
    }
    if (bytes < 1048576) {
        return scaled(n, 1024, 2) + " KB";
    }
    if (bytes < 1073741824) {
        return scaled(n, 1048576, 2) + " MB";
    }
    return scaled(n, 1073741824, 2) + " GB";
}

std::string speedText(std::int64_t bytesPerSecond) {
    const auto r = static_cast<double>(bytesPerSecond);
    std::string text;
    if (bytesPerSecond < 1000) {
        text = "<1KB";
    } else if (bytesPerSecond < 1024000) {
        text = scaled(r, 1024, 0) + "K";
    } else if (bytesPerSecond < 1048576000) {
        text = scaled(r, 1048576, 1) + "M";
    } else {
        text = scaled(r, 1073741824, 1) + "G";
    }
    return text + "/s";
}

std::string timeText(std::int64_t seconds) {
    if (seconds < 60) {
        return "00:00:" + twoDigits(seconds);
    }
    if (seconds < 3600) {
        return "00:" + twoDigits(seconds / 60) + ":" + twoDigits(seconds % 60);
    }
    return twoDigits(seconds / 3600) + ":" + twoDigits(seconds % 3600 / 60) + ":" +
           twoDigits(seconds % 60);
}

ProgressView progressView(std::int64_t downloaded, std::int64_t elapsedMs, double total,
                          const std::string& totalSizeText, std::int64_t quietMs) {
    const bool stalled = quietMs >= kProgressStallMs;
    if (stalled) {
        elapsedMs += quietMs;
    }
    std::int64_t speed = 0;
    if (elapsedMs > 0) {
        speed = static_cast<std::int64_t>(static_cast<double>(downloaded) /
                                          (static_cast<double>(elapsedMs) / 1000.0));
    }
    std::string left = "--:--:--";
    if (speed > 0 && !stalled) {
        const auto remaining = static_cast<std::int64_t>(total - static_cast<double>(downloaded));
        left = timeText(std::max<std::int64_t>(remaining, 0) / speed);
    }
    ProgressView view;
    view.status = sizeText(downloaded) + "/" + totalSizeText + std::string(12, ' ') +
                  speedText(speed) + std::string(22, ' ') + left;
    const double share = total > 0 ? static_cast<double>(downloaded) / total * 100.0 : 0.0;
    const double percent = text::roundHalfAway(share, 1);
    view.bar = std::clamp(static_cast<int>(text::roundHalfAway(share, 0)), 0, 100);
    view.percentage = text::formatReal(percent) + "%";
    return view;
}

std::optional<std::int64_t> acceptedDownloadSize(std::string_view contentLength) {
    const std::optional<std::int64_t> size = net::parseContentLength(contentLength);
    if (!size || *size < kSmallestDownload || *size > kLargestDownload) {
        return std::nullopt;
    }
    return size;
}

bool hasRoomFor(const std::string& directory, std::int64_t bytes) {
    struct statvfs info {};
    if (bytes < 0 || ::statvfs(directory.c_str(), &info) != 0) {
        return false;
    }
    // Counted in blocks: a product of two counts could overflow.
    const auto blockSize =
        static_cast<std::uint64_t>(info.f_frsize > 0 ? info.f_frsize : info.f_bsize);
    const auto needed = (static_cast<std::uint64_t>(bytes) + blockSize - 1) / blockSize;
    return blockSize > 0 && needed <= static_cast<std::uint64_t>(info.f_bavail);
}

std::chrono::milliseconds downloadDeadline(std::int64_t bytes) {
    return kDownloadDeadlineBase +
           std::chrono::seconds(std::clamp<std::int64_t>(bytes, 0, kLargestDownload) /
                                kSlowestDownloadBytesPerSecond);
}

Result<std::string, UpdateWhy> probeDownloadSize(std::string_view address, std::string_view referer,
                                                 const StopFlag* stop) {
    net::RequestCancel unused;
    const net::CancelScope scope(unused, [stop] { return isStopped(stop); });
    net::Request request;
    request.SetTimeouts(5000, 5000, 10000, 5000);
    const bool answered = openUpdateRequest(request, "HEAD", address, referer) && request.Send();
    if (isStopped(stop)) {
        return fail(UpdateWhy::Stopped);
    }
    if (!answered) {
        return fail(UpdateWhy::NoAnswer);
    }
    // Without the line, the request object gives the whole header block.
    const std::string block = request.GetHeader();
    const int status = statusOf(block);
    std::string length = request.GetHeader("Content-Length");
    if ((status != 200 && status != 206) || length == block) {
        return fail(UpdateWhy::NoAnswer);
    }
    return length;
}

bool canReplaceIn(const std::string& directory) {
    struct stat info {};
    return !directory.empty() && ::stat(directory.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
           ::access(directory.c_str(), W_OK | X_OK) == 0;
}

std::string runningExecutablePath() {
    std::error_code error;
    const std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : path.string();
}

Result<void, UpdateWhy> verifyDownload(int fd, std::int64_t expectedBytes, std::string_view version,
                                       std::string_view signature, std::string_view publicKey) {
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || expectedBytes <= 0 ||
        info.st_size != expectedBytes) {
        return fail(UpdateWhy::WrongSize);
    }
    if (!isExecutableForThisMachine(fd)) {
        return fail(UpdateWhy::NotAnExecutable);
    }
    if (!publicKey.empty() &&
        !signatureVerifies(fd, expectedBytes, version, signature, publicKey)) {
        return fail(UpdateWhy::BadSignature);
    }
    return {};
}

Result<std::unique_ptr<DownloadFile>, UpdateWhy> downloadUpdate(
    const DownloadPlan& plan, const UpdateLock& lock, const net::ProgressCallback& progress,
    const StopFlag* stop) {
    if (!lock.held()) {
        return fail(UpdateWhy::NoLock);
    }
    if (plan.expectedBytes < kSmallestDownload || plan.expectedBytes > kLargestDownload) {
        return fail(UpdateWhy::SizeRefused);
    }
    if (!hasRoomFor(lock.runDirectory(), plan.expectedBytes)) {
        return fail(UpdateWhy::NoRoom);
    }
    // A download under way ends as soon as it is no longer wanted.
    net::RequestCancel unused;
    const net::CancelScope scope(unused, [stop] { return isStopped(stop); });
    for (std::size_t attempt = 0;; ++attempt) {
        if (isStopped(stop)) {
            return fail(UpdateWhy::Stopped);
        }
        UpdateWhy why = UpdateWhy::NoAnswer;
        {
            // A refused or partial file goes with its object, before the pause.
            Result<std::unique_ptr<DownloadFile>, UpdateWhy> file =
                downloadOnce(plan, lock, progress);
            if (file) {
                return file;
            }
            why = file.why();
        }
        if (isStopped(stop)) {
            return fail(UpdateWhy::Stopped);
        }
        if (attempt >= plan.pauses.size()) {
            return fail(why);
        }
        if (!pauseUnlessStopped(plan.pauses[attempt], stop)) {
            return fail(UpdateWhy::Stopped);
        }
    }
}

bool replaceExecutable(DownloadFile& downloaded, const std::string& executable) {
    struct stat current {};
    const bool ok = ::stat(executable.c_str(), &current) == 0 &&
                    ::fchmod(downloaded.descriptor(), current.st_mode & 0777) == 0 &&
                    ::fsync(downloaded.descriptor()) == 0 && downloaded.renameTo(executable);
    if (!ok) {
        downloaded.discard();
        return false;
    }
    // The rename is on disk once the directory is; a failure here changes nothing for now.
    const std::string directory = std::filesystem::path(executable).parent_path().string();
    syncPath(directory.empty() ? std::string(".") : directory, O_RDONLY | O_DIRECTORY);
    return true;
}

bool startDetached(const std::string& executable, std::chrono::milliseconds watch) {
    posix_spawnattr_t attributes;
    if (posix_spawnattr_init(&attributes) != 0) {
        return false;
    }
    // A session of its own: nothing that ends this program's session reaches it.
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    std::string program = executable;
    char* argv[] = {program.data(), nullptr};
    pid_t child = 0;
    const int result = posix_spawn(&child, executable.c_str(), nullptr, &attributes, argv, environ);
    posix_spawnattr_destroy(&attributes);
    if (result != 0) {
        return false;
    }
    // glibc reports a failed exec from posix_spawn itself; elsewhere the child ends with 127
    // at once. A file that is damaged or needs what this system lacks dies at once too: the
    // child is watched for a moment, and left to run (and to its new parent) after that.
    const auto end = std::chrono::steady_clock::now() + watch;
    while (true) {
        int status = 0;
        const pid_t ended = ::waitpid(child, &status, WNOHANG);
        if (ended == child) {
            return WIFEXITED(status) && WEXITSTATUS(status) == 0;
        }
        if (ended < 0 && errno != EINTR) {
            // Not ours to wait for any more (something else reaped it): it did start.
            return true;
        }
        if (std::chrono::steady_clock::now() >= end) {
            return true;
        }
        std::this_thread::sleep_for(milliseconds(10));
    }
}

}  // namespace arlo::online
