#include "files/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

namespace arlo::files {
namespace {

// mkstemp's six characters.
constexpr std::size_t kTemporarySuffixLength = 6;
// Symbolic links followed to the file at most, as the kernel does for a path.
constexpr int kMaxLinks = 40;
// Names tried when another process's clean-up removes a new temporary file at once.
constexpr int kTemporaryAttempts = 8;

std::error_code lastError() {
    return {errno, std::generic_category()};
}

std::error_code writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return lastError();
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return {};
}

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash == 0 ? 1 : slash);
}

std::string nameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Makes the folder's entry for a renamed file durable.
std::error_code flushFolderOf(const std::string& path) {
    const int fd = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return lastError();
    }
    std::error_code error;
    if (::fsync(fd) != 0) {
        error = lastError();
    }
    ::close(fd);
    return error;
}

// A link is followed only where nobody else can have planted it or swapped it: it is this
// user's, in a folder that is neither sticky nor writable by everyone (a shared run folder of
// mode 1777 above all). Any other link is refused, and what it names is left alone.
std::error_code mayFollow(const std::string& link, const struct stat& info) {
    struct stat folder {};
    if (::stat(folderOf(link).c_str(), &folder) != 0) {
        return lastError();
    }
    if (info.st_uid != ::geteuid() || (folder.st_mode & (S_ISVTX | S_IWOTH)) != 0) {
        return std::make_error_code(std::errc::operation_not_permitted);
    }
    return {};
}

// The path a write to `path` lands on: symbolic links in its last part followed to the file
// they name, which need not exist yet, as far as mayFollow allows. Links in the folders are
// the kernel's to follow.
std::error_code followLinks(const std::string& path, std::string& target) {
    target = path;
    for (int hops = 0; hops <= kMaxLinks; ++hops) {
        struct stat info {};
        if (::lstat(target.c_str(), &info) != 0) {
            return errno == ENOENT ? std::error_code() : lastError();
        }
        if (!S_ISLNK(info.st_mode)) {
            return {};
        }
        if (const std::error_code refused = mayFollow(target, info)) {
            return refused;
        }
        std::vector<char> link(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 4095) +
                               1);
        const ssize_t n = ::readlink(target.c_str(), link.data(), link.size());
        if (n < 0) {
            return lastError();
        }
        if (static_cast<std::size_t>(n) >= link.size()) {
            continue;  // the link changed while it was read: read it again
        }
        std::string next(link.data(), static_cast<std::size_t>(n));
        if (next.empty()) {
            return std::make_error_code(std::errc::no_such_file_or_directory);
        }
        target = next.front() == '/' ? next : folderOf(target) + "/" + next;
    }
    return std::make_error_code(std::errc::too_many_symbolic_link_levels);
}

// Read-only as the file's own permission bits say: no write bit at all (also for root, who
// could write it anyway), or none that this process has.
bool isReadOnly(const std::string& path, const struct stat& info) {
    return (info.st_mode & 0222) == 0 || ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0;
}

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool isTemporaryName(const std::string& name, const std::string& prefix) {
    if (name.size() != prefix.size() + kTemporarySuffixLength ||
        name.compare(0, prefix.size(), prefix) != 0) {
        return false;
    }
    for (std::size_t i = prefix.size(); i < name.size(); ++i) {
        const char c = name[i];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) {
            return false;
        }
    }
    return true;
}

// A new temporary file beside `target`, locked, and still under its name: a clean-up that
// took an unlocked new file for a stale one has not removed it. -1 and errno on failure.
int openTemporary(const std::string& target, std::vector<char>& name) {
    for (int attempt = 0; attempt < kTemporaryAttempts; ++attempt) {
        name.assign(target.begin(), target.end());
        for (const char c : std::string_view(".XXXXXX")) {
            name.push_back(c);
        }
        name.push_back('\0');
        // mkstemp creates the file exclusively: nobody else writes it while we do.
        const int fd = ::mkstemp(name.data());
        if (fd < 0) {
            return -1;
        }
        // Where the file system has no locks, clean-ups cannot take any file either.
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
            ::close(fd);  // a clean-up has it and removes it: it is the clean-up's to remove
            continue;
        }
        struct stat opened {};
        struct stat named {};
        if (::fstat(fd, &opened) == 0 && ::lstat(name.data(), &named) == 0 &&
            sameFile(opened, named)) {
            return fd;
        }
        ::close(fd);  // a clean-up removed it before the lock was taken
    }
    errno = EAGAIN;
    return -1;
}

