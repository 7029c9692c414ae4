#include "files/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

namespace arlo::files {
namespace {

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

// Makes the folder's entry for a renamed file durable.
std::error_code flushFolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    const std::string folder =
        slash == std::string::npos ? std::string(".") : path.substr(0, slash == 0 ? 1 : slash);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
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

}  // namespace

std::error_code replaceFileAtomically(const std::string& path, std::string_view bytes) {
    std::vector<char> name(path.begin(), path.end());
    for (const char c : std::string_view(".XXXXXX")) {
        name.push_back(c);
    }
    name.push_back('\0');
    // mkstemp creates the file exclusively: nobody else writes it while we do.
    const int fd = ::mkstemp(name.data());
    if (fd < 0) {
        return lastError();
    }
    std::error_code error = writeAll(fd, bytes);
    if (!error && ::fchmod(fd, 0644) != 0) {
        error = lastError();
    }
    if (!error && ::fsync(fd) != 0) {
        error = lastError();
    }
    if (::close(fd) != 0 && !error) {
        error = lastError();
    }
    if (!error && std::rename(name.data(), path.c_str()) != 0) {
        error = lastError();
    }
    if (error) {
        ::unlink(name.data());
        return error;
    }
    // The file is in place; a folder that cannot be flushed is reported all the same.
    return flushFolderOf(path);
}

}  // namespace arlo::files
