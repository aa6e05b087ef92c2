// The tally over real files: results, the limit, and read failures.
#include "LetterTally.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <span>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "FileBlockInput.h"
#include "FileError.h"
#include "InputFile.h"
#include "ReaderBuffers.h"
#include "ReferenceTally.h"
#include "TempDir.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace glyphmeter::analysis {
namespace {

using testing::randomBytes;
using testing::randomUtf16;
using testing::referenceTally;
using testing::tallyFile;
using testing::TempDir;

struct Messages {
    std::vector<std::string> shown;
    MessageSink sink() {
        return [this](const std::string& text) { shown.push_back(text); };
    }
};

int slot(char letter) {
    return letter - 'A';
}

TEST(LetterTally, counts_upper_and_lower_case_together) {
    TempDir dir;
    Messages messages;
    const LetterTally hello = tallyFile(dir.write("hello.txt", "Hello, World"), messages.sink());
    EXPECT_EQ(hello.letterCounts[slot('L')], 3);
    EXPECT_EQ(hello.letterCounts[slot('O')], 2);
    for (const char letter : {'D', 'E', 'H', 'R', 'W'}) {
        EXPECT_EQ(hello.letterCounts[slot(letter)], 1) << letter;
    }
    EXPECT_EQ(hello.totalLetters, 10);
    EXPECT_FALSE(hello.limitReached);

    const LetterTally abc = tallyFile(dir.write("abc.txt", "abc"), messages.sink());
    EXPECT_EQ(abc.totalLetters, 3);
    EXPECT_EQ(abc.letterCounts[slot('C')], 1);
    EXPECT_TRUE(messages.shown.empty());
}

TEST(LetterTally, ignores_everything_but_ascii_letters) {
    TempDir dir;
    // Letter neighbours, line ends, tabs, digits, Latin-1 and UTF-8 accented letters, a NUL.
    const std::string text = std::string("@[`{\r\n\t0129 ") + "\xe9\xc9\xf1\xdf\xc4" +
                             "\xc3\xa9\xc3\x89" + std::string(1, '\0') + "\x7f\xff";
    Messages messages;
    const LetterTally tally = tallyFile(dir.write("none.txt", text), messages.sink());
    EXPECT_EQ(tally.totalLetters, 0);
    EXPECT_EQ(tally.letterCounts, (std::array<std::int32_t, 26>{}));

    const LetterTally empty = tallyFile(dir.write("empty.txt", ""), messages.sink());
    EXPECT_EQ(empty.totalLetters, 0);
    EXPECT_FALSE(empty.limitReached);
    EXPECT_TRUE(messages.shown.empty());
}

TEST(LetterTally, counts_the_ascii_letters_of_utf16_text) {
    TempDir dir;
    const char utf16[] = "\xff\xfeH\0i\0\r\0\n\0\xe9\0";  // BOM, "Hi", CR LF, e-acute
    Messages messages;
    const LetterTally tally = tallyFile(
        dir.write("utf16.txt", std::string_view(utf16, sizeof utf16 - 1)), messages.sink());
    EXPECT_EQ(tally.totalLetters, 2);
    EXPECT_EQ(tally.letterCounts[slot('H')], 1);
    EXPECT_EQ(tally.letterCounts[slot('I')], 1);
}

// UTF-16 with a byte-order mark counts by code unit; nothing else is ever taken for UTF-16.
TEST(LetterTally, utf16_text_counts_letters_by_code_unit_only_after_a_byte_order_mark) {
    // "Привет, мир! abc": the "т" (U+0442) is the bytes 42 04, a phantom B when read by byte.
    const std::u16string russian = u"Привет, мир! abc";
    const auto utf16 = [&](bool bigEndian) {
        const std::vector<std::byte> bytes = testing::utf16Bytes(russian, bigEndian);
        return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    };
    const struct {
        std::string name;
        std::string bytes;
        std::string letters;  // what is counted, in any order
    } cases[] = {
        {"little-endian", utf16(false), "ABC"},
        {"big-endian", utf16(true), "ABC"},
        {"odd last byte", utf16(false) + "Z", "ABC"},
        {"surrogate pair",
         std::string("\xff\xfe\x3d\xd8\x41\xde"
                     "a\0",
                     8),
         "A"},
        {"mark alone", "\xff\xfe", ""},
        {"half a mark", "\xff", ""},
        {"mark not at the start",
         std::string(" \xff\xfe"
                     "A\0",
                     5),
         "A"},
        {"UTF-8 with its mark",
         "\xef\xbb\xbf\xd0\xbf\xd1\x80"
         "abc",
         "ABC"},
    };
    TempDir dir;
    for (const auto& c : cases) {
        LetterTally expected;
        for (const char letter : c.letters) {
            ++expected.letterCounts[slot(letter)];
            ++expected.totalLetters;
        }
        const LetterTally tally = tallyFile(dir.write("text", c.bytes), {});
        EXPECT_EQ(tally.letterCounts, expected.letterCounts) << c.name;
        EXPECT_EQ(tally.totalLetters, expected.totalLetters) << c.name;
    }
}

// Whatever sizes the two readers ask for, one after the other as files come, each gets at least
// that much, and never memory the other one reads into (full blocks share one huge page).
TEST(ReaderBuffers, the_two_readers_never_read_into_the_same_memory) {
    ReaderBuffers buffers;
    for (const std::size_t size :
         {std::size_t{1}, std::size_t{5000}, std::size_t{300} << 10, detail::defaultBlockSize,
          std::size_t{3} << 20, std::size_t{7}}) {
        const std::span<std::byte> first = buffers.forReader(0, size);
        const std::span<std::byte> second = buffers.forReader(1, size);
        EXPECT_GE(first.size(), size);
        EXPECT_GE(second.size(), size);
        const bool apart = first.data() + first.size() <= second.data() ||
                           second.data() + second.size() <= first.data();
        EXPECT_TRUE(apart) << size;
        std::fill(first.begin(), first.end(), std::byte{1});  // all of it may be written
        std::fill(second.begin(), second.end(), std::byte{2});
        EXPECT_EQ(first.back(), std::byte{1}) << size;
    }
}

// One set of buffers for files of every size in turn, small after large and back, bytes and
// UTF-16: each result is that file's own, as if counted with fresh buffers.
TEST(LetterTally, buffers_kept_from_file_to_file_give_each_file_its_own_counts) {
    TempDir dir;
    constexpr std::size_t block = detail::defaultBlockSize;
    const std::vector<std::vector<std::byte>> texts{
        randomBytes(3 * block + 7, 31),
        randomBytes(0, 32),
        randomBytes(1, 33),
        randomBytes(5000, 34),
        randomUtf16(70000, 35, true),
        randomBytes(block, 36),
        randomBytes(2, 37),
        randomBytes(block + 1, 38),
        randomUtf16(9, 39, false),
    };
    ReaderBuffers buffers;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        InputFile file = InputFile::open(dir.write("text" + std::to_string(i), texts[i]));
        const LetterTally tally = tallyLetters(file, {}, letterLimit, &buffers);
        EXPECT_EQ(tally.letterCounts, referenceTally(texts[i]).tally.letterCounts) << i;
    }
}

