// The tally on Windows: Unicode file names, the system's own error texts, files other programs
// hold locked, CR LF text, pipes and offsets past 4 GiB.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "FileError.h"
#include "InputFile.h"
#include "LetterTally.h"
#include "ReferenceTally.h"
#include "TempDir.h"
#include "WindowsSystemText.h"

namespace glyphmeter::analysis {
namespace {

using testing::randomBytes;
using testing::referenceTally;
using testing::systemText;
using testing::tallyFile;
using testing::TempDir;

int slot(char letter) {
    return letter - 'A';
}

FileError tallyFailure(const std::filesystem::path& path) {
    try {
        tallyFile(path, {});
    } catch (const FileError& error) {
        return error;
    }
    ADD_FAILURE() << "no error for " << path;
    return FileError(path, "");
}

// Succeeds only while no one else has the file open: proves the tally closed it.
bool openExclusively(const std::filesystem::path& path) {
    const HANDLE handle =
        ::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    ::CloseHandle(handle);
    return true;
}

TEST(WindowsTally, failures_name_the_file_and_the_system_reason) {
    TempDir dir;
    const auto missing = dir.path() / "missing.txt";
    const auto locked = dir.write("locked.txt", "abc");
    // Another program holding the file open without sharing it, as editors and logs do.
    const HANDLE holder =
        ::CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);

