#include "online/update_files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <vector>

namespace arlo::online {
namespace {

std::string inDirectory(const std::string& directory, std::string_view name) {
    std::string path = directory;
    if (!path.ends_with('/')) {
        path += '/';
    }
    return path + std::string(name);
}

// True when `path` itself (not a link's target) is the file of that device and inode.
bool names(const std::string& path, dev_t device, ino_t inode) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && info.st_dev == device && info.st_ino == inode;
}

// The download files of this process that are neither finished nor in place. Never destroyed:
// the process may end while a download thread still holds an entry.
struct Unfinished {
    std::mutex mutex;
    std::vector<const DownloadFile*> files;
};

Unfinished& unfinished() {
    static auto* const registry = new Unfinished;
    return *registry;
}

void forget(const DownloadFile* file) {
    auto& files = unfinished().files;
    files.erase(std::remove(files.begin(), files.end(), file), files.end());
}

}  // namespace

std::string downloadPathIn(const std::string& runDirectory) {
    return inDirectory(runDirectory, kDownloadFileName);
}

UpdateLock::UpdateLock(std::string runDirectory)
    : directory_(std::move(runDirectory)), path_(inDirectory(directory_, kUpdateLockFileName)) {
    // A holder that lets go removes the file first: a lock taken on a file that is no longer
    // under the name excludes nobody, so it is given up and taken again on the new one.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0) {
            return;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            state_ = errno == EWOULDBLOCK ? State::Busy : State::Failed;
            ::close(fd);
            return;
        }
        struct stat info {};
        if (::fstat(fd, &info) == 0 && names(path_, info.st_dev, info.st_ino)) {
            fd_ = fd;
            state_ = State::Held;
            return;
        }
        ::close(fd);
    }
}

UpdateLock::~UpdateLock() {
    if (fd_ >= 0) {
        ::unlink(path_.c_str());
        ::close(fd_);
    }
}

DownloadFile::DownloadFile(std::string path, int fd, dev_t device, ino_t inode)
    : path_(std::move(path)), fd_(fd), device_(device), inode_(inode) {}

std::unique_ptr<DownloadFile> DownloadFile::create(const UpdateLock& lock) {
    if (!lock.held()) {
        return nullptr;
    }
    std::string path = downloadPathIn(lock.runDirectory());
    constexpr int kFlags = O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
    int fd = ::open(path.c_str(), kFlags, 0600);
    if (fd < 0 && errno == EEXIST) {
        // Left by an attempt that ended without cleaning up: no other attempt is under way.
        ::unlink(path.c_str());
        fd = ::open(path.c_str(), kFlags, 0600);
    }
    if (fd < 0) {
        return nullptr;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        ::unlink(path.c_str());
        ::close(fd);
        return nullptr;
    }
    std::unique_ptr<DownloadFile> file(
        new DownloadFile(std::move(path), fd, info.st_dev, info.st_ino));
    const std::lock_guard guard(unfinished().mutex);
    unfinished().files.push_back(file.get());
    return file;
}

DownloadFile::~DownloadFile() {
    discard();
}

bool DownloadFile::stillNamed() const {
    return names(path_, device_, inode_);
}

bool DownloadFile::renameTo(const std::string& target) {
    const std::lock_guard lock(unfinished().mutex);
    if (!owned_ || !stillNamed() || ::rename(path_.c_str(), target.c_str()) != 0) {
        return false;
    }
    owned_ = false;
    forget(this);
    // Open for writing, the file could not be run ("text file busy").
    ::close(fd_);
    fd_ = -1;
    return true;
}

void DownloadFile::discard() {
    {
        const std::lock_guard lock(unfinished().mutex);
        if (owned_ && stillNamed()) {
            ::unlink(path_.c_str());
        }
        owned_ = false;
        forget(this);
    }
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

void removeUnfinishedDownloads() {
    Unfinished& registry = unfinished();
    const std::lock_guard lock(registry.mutex);
    for (const DownloadFile* file : registry.files) {
        if (file->stillNamed()) {
            ::unlink(file->path().c_str());
        }
    }
    registry.files.clear();
}

void removeStaleDownload(const std::string& runDirectory) {
    const std::string path = downloadPathIn(runDirectory);
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        return;
    }
    const UpdateLock lock(runDirectory);
    if (lock.held()) {
        ::unlink(path.c_str());
    }
}

}  // namespace arlo::online