std::error_code replaceWhole(const std::string& path, std::string_view bytes) {
    std::string target;
    if (const std::error_code error = followLinks(path, target)) {
        return error;
    }
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (!exists && errno != ENOENT) {
        return lastError();
    }
    if (exists && S_ISREG(existing.st_mode) && isReadOnly(target, existing)) {
        return std::make_error_code(std::errc::permission_denied);
    }
    std::vector<char> name;
    const int fd = openTemporary(target, name);
    if (fd < 0) {
        return lastError();
    }
    std::error_code error = writeAll(fd, bytes);
    const mode_t mode = exists && S_ISREG(existing.st_mode) ? existing.st_mode & 0777 : 0644;
    if (!error && ::fchmod(fd, mode) != 0) {
        error = lastError();
    }
    if (!error && exists && S_ISREG(existing.st_mode) &&
        (existing.st_uid != ::geteuid() || existing.st_gid != ::getegid())) {
        // Only root may give a file away, and only a member may pass it to a group: where
        // that is not allowed the new file stays this user's.
        (void)::fchown(fd, existing.st_uid, existing.st_gid);
        (void)::fchmod(fd, mode);  // a change of owner clears the set-id bits
    }
    if (!error && ::fsync(fd) != 0) {
        error = lastError();
    }
    // The lock is held until the rename: no clean-up takes the file while it is written.
    if (!error && std::rename(name.data(), target.c_str()) != 0) {
        error = lastError();
    }
    if (error) {
        ::unlink(name.data());
    }
    if (::close(fd) != 0 && !error) {
        error = lastError();
    }
    if (error) {
        return error;
    }
    // The file is in place; a folder that cannot be flushed is reported all the same.
    return flushFolderOf(target);
}

}  // namespace

Written replaceFileAtomically(const std::string& path, std::string_view bytes) {
    if (const std::error_code error = replaceWhole(path, bytes)) {
        return fail(error);
    }
    return {};
}

int removeStaleTemporaries(const std::string& path) {
    std::string target;
    if (followLinks(path, target)) {
        return 0;
    }
    const std::string folder = folderOf(target);
    const std::string prefix = nameOf(target) + ".";
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return 0;
    }
    std::vector<std::string> candidates;
    while (const dirent* entry = ::readdir(dir)) {
        if (isTemporaryName(entry->d_name, prefix)) {
            candidates.push_back(folder + "/" + entry->d_name);
        }
    }
    ::closedir(dir);

    int removed = 0;
    for (const std::string& candidate : candidates) {
        struct stat named {};
        if (::lstat(candidate.c_str(), &named) != 0 || !S_ISREG(named.st_mode) ||
            named.st_uid != ::geteuid()) {
            continue;
        }
        // Never through a link, never blocking on what is not a plain file.
        const int fd =
            ::open(candidate.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        struct stat opened {};
        // A writer holds its lock from just after creating the file until it is renamed;
        // a process that ended holds no lock any more.
        if (::fstat(fd, &opened) == 0 && sameFile(opened, named) &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::lstat(candidate.c_str(), &named) == 0 &&
            sameFile(opened, named) && ::unlink(candidate.c_str()) == 0) {
            ++removed;
        }
        ::close(fd);
    }
    return removed;
}

bool makeOwnFolder(const std::string& folder) {
    struct stat info {};
    if (::stat(folder.c_str(), &info) == 0) {
        return S_ISDIR(info.st_mode);
    }
    const auto slash = folder.find_last_of('/');
    if (slash != std::string::npos && slash > 0 && !makeOwnFolder(folder.substr(0, slash))) {
        return false;
    }
    return ::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

}  // namespace arlo::files
