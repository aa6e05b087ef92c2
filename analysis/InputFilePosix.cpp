// InputFile on POSIX systems: open(2), pread(2), read(2).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "FileError.h"
#include "FillBuffer.h"
#include "InputFile.h"

namespace glyphmeter::analysis {

namespace {

constexpr off_t readAheadWorthFrom = off_t{1} << 20;

std::string systemReason(int error) {
    return std::generic_category().message(error);
}

[[noreturn]] void fail(const std::filesystem::path& path, int error) {
    throw FileError(path, systemReason(error), std::error_code(error, std::generic_category()));
}

// Runs one read call, again when a signal interrupted it; returns the bytes read, 0 at the end.
template <typename Call>
std::size_t readOrFail(const std::filesystem::path& path, Call call) {
    for (;;) {
        const ssize_t got = call();
        if (got >= 0) {
            return static_cast<std::size_t>(got);
        }
        if (errno != EINTR) {
            fail(path, errno);
        }
    }
}

}  // namespace

InputFile::~InputFile() {
    if (owned_) {
        ::close(static_cast<int>(handle_));
    }
}

InputFile InputFile::open(const std::filesystem::path& path) {
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        fail(path, errno);
    }
    InputFile file(path, fd, true, false);
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        fail(path, errno);
    }
    // Reading a directory fails only at the first read on some systems; say so at once.
    if (S_ISDIR(info.st_mode)) {
        fail(path, EISDIR);
    }
    file.positioned_ = S_ISREG(info.st_mode);
    if (file.positioned_) {
        file.sizeAtOpen_ = static_cast<std::uint64_t>(info.st_size);
        // Larger read-ahead for files long enough to need it; a small file is read in one go.
        if (info.st_size > readAheadWorthFrom) {
            ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
        }
    }
    return file;
}

InputFile InputFile::standardInput() {
    struct stat info {};
    const bool regular = ::fstat(STDIN_FILENO, &info) == 0 && S_ISREG(info.st_mode) &&
                         ::lseek(STDIN_FILENO, 0, SEEK_CUR) == 0;
    InputFile file("-", STDIN_FILENO, false, regular);
    if (regular) {
        file.sizeAtOpen_ = static_cast<std::uint64_t>(info.st_size);
    }
    return file;
}

std::size_t InputFile::readAt(std::uint64_t offset, std::span<std::byte> buffer) {
    const int fd = static_cast<int>(handle_);
    return fillBuffer(buffer, [&](std::byte* destination, std::size_t size, std::size_t done) {
        return readOrFail(path_, [&] {
            return ::pread(fd, destination, size, static_cast<off_t>(offset + done));
        });
    });
}

std::size_t InputFile::read(std::span<std::byte> buffer) {
    const int fd = static_cast<int>(handle_);
    return fillBuffer(buffer, [&](std::byte* destination, std::size_t size, std::size_t) {
        return readOrFail(path_, [&] { return ::read(fd, destination, size); });
    });
}

}  // namespace glyphmeter::analysis
