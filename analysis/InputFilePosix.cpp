// InputFile on POSIX systems: open(2), pread(2), read(2).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <utility>

#include "FileError.h"
#include "InputFile.h"

namespace glyphmeter::analysis {

namespace {

std::string systemReason(int error) {
    return std::generic_category().message(error);
}

[[noreturn]] void fail(const std::filesystem::path& path, int error) {
    throw FileError(path, systemReason(error));
}

}  // namespace

InputFile::InputFile(std::filesystem::path path, Handle handle, bool owned, bool positioned)
    : path_(std::move(path)), handle_(handle), owned_(owned), positioned_(positioned) {}

InputFile::InputFile(InputFile&& other) noexcept
    : path_(std::move(other.path_)),
      handle_(other.handle_),
      owned_(std::exchange(other.owned_, false)),
      positioned_(other.positioned_) {}

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
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    }
    return file;
}

InputFile InputFile::standardInput() {
    struct stat info {};
    const bool regular = ::fstat(STDIN_FILENO, &info) == 0 && S_ISREG(info.st_mode) &&
                         ::lseek(STDIN_FILENO, 0, SEEK_CUR) == 0;
    return InputFile("-", STDIN_FILENO, false, regular);
}

std::size_t InputFile::readAt(std::uint64_t offset, std::span<std::byte> buffer) {
    const int fd = static_cast<int>(handle_);
    std::size_t done = 0;
    while (done < buffer.size()) {
        const ssize_t got = ::pread(fd, buffer.data() + done, buffer.size() - done,
                                    static_cast<off_t>(offset + done));
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            fail(path_, errno);
        }
        if (got == 0) {
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    return done;
}

std::size_t InputFile::read(std::span<std::byte> buffer) {
    const int fd = static_cast<int>(handle_);
    std::size_t done = 0;
    while (done < buffer.size()) {
        const ssize_t got = ::read(fd, buffer.data() + done, buffer.size() - done);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            fail(path_, errno);
        }
        if (got == 0) {
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    return done;
}

}  // namespace glyphmeter::analysis
