// The sequences of an alphabet's letters against the plain reference (decoded, in NFC, looked up,
// a window slid over the letters): alphabets, encodings and byte-order marks, spanning words or
// not, texts cut into blocks small enough that characters and a base and its marks straddle
// every seam, one reader or two, positioned or in sequence, and the letter limit; then the
// counter's hash table turning dense, and an alphabet too large for a dense table.
#include "AlphabetNgramTally.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "ReferenceLetters.h"
#include "ReferenceTally.h"
#include "ScriptedInput.h"
#include "UnicodeTables.h"

namespace glyphmeter::analysis {
namespace {

using testing::ScriptedInput;

enum class Text { utf8, utf16Marked, utf16Unmarked, bytes };

// Seeded pieces of testing::randomText, every other one a letter of `alphabet` in either case,
// so that its sequences are many.
std::string randomLetters(const Alphabet& alphabet, std::uint32_t seed) {
    std::mt19937 engine(seed);
    std::uniform_int_distribution<std::size_t> letter(0, alphabet.size() - 1);
    std::string text;
    for (std::uint32_t piece = 0; piece < 1000; ++piece) {
        const std::string& shown = alphabet.shownLetters()[letter(engine)];
        if (piece % 4 == 1) {
            AlphabetCounts ignored;
            unicode::appendUtf8(unicode::simpleFold(testing::referenceDecode(TextEncoding::utf8,
                                                                             shown, ignored)[0]),
                                text);
        } else {
            text += shown;
        }
        text += testing::randomText(1, seed * 1000 + piece);
    }
    return text;
}

std::vector<std::byte> textOf(const Alphabet& alphabet, Text kind, std::uint32_t seed) {
    std::string text;
    switch (kind) {
        case Text::utf8:
            text = randomLetters(alphabet, seed);
            break;
        case Text::utf16Marked:
            text = "\xFF\xFE" + testing::utf16Of(randomLetters(alphabet, seed));
            break;
        case Text::utf16Unmarked:
            text = testing::utf16Of(randomLetters(alphabet, seed));
            break;
        case Text::bytes: {
            // The letters of the code pages' upper halves, ASCII letters, and any byte.
            std::mt19937 engine(seed);
            std::uniform_int_distribution<int> any(0, 255);
            std::vector<std::byte> bytes(3000);
            for (std::byte& b : bytes) {
                const int pick = any(engine);
                b = static_cast<std::byte>(pick < 96    ? 0xC0 + pick % 64
                                           : pick < 192 ? 'a' + pick % 26 - (pick % 2) * 32
                                                        : any(engine));
            }
            return bytes;
        }
    }
    const auto bytes = std::as_bytes(std::span(text.data(), text.size()));
    return {bytes.begin(), bytes.end()};
}

struct Found {
    std::map<std::uint64_t, std::uint64_t> counts;
    AlphabetCounts letters;
    bool limitReached = false;

