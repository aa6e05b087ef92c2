// A file opened for reading, with the two ways the tally reads it: positioned reads for regular
// files (so several threads can read different blocks) and plain sequential reads for everything
// else (pipes, terminals). Each platform has its own implementation file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

namespace glyphmeter::analysis {

class InputFile {
  public:
    // Opens `path` read-only. Throws FileError (missing, permission denied, a directory, ...).
    static InputFile open(const std::filesystem::path& path);
    // The process's standard input, not closed by this object.
    static InputFile standardInput();

    InputFile(InputFile&& other) noexcept;
    InputFile& operator=(InputFile&&) = delete;
    InputFile(const InputFile&) = delete;
    ~InputFile();

    // True when readAt may be used: the file is a regular file.
    bool supportsPositionedReads() const noexcept { return positioned_; }

    // A regular file's size when it was opened; nullopt for pipes and devices. The file may have
    // grown or shrunk since: the reads tell where it ends.
    std::optional<std::uint64_t> sizeAtOpen() const noexcept { return sizeAtOpen_; }

    // Reads up to buffer.size() bytes starting at `offset`; fewer only at the end of the file.
    // Returns the number of bytes read, 0 at or past the end. Throws FileError on a read error.
    std::size_t readAt(std::uint64_t offset, std::span<std::byte> buffer);

    // Reads the next bytes in sequence, filling `buffer` unless the end comes first.
    std::size_t read(std::span<std::byte> buffer);

    const std::filesystem::path& path() const noexcept { return path_; }

  private:
    using Handle = std::intptr_t;
    InputFile(std::filesystem::path path, Handle handle, bool owned, bool positioned);

    std::filesystem::path path_;
    Handle handle_;
    bool owned_;
    bool positioned_;
    std::optional<std::uint64_t> sizeAtOpen_;
};

#ifdef _WIN32
namespace detail {
// The name InputFile gives the Windows file API for `path`: as it is, or in the \\?\ form when
// it reaches MAX_PATH characters once joined to the current folder and tidied.
std::wstring windowsApiName(const std::filesystem::path& path);
}  // namespace detail
#endif

}  // namespace glyphmeter::analysis
