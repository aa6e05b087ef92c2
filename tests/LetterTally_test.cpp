// The tally over real files: results, the limit, and read failures.
#include "LetterTally.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <mutex>
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

// Small blocks make a few kilobytes span many blocks, so two readers interleave and the limit
// lands at every position of a block; the same for UTF-16 text in both byte orders, one with an
// odd last byte.
TEST(LetterTally, matches_the_reference_for_every_block_size_thread_count_and_limit) {
    TempDir dir;
    const std::vector<std::pair<std::string, std::vector<std::byte>>> texts{
        {"bytes", randomBytes(2001, 42)},
        {"utf-16le", randomUtf16(300, 43, false, true, true)},
        {"utf-16be", randomUtf16(300, 44, true)},
    };
    for (const auto& [name, bytes] : texts) {
        const auto path = dir.write(name, bytes);
        const std::int32_t letters = referenceTally(bytes).tally.totalLetters;
        std::vector<std::int32_t> everyLimit;
        for (std::int32_t limit = -1; limit <= letters + 1; ++limit) {
            everyLimit.push_back(limit);
        }
        const std::vector<std::int32_t> someLimits{-1,          0,           1,       2,
                                                   letters / 2, letters - 1, letters, letters + 1};
        for (const std::size_t blockSize : {1u, 7u, 64u, 1000u, 4096u}) {
            const bool sweep = blockSize == 7 || blockSize == 64;
            for (const int threads : {1, 2}) {
                for (const std::int32_t limit : sweep ? everyLimit : someLimits) {
                    const auto expected = referenceTally(bytes, limit);
                    InputFile file = InputFile::open(path);
                    detail::FileBlockInput input(file);
                    Messages messages;
                    const LetterTally tally =
                        detail::tallyLetters(input, messages.sink(), limit, blockSize, threads);
                    const std::string where = name + " block " + std::to_string(blockSize) +
                                              " threads " + std::to_string(threads) + " limit " +
                                              std::to_string(limit);
                    ASSERT_EQ(tally.letterCounts, expected.tally.letterCounts) << where;
                    ASSERT_EQ(tally.totalLetters, expected.tally.totalLetters) << where;
                    ASSERT_EQ(tally.limitReached, expected.tally.limitReached) << where;
                    ASSERT_EQ(messages.shown.size(), expected.tally.limitReached ? 1u : 0u)
                        << where;
                }
            }
        }
    }
}

