#include "online/self_update.h"

#include <elf.h>
#include <fcntl.h>
#include <openssl/evp.h>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <fstream>
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

std::string downloadPath(const DownloadPlan& plan) {
    std::string path = plan.runDirectory;
    if (!path.ends_with('/')) {
        path += '/';
    }
    return path + std::string(kDownloadFileName);
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

bool signatureVerifies(const std::string& path, std::string_view signatureText,
                       std::string_view keyText) {
    std::string key;
    std::string signature;
    if (!fromBase64(keyText, key) || key.size() != 32 || !fromBase64(signatureText, signature) ||
        signature.size() != 64) {
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) {
        return false;
    }
    const std::string message{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::unique_ptr<EVP_PKEY, PkeyDeleter> pkey(EVP_PKEY_new_raw_public_key(
        EVP_PKEY_ED25519, nullptr, reinterpret_cast<const unsigned char*>(key.data()), key.size()));
    const std::unique_ptr<EVP_MD_CTX, MdCtxDeleter> ctx(EVP_MD_CTX_new());
    return pkey && ctx &&
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

bool readElfHead(const std::string& path, ElfHead& head) {
    std::ifstream in(path, std::ios::binary);
    std::array<char, EI_NIDENT + 4> bytes{};
    if (!in.read(bytes.data(), bytes.size())) {
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

bool isExecutableForThisMachine(const std::string& path) {
    ElfHead candidate;
    ElfHead running;
    if (!readElfHead(path, candidate) || !readElfHead("/proc/self/exe", running)) {
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
        if (stop != nullptr && stop->load()) {
            return false;
        }
        std::this_thread::sleep_for(std::min(milliseconds(50), pause));
    }
    return stop == nullptr || !stop->load();
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
                          const std::string& totalSizeText) {
    std::int64_t speed = 0;
    if (elapsedMs > 0) {
        speed = static_cast<std::int64_t>(static_cast<double>(downloaded) /
                                          (static_cast<double>(elapsedMs) / 1000.0));
    }
    std::string left = "--:--:--";
    if (speed > 0) {
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

bool probeAccepts(std::string_view contentLength) {
    return text::parseReal(contentLength) - kSmallestDownload > -text::kVersionTolerance;
}

std::chrono::milliseconds downloadDeadline(std::int64_t bytes) {
    return kDownloadDeadlineBase +
           std::chrono::seconds(std::max<std::int64_t>(bytes, 0) / kSlowestDownloadBytesPerSecond);
}

std::string probeDownloadSize(std::string_view address, const StopFlag* stop) {
    net::RequestCancel unused;
    const net::CancelScope scope(unused, [stop] { return stop != nullptr && stop->load(); });
    net::Request request;
    request.SetTimeouts(5000, 5000, 10000, 5000);
    if (!request.Open("HEAD", address) || !request.Send()) {
        return {};
    }
    const std::string block = request.GetHeader();
    const int status = statusOf(block);
    const std::string length = request.GetHeader("Content-Length");
    if ((status != 200 && status != 206) || length == block) {
        return {};
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

Verdict verifyDownload(const std::string& path, std::int64_t expectedBytes,
                       std::string_view signature, std::string_view publicKey) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || expectedBytes <= 0 ||
        info.st_size != expectedBytes) {
        return Verdict::WrongSize;
    }
    if (!isExecutableForThisMachine(path)) {
        return Verdict::NotAnExecutable;
    }
    if (!publicKey.empty() && !signatureVerifies(path, signature, publicKey)) {
        return Verdict::BadSignature;
    }
    return Verdict::Accepted;
}

bool downloadOnce(const DownloadPlan& plan, const net::ProgressCallback& progress) {
    net::Request request;
    const std::chrono::milliseconds deadline =
        plan.deadline.count() > 0 ? plan.deadline : downloadDeadline(plan.expectedBytes);
    request.SetDeadline(static_cast<int>(std::min<std::chrono::milliseconds::rep>(
        deadline.count(), std::numeric_limits<int>::max())));
    if (!request.Open("GET", plan.address) || !request.SetRequestHeader("Accept", "*/*") ||
        !request.SetRequestHeader("Referer", plan.referer) ||
        !request.SetRequestHeader("User-Agent", kUpdateUserAgent) || !request.Send()) {
        return false;
    }
    // An error page is not the file, however it is sized.
    if (statusOf(request.GetHeader()) != 200) {
        return false;
    }
    std::string directory = plan.runDirectory;
    return request.DownloadToFile(directory, kDownloadFileName, progress, kProgressUserValue) == 1;
}

bool downloadUpdate(const DownloadPlan& plan, const net::ProgressCallback& progress,
                    const StopFlag* stop) {
    const std::string path = downloadPath(plan);
    // A download under way ends as soon as it is no longer wanted.
    net::RequestCancel unused;
    const net::CancelScope scope(unused, [stop] { return stop != nullptr && stop->load(); });
    for (std::size_t attempt = 0;; ++attempt) {
        if (stop != nullptr && stop->load()) {
            return false;
        }
        if (downloadOnce(plan, progress) && verifyDownload(path, plan.expectedBytes, plan.signature,
                                                           plan.publicKey) == Verdict::Accepted) {
            return true;
        }
        ::unlink(path.c_str());
        if (attempt >= plan.pauses.size() || !pauseUnlessStopped(plan.pauses[attempt], stop)) {
            return false;
        }
    }
}

bool replaceExecutable(const std::string& downloaded, const std::string& executable) {
    struct stat current {};
    const bool ok = ::stat(executable.c_str(), &current) == 0 &&
                    ::chmod(downloaded.c_str(), current.st_mode & 0777) == 0 &&
                    syncPath(downloaded, O_RDONLY) &&
                    ::rename(downloaded.c_str(), executable.c_str()) == 0;
    if (!ok) {
        ::unlink(downloaded.c_str());
        return false;
    }
    // The rename is on disk once the directory is; a failure here changes nothing for now.
    const std::string directory = std::filesystem::path(executable).parent_path().string();
    syncPath(directory.empty() ? std::string(".") : directory, O_RDONLY | O_DIRECTORY);
    return true;
}

bool startDetached(const std::string& executable) {
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
    return result == 0;
}

}  // namespace arlo::online