TEST(LetterTally, limit_reached_on_the_last_byte_stops_with_one_message) {
    TempDir dir;
    Messages messages;
    const LetterTally tally = tallyFile(dir.write("five.txt", "ab cde"), messages.sink(), 5);
    EXPECT_TRUE(tally.limitReached);
    EXPECT_EQ(tally.totalLetters, 5);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0], limitMessage(5));

    const LetterTally under = tallyFile(dir.path() / "five.txt", messages.sink(), 6);
    EXPECT_FALSE(under.limitReached);
    EXPECT_EQ(messages.shown.size(), 1u);
}

TEST(LetterTally, limit_message_reads_as_designed) {
    EXPECT_EQ(limitMessage(),
              "Input file size exceeds this programs maximum of 2100000000 chars.  Counting "
              "stopped at this point, but results will be valid up to this point.");
}

#ifndef _WIN32
// The Windows reasons are the system's own texts: see windows_test.cpp.
TEST(LetterTally, failures_name_the_path_and_the_reason) {
    TempDir dir;
    const auto expectFailure = [](const std::filesystem::path& path, const std::string& reason) {
        try {
            tallyFile(path, {});
            ADD_FAILURE() << "no error for " << path;
        } catch (const FileError& error) {
            EXPECT_EQ(error.path(), path);
            EXPECT_EQ(error.reason(), reason);
            EXPECT_EQ(std::string(error.what()), error.displayPath() + ": " + reason);
        }
    };
    expectFailure(dir.path() / "missing.txt", "No such file or directory");
    expectFailure(dir.path(), "Is a directory");
}

int openDescriptors() {
    int count = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator("/proc/self/fd")) {
        ++count;
    }
    return count;
}

TEST(LetterTally, read_error_is_never_taken_for_the_end_of_the_file) {
    // Reading the process's own memory at address 0 fails with an I/O error, even as root.
    const int before = openDescriptors();
    for (const int threads : {1, 2}) {
        InputFile file = InputFile::open("/proc/self/mem");
        detail::FileBlockInput input(file);
        EXPECT_THROW(detail::tallyLetters(input, {}, letterLimit, 4096, threads), FileError);
    }
    try {
        tallyFile("/proc/self/mem", {});
        ADD_FAILURE() << "no error";
    } catch (const FileError& error) {
        EXPECT_EQ(error.reason(), "Input/output error");
        EXPECT_EQ(error.displayPath(), "/proc/self/mem");
    }
    EXPECT_EQ(openDescriptors(), before);
}

TEST(LetterTally, unreadable_file_reports_permission_denied) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "running as root: file permissions do not stop root from reading";
    }
    TempDir dir;
    const auto path = dir.write("locked.txt", "abc");
    std::filesystem::permissions(path, std::filesystem::perms::none);
    EXPECT_THROW(
        {
            try {
                tallyFile(path, {});
            } catch (const FileError& error) {
                EXPECT_EQ(error.reason(), "Permission denied");
                throw;
            }
        },
        FileError);
}

TEST(LetterTally, reads_a_pipe_to_its_end) {
    TempDir dir;
    const auto fifo = dir.path() / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const auto bytes = randomBytes(300000, 3);
    std::thread writer([&] {
        std::FILE* out = std::fopen(fifo.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), out);
        std::fclose(out);
    });
    InputFile file = InputFile::open(fifo);
    EXPECT_FALSE(file.supportsPositionedReads());
    const LetterTally tally = tallyLetters(file, {});
    writer.join();
    EXPECT_EQ(tally.letterCounts, referenceTally(bytes).tally.letterCounts);
}
#endif

}  // namespace
}  // namespace glyphmeter::analysis
