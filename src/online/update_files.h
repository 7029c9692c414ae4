#pragma once

#include <sys/types.h>

#include <memory>
#include <string>
#include <string_view>

// The files a self-update keeps in the run directory: the lock that lets one update at a time
// work there, and the file one download attempt writes. Several copies of the program may run
// from one directory; each attempt touches only what it created itself.
namespace arlo::online {

// The downloaded file's name in the run directory.
inline constexpr std::string_view kDownloadFileName = "Arlo迷.exe.tmp";
// The lock's name in the run directory; it exists only while an update holds it (or one that
// was killed left it, which is harmless: the lock itself ends with its process).
inline constexpr std::string_view kUpdateLockFileName = "Arlo迷.exe.lock";

// The path of kDownloadFileName in `runDirectory`: the one place that builds it.
std::string downloadPathIn(const std::string& runDirectory);

// One self-update at a time per run directory: an exclusive flock on kUpdateLockFileName,
// tried once and never waited for. It is let go when the object goes (the lock file is removed
// first, while still locked) or when the process ends, however it ends.
class UpdateLock final {
public:
    enum class State {
        Held,    // this object holds the lock
        Busy,    // another update (in this process or another) holds it
        Failed,  // the lock file cannot be made or locked
    };

    explicit UpdateLock(std::string runDirectory);
    ~UpdateLock();
    UpdateLock(const UpdateLock&) = delete;
    UpdateLock& operator=(const UpdateLock&) = delete;

    State state() const { return state_; }
    bool held() const { return state_ == State::Held; }
    const std::string& runDirectory() const { return directory_; }

private:
    std::string directory_;
    std::string path_;
    int fd_ = -1;
    State state_ = State::Failed;
};

// The file one download attempt writes: the run directory's kDownloadFileName, created by this
// attempt alone (O_CREAT | O_EXCL | O_NOFOLLOW, mode 0600), written and read back through its
// own descriptor. It is removed when the object goes unless it was put in place first, and
// only while the name still holds this very file (same device and inode). Until then
// removeUnfinishedDownloads removes it too.
class DownloadFile final {
public:
    // Null when the file cannot be created or `lock` is not held. A file of that name left by
    // an attempt that ended without cleaning up is removed first: the lock says that no
    // attempt is under way.
    static std::unique_ptr<DownloadFile> create(const UpdateLock& lock);
    ~DownloadFile();
    DownloadFile(const DownloadFile&) = delete;
    DownloadFile& operator=(const DownloadFile&) = delete;

    int descriptor() const { return fd_; }
    const std::string& path() const { return path_; }

    // True while the name still holds this file.
    bool stillNamed() const;
    // Renames the file to `target` in one step, when the name still holds it; from then on it
    // is no longer this object's to remove, and its descriptor is closed. False, and nothing
    // renamed, otherwise.
    bool renameTo(const std::string& target);
    // Removes the file now (when the name still holds it) and closes it.
    void discard();

private:
    DownloadFile(std::string path, int fd, dev_t device, ino_t inode);

    std::string path_;
    int fd_ = -1;
    dev_t device_ = 0;
    ino_t inode_ = 0;
    bool owned_ = true;
};

// Removes every download file of this process that is not finished or put in place yet. The
// program calls it last, as a sweep after every worker has ended.
void removeUnfinishedDownloads();

// Removes the run directory's kDownloadFileName that an update which ended without cleaning
// up left, unless an update is under way there (then it is that update's file).
void removeStaleDownload(const std::string& runDirectory);

}  // namespace arlo::online
