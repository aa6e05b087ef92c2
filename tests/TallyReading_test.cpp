// Every tally through the same scripted reading: reads that fail at a block, a file that shrinks
// while it is read, a pipe, a second reader that fails as it starts, the limit at block seams and
// between the two bytes of a UTF-16 unit, and a byte-order mark split across a pipe's writes. Each
// result must be that of the plain one-character-at-a-time loop.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "AlphabetNgramTally.h"
#include "AlphabetTally.h"
#include "FileBlockInput.h"
#include "FileError.h"
#include "InputFile.h"
#include "LetterTally.h"
#include "NgramTally.h"
#include "ReferenceLetters.h"
#include "ReferenceTally.h"
#include "ScriptedInput.h"
#include "TempDir.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace glyphmeter::analysis {
namespace {

using testing::randomBytes;
using testing::randomUtf16;
using testing::ScriptedInput;

// What a tally found, in one shape for every tally.
struct Found {
    std::vector<std::uint32_t> counts;
    std::int32_t totalLetters = 0;
    bool limitReached = false;
    bool operator==(const Found&) const = default;
};

void PrintTo(const Found& found, std::ostream* out) {
    *out << "letters " << found.totalLetters << (found.limitReached ? " (limit)" : "") << ":";
    for (const std::uint32_t count : found.counts) {
        *out << ' ' << count;
    }
}

Found found(const LetterTally& tally) {
    return {{tally.letterCounts.begin(), tally.letterCounts.end()},
            tally.totalLetters,
            tally.limitReached};
}

Found found(const NgramTally& tally) {
    return {testing::denseOf(tally.counts, tally.options.length), tally.totalLetters,
            tally.limitReached};
}

Found found(const AlphabetCounts& counts, bool limitReached) {
    // The invalid sequences and the first one's offset ride along as two more counts.
    Found result{{counts.letters.begin(), counts.letters.end()},
                 static_cast<std::int32_t>(counts.total),
                 limitReached};
    result.counts.push_back(static_cast<std::uint32_t>(counts.invalidSequences));
    result.counts.push_back(
        counts.firstInvalid ? static_cast<std::uint32_t>(*counts.firstInvalid + 1) : 0);
    return result;
}

struct Tally {
    std::string name;
    std::function<Found(detail::BlockInput&, const MessageSink&, std::int32_t limit,
                        std::size_t blockSize, int threads)>
        read;
    std::function<Found(std::span<const std::byte>, std::int32_t limit)> reference;
    // Whether a test may run it for every limit: the larger sequence tables cost too much to
    // clear thousands of times.
    bool everyLimit = false;
    // Where the plain loop stops reading for the limit; the A-to-Z loop's where not given.
    std::function<std::size_t(std::span<const std::byte>, std::int32_t limit)> bytesRead;
    // Whether it reads a regular file with a second reader when asked for two.
    bool twoReaders = true;
};

Tally alphabet(std::string name, std::optional<TextEncoding> encoding, bool foldAccents) {
    const auto options = std::make_shared<AlphabetOptions>(
        AlphabetOptions{*findAlphabet(name), encoding, foldAccents});
    return {"alphabet " + name + (encoding ? " " + std::string(encodingName(*encoding)) : "") +
                (foldAccents ? " folding accents" : ""),
            [options](detail::BlockInput& input, const MessageSink& sink, std::int32_t limit,
                      std::size_t blockSize, int threads) {
                const AlphabetTally tally =
                    detail::tallyAlphabet(input, *options, sink, limit, blockSize, threads);
                return found(tally.counts, tally.limitReached);
            },
            [options](std::span<const std::byte> bytes, std::int32_t limit) {
                const auto expected = testing::referenceAlphabet(bytes, *options, limit);
                return found(expected.counts, expected.limitReached);
            },
            true,
            [options](std::span<const std::byte> bytes, std::int32_t limit) {
                return testing::referenceAlphabet(bytes, *options, limit).bytesRead;
            }};
}

Tally sequences(NgramOptions options) {
    return {"sequences of " + std::to_string(options.length) + (options.spanWords ? " across" : ""),
            [options](detail::BlockInput& input, const MessageSink& sink, std::int32_t limit,
                      std::size_t blockSize, int threads) {
                return found(detail::tallyNgrams(input, options, sink, limit, blockSize, threads));
            },
            [options](std::span<const std::byte> bytes, std::int32_t limit) {
                return found(testing::referenceNgrams(bytes, options, limit));
            },
            options.length == 2,
            {}};
}

Found found(const std::map<std::uint64_t, std::uint64_t>& sequences, const AlphabetCounts& letters,
            bool limitReached) {
    Found result = found(letters, limitReached);
    for (const auto& [index, count] : sequences) {
        result.counts.push_back(static_cast<std::uint32_t>(index));
        result.counts.push_back(static_cast<std::uint32_t>(count));
    }
    return result;
}

// The sequences of an alphabet, against the plain reference up to where the alphabet's plain loop
// stops for the limit.
Tally alphabetSequences(std::string name, std::optional<TextEncoding> encoding,
                        NgramOptions sequences) {
    const auto options =
        std::make_shared<AlphabetOptions>(AlphabetOptions{*findAlphabet(name), encoding, false});
    return {"sequences of " + std::to_string(sequences.length) + " of alphabet " + name +
                (encoding ? " " + std::string(encodingName(*encoding)) : "") +
                (sequences.spanWords ? " across" : ""),
            [options, sequences](detail::BlockInput& input, const MessageSink& sink,
                                 std::int32_t limit, std::size_t blockSize, int threads) {
                const AlphabetNgramTally tally = detail::tallyAlphabetNgrams(
                    input, *options, sequences, sink, limit, blockSize, threads);
                std::map<std::uint64_t, std::uint64_t> counts;
                for (const SequenceCount& count : tally.counts) {
                    counts[count.index] = count.count;
                }
                return found(counts, tally.letters, tally.limitReached);
            },
            [options, sequences](std::span<const std::byte> bytes, std::int32_t limit) {
                const auto stop = testing::referenceAlphabet(bytes, *options, limit);
                AlphabetCounts letters;
                const auto counts = testing::referenceSequences(
                    stop.limitReached ? bytes.first(stop.bytesRead) : bytes, *options, sequences,
                    letters);
                return found(counts, letters, stop.limitReached);
            },
            false,
            [options](std::span<const std::byte> bytes, std::int32_t limit) {
                return testing::referenceAlphabet(bytes, *options, limit).bytesRead;
            },
            false};
}

const std::vector<Tally>& everyTally() {
    static const std::vector<Tally> tallies{
        {"letters",
         [](detail::BlockInput& input, const MessageSink& sink, std::int32_t limit,
            std::size_t blockSize, int threads) {
             return found(detail::tallyLetters(input, sink, limit, blockSize, threads));
         },
         [](std::span<const std::byte> bytes, std::int32_t limit) {
             return found(testing::referenceTally(bytes, limit).tally);
         },
         true,
         {}},
        sequences({2, false}),
        sequences({2, true}),
        sequences({3, false}),
        sequences({3, true}),
        sequences({4, false}),
        sequences({4, true}),
        alphabet("ru", std::nullopt, false),
        alphabet("de", std::nullopt, true),
        alphabet("fr", TextEncoding::windows1252, false),
        alphabet("el", TextEncoding::utf16LittleEndian, false),
        alphabetSequences("ru", std::nullopt, {2, false}),
        alphabetSequences("de", TextEncoding::utf16BigEndian, {3, true}),
        alphabetSequences("fr", TextEncoding::windows1252, {4, false}),
    };
    return tallies;
}

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

struct Reading {
    bool positioned;
    int threads;
};
constexpr Reading everyReading[] = {{true, 1}, {true, 2}, {false, 1}};

std::string where(const Tally& tally, Reading reading, const std::string& what) {
    return tally.name + (reading.positioned ? " positioned" : " in sequence") + " threads " +
           std::to_string(reading.threads) + " " + what;
}

// The limit falls in block 40 of 64 (between its letters, at its last letter, at the next block's
// first). A failure in or before the block the limit stops in is an error naming the file and
// the reason, with no message; one after it is never reached, as nothing past the stopping point
// is read. A file cut short ends where it now ends. No thread outlives the call.
TEST(TallyReading, failing_and_shrinking_inputs_give_the_plain_loops_results_or_its_error) {
    constexpr std::size_t block = 4096;
    const std::vector<std::byte> bytes = randomBytes(64 * block, 9);
    const std::span<const std::byte> all(bytes);
    const int threadsBefore = runningThreads();
    for (const Tally& tally : everyTally()) {
        const std::int32_t before =
            tally.reference(all.first(40 * block), letterLimit).totalLetters;
        const std::int32_t through =
            tally.reference(all.first(41 * block), letterLimit).totalLetters;
        for (const Reading reading : everyReading) {
            for (const std::int32_t limit :
                 {(before + through) / 2, through, through + 1, letterLimit}) {
                for (const std::uint64_t failAt :
                     {std::uint64_t{5 * block + 100}, std::uint64_t{39 * block + 17},
                      std::uint64_t{40 * block + 4095}, std::uint64_t{41 * block + 1},
                      std::uint64_t{42 * block + 1}}) {
                    const std::string at = where(
                        tally, reading,
                        "limit " + std::to_string(limit) + " failing at " + std::to_string(failAt));
                    // The end of the block holding the character the limit stops at: in sequence
                    // the blocks start after the first byte, read alone for the mark.
                    const std::size_t read = tally.bytesRead
                                                 ? tally.bytesRead(bytes, limit)
                                                 : testing::referenceTally(bytes, limit).bytesRead;
                    const std::uint64_t stopsIn = limit == letterLimit ? ScriptedInput::never
                                                  : reading.positioned
                                                      ? ((read - 1) / block + 1) * block
                                                      : 1 + ((read - 2) / block + 1) * block;
                    ScriptedInput input(bytes, reading.positioned, failAt);
                    std::vector<std::string> shown;
                    const MessageSink sink = [&](const std::string& m) { shown.push_back(m); };
                    try {
                        const Found got = tally.read(input, sink, limit, block, reading.threads);
                        EXPECT_GE(failAt, stopsIn) << at << ": no error";
                        EXPECT_EQ(got, tally.reference(bytes, limit)) << at;
                        EXPECT_EQ(shown.size(), 1u) << at;
                    } catch (const FileError& error) {
                        EXPECT_LT(failAt, stopsIn) << at << ": " << error.what();
                        EXPECT_EQ(error.reason(), "Input/output error") << at;
                        EXPECT_TRUE(shown.empty()) << at;
                    }
                }
            }
            for (const std::size_t cutAt : {std::size_t{0}, 10 * block, 31 * block + 5}) {
                ScriptedInput input(bytes, reading.positioned, ScriptedInput::never, cutAt);
                EXPECT_EQ(tally.read(input, {}, letterLimit, block, reading.threads),
                          tally.reference(all.first(cutAt), letterLimit))
                    << where(tally, reading, "cut at " + std::to_string(cutAt));
            }
        }
    }
    EXPECT_EQ(runningThreads(threadsBefore), threadsBefore);
}

std::vector<std::byte> utf8Text(std::string_view text) {
    const auto* begin = reinterpret_cast<const std::byte*>(text.data());
    return {begin, begin + text.size()};
}

// Small blocks put block seams and the seam between the two readers' blocks everywhere in a few
// hundred bytes; odd ones make the blocks of UTF-16 text even, so the limit falls on either byte
// of a unit and no unit is split; blocks of 4096 make the counters split a block into stretches.
// Every limit over blocks of 7 (where the tally's tables are small), some limits otherwise; bytes,
// sparse letters, and UTF-16 in both byte orders, one with an odd last byte.
TEST(TallyReading, limits_over_many_block_sizes_stop_where_the_plain_loop_stops) {
    std::vector<std::byte> sparse(3000, std::byte{' '});
    for (std::size_t i = 0; i < sparse.size(); i += 97) {
        sparse[i] = static_cast<std::byte>('a' + i % 26);
    }
    const std::vector<std::pair<std::string, std::vector<std::byte>>> texts{
        {"bytes", randomBytes(500, 42)},
        {"sparse letters", sparse},
        {"utf-16le", randomUtf16(300, 43, false, true, true)},
        {"utf-16be", randomUtf16(300, 44, true)},
        // Unpaired high surrogates, two in a row: each is one invalid sequence at any seam.
        {"utf-16le lone surrogates", utf8Text(std::string_view("\xFF\xFE"
                                                               "a\0\xFF\xDA\xFF\xDA"
                                                               "b\0"
                                                               "\x00\xD8\x00\xD8\x00\xDC"
                                                               "c\0\xFF\xDA",
                                                               20))},
        {"utf-8 with marks",
         utf8Text("Größe Äpfel über Straße — naïve cafe\u0301 "
                  "Съешь же ещё этих мягких французских булок "
                  "Ξεσκεπάζω την ψυχοφθόρα βδελυγμία ε\u0301\xF0\x9F\x98\x80\xC3")},
    };
    for (const Tally& tally : everyTally()) {
        for (const auto& [name, bytes] : texts) {
            const std::int32_t letters = tally.reference(bytes, letterLimit).totalLetters;
            std::vector<std::int32_t> everyLimit;
            for (std::int32_t limit = -1; limit <= letters + 1; ++limit) {
                everyLimit.push_back(limit);
            }
            const std::vector<std::int32_t> someLimits{
                -1, 0, 1, 2, letters / 2, letters - 1, letters, letters + 1};
            for (const std::size_t blockSize : {1u, 7u, 64u, 1000u, 4096u}) {
                const bool sweep = tally.everyLimit && blockSize == 7;
                for (const Reading reading : everyReading) {
                    for (const std::int32_t limit : sweep ? everyLimit : someLimits) {
                        ScriptedInput input(bytes, reading.positioned);
                        int messages = 0;
                        const Found got = tally.read(
                            input, [&](const std::string&) { ++messages; }, limit, blockSize,
                            reading.threads);
                        const Found expected = tally.reference(bytes, limit);
                        const std::string at = where(tally, reading,
                                                     name + " block " + std::to_string(blockSize) +
                                                         " limit " + std::to_string(limit));
                        ASSERT_EQ(got, expected) << at;
                        ASSERT_EQ(messages, expected.limitReached ? 1 : 0) << at;
                    }
                }
            }
        }
    }
}

// The second reader fails as it starts, as when there is no memory for its buffer: the caller gets
// the failure, whatever the first reader has done meanwhile, and no thread is left behind; one
// reader alone never starts a second.
TEST(TallyReading, failure_in_the_second_reader_reaches_the_caller) {
    struct FailingSecondReader {
        FailingSecondReader() {
            detail::secondReaderStarting = [] { throw std::bad_alloc(); };
        }
        ~FailingSecondReader() { detail::secondReaderStarting = nullptr; }
    };
    const std::vector<std::byte> bytes = randomBytes(64 * 4096, 21);
    const int threadsBefore = runningThreads();
    for (const Tally& tally : everyTally()) {
        const FailingSecondReader failing;
        ScriptedInput twoReaders(bytes, true);
        if (tally.twoReaders) {
            EXPECT_THROW(tally.read(twoReaders, {}, letterLimit, 4096, 2), std::bad_alloc)
                << tally.name;
        }
        ScriptedInput oneReader(bytes, true);
        EXPECT_EQ(tally.read(oneReader, {}, letterLimit, 4096, 1),
                  tally.reference(bytes, letterLimit))
            << tally.name;
    }
    EXPECT_EQ(runningThreads(threadsBefore), threadsBefore);
}

#ifndef _WIN32
// A real pipe whose writer sends the mark's first byte alone, so the first read gets only that.
TEST(TallyReading, utf16_through_a_pipe_with_the_mark_split_across_writes_and_the_limit_inside) {
    testing::TempDir dir;
    const auto fifo = dir.path() / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const auto bytes = randomUtf16(5000, 5, false);
    for (const Tally& tally : everyTally()) {
        const std::int32_t letters = tally.reference(bytes, letterLimit).totalLetters;
        for (const std::int32_t limit : {letters / 3, letters + 1}) {
            std::thread writer([&] {
                std::FILE* out = std::fopen(fifo.c_str(), "wb");
                std::fwrite(bytes.data(), 1, 1, out);
                std::fflush(out);
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                std::fwrite(bytes.data() + 1, 1, bytes.size() - 1, out);
                std::fclose(out);
            });
            InputFile file = InputFile::open(fifo);
            detail::FileBlockInput input(file);
            int messages = 0;
            const Found got = tally.read(
                input, [&](const std::string&) { ++messages; }, limit, 999, 2);
            writer.join();
            const Found expected = tally.reference(bytes, limit);
            EXPECT_EQ(got, expected) << tally.name << " limit " << limit;
            EXPECT_EQ(messages, expected.limitReached ? 1 : 0) << tally.name << " limit " << limit;
        }
    }
}
#endif

}  // namespace
}  // namespace glyphmeter::analysis