    const struct {
        std::filesystem::path path;
        std::string reason;
    } cases[] = {
        {missing, systemText(ERROR_FILE_NOT_FOUND)},
        {dir.path() / "no folder" / "a.txt", systemText(ERROR_PATH_NOT_FOUND)},
        {dir.path(), "Is a folder, not a file."},
        {locked, systemText(ERROR_SHARING_VIOLATION)},
    };
    for (const auto& expected : cases) {
        const FileError error = tallyFailure(expected.path);
        EXPECT_EQ(error.path(), expected.path);
        EXPECT_EQ(error.reason(), expected.reason);
        EXPECT_FALSE(error.reason().empty());
        EXPECT_NE(error.reason().back(), '\n');
        EXPECT_EQ(std::string(error.what()), error.displayPath() + ": " + expected.reason);
    }
    ::CloseHandle(holder);
    EXPECT_EQ(tallyFile(locked, {}).totalLetters, 3);
    EXPECT_TRUE(openExclusively(locked));
}

TEST(WindowsTally, file_named_with_non_ascii_characters_is_counted_and_named_in_utf8) {
    TempDir dir;
    const std::filesystem::path name(u8"Ünïcödé ✓.txt");
    const auto path = dir.write(name, "Hello, World");
    const LetterTally tally = tallyFile(path, {});
    EXPECT_EQ(tally.totalLetters, 10);
    EXPECT_EQ(tally.letterCounts[slot('L')], 3);
    EXPECT_TRUE(openExclusively(path));

    const FileError error = tallyFailure(dir.path() / u8"Ünïcödé ✗.txt");
    const std::u8string shown = (dir.path() / u8"Ünïcödé ✗.txt").u8string();
    EXPECT_EQ(error.displayPath(), std::string(shown.begin(), shown.end()));
    EXPECT_NE(error.displayPath().find("\xc3\x9cn\xc3\xaf"), std::string::npos);
}

TEST(WindowsTally, path_longer_than_max_path_is_read) {
    TempDir dir;
    // Made through the \\?\ form, which takes long names on every Windows version.
    const std::wstring verbatim = L"\\\\?\\" + dir.path().wstring();
    const std::wstring first = std::wstring(150, L'a');
    const std::wstring second = std::wstring(150, L'b');
    ASSERT_TRUE(::CreateDirectoryW((verbatim + L"\\" + first).c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW((verbatim + L"\\" + first + L"\\" + second).c_str(), nullptr));
    const std::wstring file = verbatim + L"\\" + first + L"\\" + second + L"\\long.txt";
    const HANDLE handle = ::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ::WriteFile(handle, "Hello, World", 12, &written, nullptr);
    ::CloseHandle(handle);

    // The plain name, with a ".." and a forward slash that the long form cannot take as they are.
    const auto path = dir.path() / "x" / ".." / first / (second + L"/long.txt");
    ASSERT_GT(path.native().size(), std::size_t{MAX_PATH});
    EXPECT_EQ(detail::windowsApiName(path), file);
    EXPECT_EQ(tallyFile(path, {}).totalLetters, 10);

    // Relative names, long themselves or only once joined to the current folder, which is put
    // back even when a check fails (the folder could not be removed otherwise).
    struct CurrentFolder {
        std::filesystem::path previous = std::filesystem::current_path();
        ~CurrentFolder() { std::filesystem::current_path(previous); }
    } restore;
    const struct {
        std::filesystem::path folder;
        std::filesystem::path name;
    } relative[] = {
        {dir.path(), std::filesystem::path(first) / second / "long.txt"},
        {dir.path() / first, std::filesystem::path(L"..\\") / first / (second + L"/long.txt")},
        {dir.path() / first, std::filesystem::path(second) / "long.txt"},
    };
    for (const auto& [folder, name] : relative) {
        std::filesystem::current_path(folder);
        ASSERT_GT((folder / name).native().size(), std::size_t{MAX_PATH});
        // Wine takes long names as they are, Windows only in the long form.
        EXPECT_EQ(detail::windowsApiName(name), file) << name;
        EXPECT_EQ(tallyFile(name, {}).totalLetters, 10) << name;
        const auto missing = name.parent_path() / "missing.txt";
        EXPECT_EQ(tallyFailure(missing).reason(), systemText(ERROR_FILE_NOT_FOUND)) << missing;
    }

    ::DeleteFileW(file.c_str());
    ::RemoveDirectoryW((verbatim + L"\\" + first + L"\\" + second).c_str());
    ::RemoveDirectoryW((verbatim + L"\\" + first).c_str());
}

TEST(WindowsTally, crlf_text_and_the_end_of_file_character_are_read_as_plain_bytes) {
    TempDir dir;
    // A text-mode read would fold CR LF and stop at Ctrl+Z (0x1A); the tally reads every byte.
    const auto path = dir.write("crlf.txt",
                                "Hello,\r\nWorld\r\n\x1a"
                                "after\r\n");
    const LetterTally tally = tallyFile(path, {});
    EXPECT_EQ(tally.totalLetters, 15);
    EXPECT_EQ(tally.letterCounts[slot('E')], 2);
    EXPECT_EQ(tally.letterCounts[slot('R')], 2);
}

TEST(WindowsTally, small_limit_stops_inside_a_large_file_with_one_message) {
    TempDir dir;
    const auto bytes = randomBytes(3 * detail::defaultBlockSize + 17, 9);
    const auto path = dir.write("large.bin", bytes);
    for (const std::int32_t limit : {1, 1000, referenceTally(bytes).tally.totalLetters - 1}) {
        std::vector<std::string> shown;
        const LetterTally tally = tallyFile(
            path, [&](const std::string& text) { shown.push_back(text); }, limit);
        const auto expected = referenceTally(bytes, limit).tally;
        EXPECT_EQ(tally.letterCounts, expected.letterCounts) << limit;
        EXPECT_TRUE(tally.limitReached);
        EXPECT_EQ(shown, std::vector<std::string>{limitMessage(limit)});
    }
}

TEST(WindowsTally, pipe_is_read_to_its_end) {
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    ASSERT_TRUE(::CreatePipe(&readEnd, &writeEnd, nullptr, 4096));
    const auto bytes = randomBytes(300000, 5);
    std::thread writer([&] {
        DWORD written = 0;
        ::WriteFile(writeEnd, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        // Closing the writing end is how the reader learns of the end: a broken pipe.
        ::CloseHandle(writeEnd);
    });
    const HANDLE savedInput = ::GetStdHandle(STD_INPUT_HANDLE);
    ::SetStdHandle(STD_INPUT_HANDLE, readEnd);
    InputFile input = InputFile::standardInput();
    EXPECT_FALSE(input.supportsPositionedReads());
    const LetterTally tally = tallyLetters(input, {});
    writer.join();
    ::SetStdHandle(STD_INPUT_HANDLE, savedInput);
    ::CloseHandle(readEnd);
    EXPECT_EQ(tally.letterCounts, referenceTally(bytes).tally.letterCounts);
}

TEST(WindowsTally, positioned_reads_reach_past_four_gibibytes) {
    TempDir dir;
    const auto path = dir.path() / "sparse.bin";
    const HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    // Sparse, so no disk space is taken by the zeros (may be refused; the file is then just big).
    DWORD ignored = 0;
    ::DeviceIoControl(handle, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ignored, nullptr);
    const std::uint64_t beyond4GiB = (std::uint64_t{5} << 30) + 3;
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(beyond4GiB);
    ASSERT_TRUE(::SetFilePointerEx(handle, at, nullptr, FILE_BEGIN));
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(handle, "xyz", 3, &written, nullptr));
    ::CloseHandle(handle);

    InputFile file = InputFile::open(path);
    ASSERT_TRUE(file.supportsPositionedReads());
    std::vector<std::byte> buffer(8);
    ASSERT_EQ(file.readAt(beyond4GiB - 1, buffer), 4u);
    EXPECT_EQ(static_cast<char>(buffer[0]), '\0');
    EXPECT_EQ(static_cast<char>(buffer[1]), 'x');
    EXPECT_EQ(static_cast<char>(buffer[3]), 'z');
    EXPECT_EQ(file.readAt(beyond4GiB + 3, buffer), 0u);
    EXPECT_EQ(file.readAt(std::uint64_t{1} << 40, buffer), 0u);
}

}  // namespace
}  // namespace glyphmeter::analysis
