// InputFile on Windows: CreateFileW, and ReadFile with or without an explicit offset.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <string>
#include <utility>

#include "FileError.h"
#include "FillBuffer.h"
#include "InputFile.h"

namespace glyphmeter::analysis {

// Windows refuses names of MAX_PATH characters or more unless the program may use long paths (its
// manifest says so and the system allows them) or the name carries the \\?\ prefix, which takes
// an absolute name only and switches off the tidying of ".", ".." and "/". So a name that is long
// once joined to the current folder (a relative one may be short itself) is made absolute, tidied
// and prefixed here; shorter ones go as they are.
std::wstring detail::windowsApiName(const std::filesystem::path& path) {
    const std::wstring& given = path.native();
    if ((path.is_absolute() && given.size() < MAX_PATH) || given.starts_with(L"\\\\?\\") ||
        given.starts_with(L"\\\\.\\")) {
        return given;
    }
    std::error_code error;
    const std::filesystem::path full = std::filesystem::absolute(path, error);
    if (error) {
        return given;
    }
    std::wstring name = full.lexically_normal().make_preferred().native();
    if (name.size() < MAX_PATH) {
        return given;
    }
    if (name.starts_with(L"\\\\")) {
        return L"\\\\?\\UNC\\" + name.substr(2);  // \\server\share\...
    }
    return L"\\\\?\\" + name;
}

namespace {

// Windows has no message of its own for opening a folder as a file: it says "Access is denied".
constexpr const char* folderReason = "Is a folder, not a file.";

// The largest single ReadFile request: its length is a DWORD.
constexpr std::size_t maxRequest = std::size_t{1} << 30;

HANDLE native(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

std::string utf8(const wchar_t* text, int length) {
    if (length <= 0) {
        return {};
    }
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, length, result.data(), size, nullptr, nullptr);
    return result;
}

// The system's description of `error` in the user's language, as UTF-8 and without the line
// break Windows ends its messages with (the closing full stop stays, as Windows writes it).
std::string systemReason(DWORD error) {
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::string reason;
    if (length > 0 && buffer != nullptr) {
        DWORD end = length;
        while (end > 0 &&
               (buffer[end - 1] == L'\r' || buffer[end - 1] == L'\n' || buffer[end - 1] == L' ')) {
            --end;
        }
        reason = utf8(buffer, static_cast<int>(end));
    }
    if (buffer != nullptr) {
        ::LocalFree(buffer);
    }
    if (reason.empty()) {
        reason = "Windows error " + std::to_string(error) + ".";
    }
    return reason;
}

[[noreturn]] void fail(const std::filesystem::path& path, DWORD error) {
    throw FileError(path, systemReason(error),
                    std::error_code(static_cast<int>(error), std::system_category()));
}

bool isFolder(const std::filesystem::path& path) {
    const DWORD attributes = ::GetFileAttributesW(detail::windowsApiName(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Positioned reads need a file on disk; pipes, consoles and devices are read in sequence.
bool isDiskFile(HANDLE handle) {
    if (::GetFileType(handle) != FILE_TYPE_DISK) {
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    return ::GetFileInformationByHandle(handle, &info) != 0 &&
           (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::optional<std::uint64_t> diskFileSize(HANDLE handle) {
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(handle, &size) || size.QuadPart < 0) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(size.QuadPart);
}

DWORD requestSize(std::size_t left) {
    return static_cast<DWORD>(left < maxRequest ? left : maxRequest);
}

// One ReadFile call; `endOfInput` is the error by which this kind of read reports the end.
// Returns the bytes read, 0 at the end.
std::size_t readOrFail(HANDLE handle, std::byte* destination, std::size_t size, OVERLAPPED* where,
                       DWORD endOfInput, const std::filesystem::path& path) {
    DWORD got = 0;
    if (!::ReadFile(handle, destination, requestSize(size), &got, where)) {
        const DWORD error = ::GetLastError();
        if (error == endOfInput) {
            return 0;
        }
        fail(path, error);
    }
    return got;
}

}  // namespace

InputFile::~InputFile() {
    if (owned_) {
        ::CloseHandle(native(handle_));
    }
}

InputFile InputFile::open(const std::filesystem::path& path) {
    // Share everything: the file is only read, and another program writing, renaming or deleting
    // it meanwhile should not be refused because of us.
    const HANDLE handle =
        ::CreateFileW(detail::windowsApiName(path).c_str(), GENERIC_READ,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_ACCESS_DENIED && isFolder(path)) {
            throw FileError(path, folderReason, std::make_error_code(std::errc::is_a_directory));
        }
        fail(path, error);
    }
    InputFile file(path, reinterpret_cast<Handle>(handle), true, false);
    file.positioned_ = isDiskFile(handle);
    if (file.positioned_) {
        file.sizeAtOpen_ = diskFileSize(handle);
    }
    return file;
}

InputFile InputFile::standardInput() {
    const HANDLE handle = ::GetStdHandle(STD_INPUT_HANDLE);
    LARGE_INTEGER position{};
    // A redirected file read from its start may be read by blocks at offsets, like a named file.
    const bool positioned = handle != nullptr && handle != INVALID_HANDLE_VALUE &&
                            isDiskFile(handle) &&
                            ::SetFilePointerEx(handle, LARGE_INTEGER{}, &position, FILE_CURRENT) &&
                            position.QuadPart == 0;
    InputFile file("-", reinterpret_cast<Handle>(handle), false, positioned);
    if (positioned) {
        file.sizeAtOpen_ = diskFileSize(handle);
    }
    return file;
}

std::size_t InputFile::readAt(std::uint64_t offset, std::span<std::byte> buffer) {
    return fillBuffer(buffer, [&](std::byte* destination, std::size_t size, std::size_t done) {
        const std::uint64_t at = offset + done;
        OVERLAPPED where{};
        where.Offset = static_cast<DWORD>(at & 0xffffffffu);
        where.OffsetHigh = static_cast<DWORD>(at >> 32);
        // A read that starts at or past the end of a file reports ERROR_HANDLE_EOF, not 0 bytes.
        return readOrFail(native(handle_), destination, size, &where, ERROR_HANDLE_EOF, path_);
    });
}

std::size_t InputFile::read(std::span<std::byte> buffer) {
    return fillBuffer(buffer, [&](std::byte* destination, std::size_t size, std::size_t) {
        // The writing end of a pipe has closed: that is how a pipe ends on Windows.
        return readOrFail(native(handle_), destination, size, nullptr, ERROR_BROKEN_PIPE, path_);
    });
}

}  // namespace glyphmeter::analysis