    bool operator==(const Found& other) const {
        return counts == other.counts && letters.letters == other.letters.letters &&
               letters.total == other.letters.total &&
               letters.invalidSequences == other.letters.invalidSequences &&
               letters.firstInvalid == other.letters.firstInvalid &&
               limitReached == other.limitReached;
    }
};

void PrintTo(const Found& found, std::ostream* out) {
    *out << found.counts.size() << " sequences of " << found.letters.total << " letters, "
         << found.letters.invalidSequences << " invalid" << (found.limitReached ? ", limit" : "");
}

// The plain reference, up to where the alphabet's plain loop stops for the limit.
Found expected(std::span<const std::byte> bytes, const AlphabetOptions& options,
               NgramOptions sequences, std::int32_t limit) {
    const auto stop = testing::referenceAlphabet(bytes, options, limit);
    Found found;
    found.limitReached = stop.limitReached;
    found.counts = testing::referenceSequences(
        stop.limitReached ? bytes.first(stop.bytesRead) : bytes, options, sequences, found.letters);
    return found;
}

Found counted(const AlphabetNgramTally& tally) {
    Found found;
    std::int64_t sum = 0;
    for (const SequenceCount& count : tally.counts) {
        found.counts[count.index] = count.count;
        sum += static_cast<std::int64_t>(count.count);
    }
    EXPECT_EQ(sum, tally.totalNgrams);
    found.letters = tally.letters;
    found.limitReached = tally.limitReached;
    return found;
}

TEST(AlphabetNgramTally, sequences_in_blocks_of_any_size_are_those_of_the_plain_reference) {
    struct Case {
        const char* alphabet;  // a name, or "*" and the letters of a custom alphabet
        std::optional<TextEncoding> encoding;
        bool foldAccents;
        Text text;
        NgramOptions sequences;
    };
    const Case cases[] = {
        {"de", std::nullopt, false, Text::utf8, {2, false}},
        {"de", std::nullopt, true, Text::utf8, {3, true}},
        {"ru", std::nullopt, false, Text::utf8, {2, true}},
        {"el", std::nullopt, false, Text::utf8, {4, false}},
        {"tr", std::nullopt, false, Text::utf8, {2, false}},
        {"fr", std::nullopt, true, Text::utf16Marked, {3, false}},
        {"ru", TextEncoding::utf16LittleEndian, false, Text::utf16Unmarked, {2, false}},
        {"pl", TextEncoding::utf8, false, Text::utf16Marked, {2, true}},
        {"ru", TextEncoding::koi8r, false, Text::bytes, {3, false}},
        {"fr", TextEncoding::windows1252, true, Text::bytes, {2, true}},
        {"*ÄaéßжΣ", std::nullopt, false, Text::utf8, {4, true}},
    };
    struct Reading {
        bool positioned;
        int threads;
    };
    constexpr Reading readings[] = {{true, 1}, {true, 2}, {false, 1}};
    std::uint32_t seed = 1;
    for (const Case& c : cases) {
        const std::string_view name = c.alphabet;
        const AlphabetOptions options{
            name.starts_with('*') ? customAlphabet(name.substr(1)) : *findAlphabet(name),
            c.encoding, c.foldAccents};
        const std::vector<std::byte> bytes = textOf(options.alphabet, c.text, seed++);
        const Found whole = expected(bytes, options, c.sequences, letterLimit);
        ASSERT_GT(whole.counts.size(), 10u) << name << " case " << seed - 1;
        for (const std::int32_t limit :
             {letterLimit, static_cast<std::int32_t>(whole.letters.total / 2), 1}) {
            const Found reference = expected(bytes, options, c.sequences, limit);
            for (const std::size_t blockSize : {2, 3, 5, 64, 1000}) {
                for (const Reading reading : readings) {
                    ScriptedInput input(bytes, reading.positioned);
                    const Found found = counted(detail::tallyAlphabetNgrams(
                        input, options, c.sequences, {}, limit, blockSize, reading.threads));
                    EXPECT_EQ(found, reference)
                        << name << " of " << c.sequences.length
                        << (c.sequences.spanWords ? " spanning words" : "") << ", limit " << limit
                        << ", blocks of " << blockSize << (reading.positioned ? "" : " in sequence")
                        << ", threads " << reading.threads;
                }
            }
        }
    }
}

// Sequences counted through the hash table, through the dense table it turns into, and for an
// alphabet whose sequences are too many for one, list what occurs in index order.
TEST(AlphabetNgramCounter, counts_alike_hashed_and_dense_in_index_order) {
    struct Case {
        std::size_t letters;
        NgramOptions sequences;
        std::size_t streamLength;
    };
    const Case cases[] = {
        {30, {2, false}, 10},      // stays hashed: few seen
        {30, {2, true}, 20000},    // turns dense
        {60, {4, false}, 200000},  // 13M possible: hashed throughout
        {60000, {4, true}, 5000},  // indexes beyond 32 bits
    };
    std::mt19937 engine(5);
    for (const Case& c : cases) {
        std::uniform_int_distribution<std::size_t> slot(0, c.letters);  // c.letters: no letter
        std::vector<std::uint16_t> stream(c.streamLength);
        for (auto& s : stream) {
            s = static_cast<std::uint16_t>(slot(engine));
        }
        std::map<std::uint64_t, std::uint64_t> reference;
        std::vector<std::uint64_t> window;
        for (const std::uint16_t s : stream) {
            if (s == c.letters) {
                if (!c.sequences.spanWords) {
                    window.clear();
                }
                continue;
            }
            window.push_back(s);
            if (window.size() > static_cast<std::size_t>(c.sequences.length)) {
                window.erase(window.begin());
            }
            if (window.size() == static_cast<std::size_t>(c.sequences.length)) {
                std::uint64_t index = 0;
                for (const std::uint64_t l : window) {
                    index = index * c.letters + l;
                }
                ++reference[index];
            }
        }
        AlphabetNgramCounter counter(c.letters, c.sequences);
        // In pieces, so sequences run across them.
        for (std::size_t at = 0; at < stream.size(); at += 7) {
            counter.add(
                std::span(stream).subspan(at, std::min<std::size_t>(7, stream.size() - at)));
        }
        const std::vector<SequenceCount> taken = counter.take();
        std::vector<SequenceCount> listed;
        for (const auto& [index, count] : reference) {
            listed.push_back({index, count});
        }
        EXPECT_EQ(taken, listed) << c.letters << " letters";
        EXPECT_EQ(counter.heapBytes(), 0u) << "taking leaves the counter as new";
        EXPECT_TRUE(counter.take().empty());
    }
}

}  // namespace
}  // namespace glyphmeter::analysis