// UTF-16 with a byte-order mark counts by code unit; nothing else is ever taken for UTF-16.
TEST(LetterTally, utf16_text_counts_letters_by_code_unit_only_after_a_byte_order_mark) {
    // "Привет, мир! abc": the "т" (U+0442) is the bytes 42 04, a phantom B when read by byte.
    const std::u16string russian = u"Привет, мир! abc";
    const auto utf16 = [&](bool bigEndian) {
        std::string bytes = bigEndian ? "\xfe\xff" : "\xff\xfe";
        for (const char16_t unit : russian) {
            const char high = static_cast<char>(unit >> 8);
            const char low = static_cast<char>(unit & 0xFF);
            bytes += bigEndian ? std::string{high, low} : std::string{low, high};
        }
        return bytes;
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

// A real file whose reads fail with an I/O error once they reach `failAt`, as on a disk with a bad
// spot there; read by position (from one or two threads) or in sequence.
class FailingFile final : public detail::BlockInput {
  public:
    FailingFile(const std::filesystem::path& path, std::uint64_t failAt, bool positioned)
        : file_(InputFile::open(path)), failAt_(failAt), positioned_(positioned) {}
    bool supportsPositionedReads() const override { return positioned_; }
    std::size_t readAt(std::uint64_t offset, std::span<std::byte> buffer) override {
        failFrom(offset, buffer.size());
        return file_.readAt(offset, buffer);
    }
    std::size_t read(std::span<std::byte> buffer) override {
        failFrom(position_, buffer.size());
        const std::size_t got = file_.read(buffer);
        position_ += got;
        return got;
    }

  private:
    void failFrom(std::uint64_t offset, std::size_t size) const {
        if (offset + size > failAt_) {
            throw FileError(file_.path(), "Input/output error");
        }
    }
    InputFile file_;
    const std::uint64_t failAt_;
    const bool positioned_;
    std::uint64_t position_ = 0;
};

// The threads of this process once those that have ended are gone: a joined thread may still be
// listed for a moment, as the system removes it only after join() has returned.
int runningThreads(int expected = -1) {
#ifdef __linux__
    int count = 0;
    for (int attempt = 0; attempt < 2000; ++attempt) {
        count = 0;
        for ([[maybe_unused]] const auto& entry :
             std::filesystem::directory_iterator("/proc/self/task")) {
            ++count;
        }
        if (expected < 0 || count <= expected) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return count;
#else
    return expected < 0 ? 0 : expected;
#endif
}

// The limit falls in block 40 of 64. A failure in or before that block is an error naming the file
// and the reason, with no counts and no message; one after it is never reached, as nothing past
// the stopping point is read.
TEST(LetterTally, read_failing_in_the_middle_is_an_error_unless_the_limit_stops_before_it) {
    TempDir dir;
    constexpr std::size_t blockSize = 4096;
    const auto bytes = randomBytes(64 * blockSize, 9);
    const auto path = dir.write("large.bin", bytes);
    const std::span<const std::byte> all(bytes);
    const std::int32_t limit = (referenceTally(all.first(40 * blockSize)).tally.totalLetters +
                                referenceTally(all.first(41 * blockSize)).tally.totalLetters) /
                               2;
    const int threadsBefore = runningThreads();
    for (const auto& [positioned, threads] : {std::pair{true, 1}, {true, 2}, {false, 1}}) {
        for (const std::uint64_t failAt :
             {std::uint64_t{5 * blockSize + 100}, std::uint64_t{39 * blockSize + 17},
              std::uint64_t{40 * blockSize + 4095}, std::uint64_t{41 * blockSize + 1}}) {
            for (const std::int32_t tallyLimit : {limit, letterLimit}) {
                const std::string where = std::string(positioned ? "positioned" : "sequential") +
                                          " threads " + std::to_string(threads) + " failing at " +
                                          std::to_string(failAt) + " limit " +
                                          std::to_string(tallyLimit);
                FailingFile input(path, failAt, positioned);
                Messages messages;
                const bool reached = tallyLimit == limit && failAt >= 41 * blockSize;
                try {
                    const LetterTally tally = detail::tallyLetters(input, messages.sink(),
                                                                   tallyLimit, blockSize, threads);
                    EXPECT_TRUE(reached) << where << ": no error";
                    EXPECT_EQ(tally.letterCounts, referenceTally(bytes, limit).tally.letterCounts)
                        << where;
                    EXPECT_EQ(messages.shown.size(), 1u) << where;
                } catch (const FileError& error) {
                    EXPECT_FALSE(reached) << where << ": " << error.what();
                    EXPECT_EQ(error.path(), path) << where;
                    EXPECT_EQ(error.reason(), "Input/output error") << where;
                    EXPECT_TRUE(messages.shown.empty()) << where;
                }
                EXPECT_EQ(runningThreads(threadsBefore), threadsBefore) << where;
            }
        }
    }
}

// The second reader fails as it starts, as when there is no memory for its buffer: the caller gets
// the failure, whatever the first reader has done meanwhile, and no thread is left behind.
TEST(LetterTally, failure_in_the_second_reader_reaches_the_caller) {
    struct FailingSecondReader {
        FailingSecondReader() {
            detail::secondReaderStarting = [] { throw std::bad_alloc(); };
        }
        ~FailingSecondReader() { detail::secondReaderStarting = nullptr; }
    };
    TempDir dir;
    const auto path = dir.write("large.bin", randomBytes(64 * 4096, 21));
    const int threadsBefore = runningThreads();
    {
        const FailingSecondReader failing;
        InputFile file = InputFile::open(path);
        detail::FileBlockInput input(file);
        EXPECT_THROW(detail::tallyLetters(input, {}, letterLimit, 4096, 2), std::bad_alloc);
        // One reader alone never starts a second.
        InputFile again = InputFile::open(path);
        detail::FileBlockInput againInput(again);
        EXPECT_NO_THROW(detail::tallyLetters(againInput, {}, letterLimit, 4096, 1));
    }
    EXPECT_EQ(runningThreads(threadsBefore), threadsBefore);
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

// A file that another program shortens to `cutAt` bytes as soon as a read reaches that offset.
class ShrinkingFile final : public detail::BlockInput {
  public:
    ShrinkingFile(const std::filesystem::path& path, std::uint64_t cutAt, bool positioned)
        : path_(path), file_(InputFile::open(path)), cutAt_(cutAt), positioned_(positioned) {}
    bool supportsPositionedReads() const override { return positioned_; }
    std::size_t readAt(std::uint64_t offset, std::span<std::byte> buffer) override {
        cutFrom(offset + buffer.size());
        return file_.readAt(offset, buffer);
    }
    std::size_t read(std::span<std::byte> buffer) override {
        cutFrom(position_ + buffer.size());
        const std::size_t got = file_.read(buffer);
        position_ += got;
        return got;
    }

  private:
    void cutFrom(std::uint64_t end) {
        const std::lock_guard lock(mutex_);
        if (end > cutAt_ && !cut_) {
            std::filesystem::resize_file(path_, cutAt_);
            cut_ = true;
        }
    }
    std::filesystem::path path_;
    InputFile file_;
    const std::uint64_t cutAt_;
    const bool positioned_;
    std::uint64_t position_ = 0;
    std::mutex mutex_;
    bool cut_ = false;
};

// The reading ends where the file now ends: the counts are those of what is left, and nothing
// crashes.
TEST(LetterTally, file_shortened_while_being_counted_ends_where_it_now_ends) {
    TempDir dir;
    constexpr std::size_t blockSize = 4096;
    const auto bytes = randomBytes(32 * blockSize, 12);
    const std::span<const std::byte> all(bytes);
    for (const auto& [positioned, threads] : {std::pair{true, 1}, {true, 2}, {false, 1}}) {
        for (const std::size_t cutAt : {std::size_t{0}, 10 * blockSize, 31 * blockSize}) {
            const auto path = dir.write("shrinking.bin", bytes);
            ShrinkingFile input(path, cutAt, positioned);
            const LetterTally tally =
                detail::tallyLetters(input, {}, letterLimit, blockSize, threads);
            EXPECT_EQ(tally.letterCounts, referenceTally(all.first(cutAt)).tally.letterCounts)
                << (positioned ? "positioned" : "sequential") << " threads " << threads
                << " cut at " << cutAt;
        }
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

TEST(LetterTally, utf16_through_a_pipe_with_the_mark_split_across_writes_and_the_limit_inside) {
    TempDir dir;
    const auto fifo = dir.path() / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const auto bytes = randomUtf16(5000, 5, false);
    const std::int32_t letters = referenceTally(bytes).tally.totalLetters;
    for (const std::int32_t limit : {letters / 3, letters + 1}) {
        std::thread writer([&] {
            std::FILE* out = std::fopen(fifo.c_str(), "wb");
            // The first read gets the mark's first byte alone.
            std::fwrite(bytes.data(), 1, 1, out);
            std::fflush(out);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            std::fwrite(bytes.data() + 1, 1, bytes.size() - 1, out);
            std::fclose(out);
        });
        InputFile file = InputFile::open(fifo);
        detail::FileBlockInput input(file);
        Messages messages;
        const LetterTally tally = detail::tallyLetters(input, messages.sink(), limit, 999, 2);
        writer.join();
        const auto expected = referenceTally(bytes, limit);
        EXPECT_EQ(tally.letterCounts, expected.tally.letterCounts) << limit;
        EXPECT_EQ(tally.limitReached, expected.tally.limitReached) << limit;
        EXPECT_EQ(messages.shown.size(), expected.tally.limitReached ? 1u : 0u) << limit;
    }
}
#endif

}  // namespace
}  // namespace glyphmeter::analysis
