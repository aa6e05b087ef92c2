// Preloaded into a program under test (LD_PRELOAD): reads of one file fail with an I/O error from a
// chosen offset on, as on a disk with a bad spot there, so whole processes can be tested with a
// read that fails in the middle of a large file. The environment names the file and the offset,
// and is read at every call, so a test may set it while the program runs:
//   GLYPHMETER_FAIL_READ_PATH  the file (any path to it)
//   GLYPHMETER_FAIL_READ_AT    the first byte that cannot be read
// A read that starts before the offset returns the bytes up to it, as a real read would.
#include <dlfcn.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace {

// Bytes that may be read from `offset` on, or -1 when `fd` is not the failing file.
long long readableFrom(int fd, off_t offset) {
    const char* path = std::getenv("GLYPHMETER_FAIL_READ_PATH");
    const char* at = std::getenv("GLYPHMETER_FAIL_READ_AT");
    struct stat failing {};
    struct stat open {};
    if (path == nullptr || at == nullptr || offset < 0 || ::stat(path, &failing) != 0 ||
        ::fstat(fd, &open) != 0 || failing.st_dev != open.st_dev || failing.st_ino != open.st_ino) {
        return -1;
    }
    const long long failAt = std::atoll(at);
    return offset < failAt ? failAt - offset : 0;
}

// Shortens `count` to what may be read; false when nothing may (errno is then EIO).
bool limitRead(int fd, off_t offset, size_t& count) {
    const long long readable = readableFrom(fd, offset);
    if (readable == 0 && count > 0) {
        errno = EIO;
        return false;
    }
    if (readable > 0 && count > static_cast<unsigned long long>(readable)) {
        count = static_cast<size_t>(readable);
    }
    return true;
}

template <typename Call>
Call next(const char* name) {
    return reinterpret_cast<Call>(::dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" {

// Lets a test see that the shim is loaded.
int glyphmeter_read_failure_shim = 1;

ssize_t read(int fd, void* buffer, size_t count) {
    static const auto real = next<ssize_t (*)(int, void*, size_t)>("read");
    if (std::getenv("GLYPHMETER_FAIL_READ_PATH") != nullptr) {
        // Pipes have no offset; their error must not show in errno after a good read.
        const int saved = errno;
        const off_t offset = ::lseek(fd, 0, SEEK_CUR);
        errno = saved;
        if (offset >= 0 && !limitRead(fd, offset, count)) {
            return -1;
        }
    }
    return real(fd, buffer, count);
}

ssize_t pread(int fd, void* buffer, size_t count, off_t offset) {
    static const auto real = next<ssize_t (*)(int, void*, size_t, off_t)>("pread");
    if (!limitRead(fd, offset, count)) {
        return -1;
    }
    return real(fd, buffer, count, offset);
}

ssize_t pread64(int fd, void* buffer, size_t count, off_t offset) {
    static const auto real = next<ssize_t (*)(int, void*, size_t, off_t)>("pread64");
    if (!limitRead(fd, offset, count)) {
        return -1;
    }
    return real(fd, buffer, count, offset);
}
}
