// Linked into every test executable of AddressSanitizer builds.
//
// AddressSanitizer checks that a sized operator delete names the size that was allocated
// ("new-delete-type-mismatch"). The runtime of this compiler does not apply its suppressions
// to that report, so a library that is not ours and deletes with the wrong size (the browser
// engine's does) would end every test that loads it. Here the sized deletes pass through to
// the sanitizer's own, with one exception: a delete whose size does not match, called
// directly from a library that the sanitizer's suppression file names in an
// "interceptor_via_lib:" line, is made as an unsized delete, which the sanitizer still checks
// for everything else (double frees, mismatched new[]/delete, foreign pointers). The
// program's code keeps every check.
//
// It also keeps every library loaded until the process ends (see dlclose below).

#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>

// The sanitizer's allocator interface (the compiler ships no header for it).
extern "C" {
int __sanitizer_get_ownership(const volatile void* p);
std::size_t __sanitizer_get_allocated_size(const volatile void* p);
}

namespace {

constexpr int kMaxLibraries = 16;
constexpr std::size_t kMaxName = 128;
constexpr std::size_t kMaxFile = 8192;

// Filled once at start-up, without allocating: operator delete may run at any time.
char libraries[kMaxLibraries][kMaxName];
int libraryCount = 0;

void addLibrary(const char* name, std::size_t length) {
    while (length > 0 && (name[length - 1] == ' ' || name[length - 1] == '\r')) {
        --length;
    }
    if (length == 0 || length >= kMaxName || libraryCount == kMaxLibraries) {
        return;
    }
    std::memcpy(libraries[libraryCount], name, length);
    libraries[libraryCount][length] = '\0';
    ++libraryCount;
}

// The "suppressions=" file of ASAN_OPTIONS, its "interceptor_via_lib:" lines.
__attribute__((constructor)) void readSuppressedLibraries() {
    const char* options = std::getenv("ASAN_OPTIONS");
    const char* at = options != nullptr ? std::strstr(options, "suppressions=") : nullptr;
    if (at == nullptr) {
        return;
    }
    at += std::strlen("suppressions=");
    char path[4096];
    std::size_t length = std::strcspn(at, ": ");
    if (length == 0 || length >= sizeof path) {
        return;
    }
    std::memcpy(path, at, length);
    path[length] = '\0';
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return;
    }
    static char text[kMaxFile + 1];
    std::size_t size = 0;
    for (ssize_t n; size < kMaxFile && (n = ::read(fd, text + size, kMaxFile - size)) > 0;) {
        size += static_cast<std::size_t>(n);
    }
    ::close(fd);
    text[size] = '\0';
    constexpr const char kPrefix[] = "interceptor_via_lib:";
    for (const char* line = text; *line != '\0';) {
        const char* end = std::strchr(line, '\n');
        const std::size_t lineLength =
            end != nullptr ? static_cast<std::size_t>(end - line) : std::strlen(line);
        if (lineLength > sizeof kPrefix - 1 &&
            std::strncmp(line, kPrefix, sizeof kPrefix - 1) == 0) {
            addLibrary(line + sizeof kPrefix - 1, lineLength - (sizeof kPrefix - 1));
        }
        line += lineLength + (end != nullptr ? 1 : 0);
    }
}

bool fromSuppressedLibrary(const void* caller) {
    Dl_info info{};
    if (libraryCount == 0 || ::dladdr(caller, &info) == 0 || info.dli_fname == nullptr) {
        return false;
    }
    const char* slash = std::strrchr(info.dli_fname, '/');
    const char* file = slash != nullptr ? slash + 1 : info.dli_fname;
    for (int i = 0; i < libraryCount; ++i) {
        if (std::strstr(file, libraries[i]) != nullptr) {
            return true;
        }
    }
    return false;
}

bool sizeMismatch(const void* p, std::size_t size) {
    return p != nullptr && __sanitizer_get_ownership(p) != 0 &&
           __sanitizer_get_allocated_size(p) != size;
}

template <typename Function>
Function next(std::atomic<Function>& cache, const char* name) {
    Function f = cache.load(std::memory_order_acquire);
    if (f == nullptr) {
        f = reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
        cache.store(f, std::memory_order_release);
    }
    return f;
}

using Sized = void (*)(void*, std::size_t) noexcept;
using SizedAligned = void (*)(void*, std::size_t, std::align_val_t) noexcept;
std::atomic<Sized> sizedDelete{nullptr};
std::atomic<Sized> sizedArrayDelete{nullptr};
std::atomic<SizedAligned> sizedAlignedDelete{nullptr};
std::atomic<SizedAligned> sizedAlignedArrayDelete{nullptr};

}  // namespace

// Libraries stay loaded until the process ends, so that what they leave behind is reported
// with their names (and can be suppressed by them) instead of as an unknown module.
extern "C" int dlclose(void* /*handle*/) {
    return 0;
}

// Only the sized deletes are replaced: the unsized ones stay the sanitizer's own.
#pragma GCC diagnostic ignored "-Wsized-deallocation"

void operator delete(void* p, std::size_t size) noexcept {
    if (sizeMismatch(p, size) && fromSuppressedLibrary(__builtin_return_address(0))) {
        ::operator delete(p);
        return;
    }
    next(sizedDelete, "_ZdlPvm")(p, size);
}

void operator delete[](void* p, std::size_t size) noexcept {
    if (sizeMismatch(p, size) && fromSuppressedLibrary(__builtin_return_address(0))) {
        ::operator delete[](p);
        return;
    }
    next(sizedArrayDelete, "_ZdaPvm")(p, size);
}

void operator delete(void* p, std::size_t size, std::align_val_t alignment) noexcept {
    if (sizeMismatch(p, size) && fromSuppressedLibrary(__builtin_return_address(0))) {
        ::operator delete(p, alignment);
        return;
    }
    next(sizedAlignedDelete, "_ZdlPvmSt11align_val_t")(p, size, alignment);
}

void operator delete[](void* p, std::size_t size, std::align_val_t alignment) noexcept {
    if (sizeMismatch(p, size) && fromSuppressedLibrary(__builtin_return_address(0))) {
        ::operator delete[](p, alignment);
        return;
    }
    next(sizedAlignedArrayDelete, "_ZdaPvmSt11align_val_t")(p, size, alignment);
}
