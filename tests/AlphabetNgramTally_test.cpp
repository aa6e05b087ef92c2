// The sequences of an alphabet's letters against the plain reference (decoded, in NFC, looked up,
// a window slid over the letters): alphabets, UTF-8 and UTF-16 with and without a mark, spanning
// words or not, texts full of marks and multibyte characters cut into blocks small enough that
// they straddle every seam; then the sequence counter's hash table, its dense table and an
// alphabet too large for one. The scripted readings (failures, pipes, two readers), the limit and
// code pages are in TallyReading_test.
#include "AlphabetNgramTally.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "ReferenceLetters.h"
#include "ScriptedInput.h"

namespace glyphmeter::analysis {
namespace {

// Seeded pieces of testing::randomText (marks alone and after letters, characters of every
// length, invalid UTF-8), every other one a letter of `alphabet` in either case.
std::string randomLetters(const Alphabet& alphabet, std::uint32_t seed) {
    std::mt19937 engine(seed);
    std::uniform_int_distribution<std::size_t> letter(0, alphabet.size() - 1);
    std::string text;
    for (std::uint32_t piece = 0; piece < 1000; ++piece) {
        const std::string& shown = alphabet.shownLetters()[letter(engine)];
        AlphabetCounts ignored;
        const char32_t c = testing::referenceDecode(TextEncoding::utf8, shown, ignored)[0];
        unicode::appendUtf8(piece % 4 == 1 ? unicode::simpleFold(c) : c, text);
        text += testing::randomText(1, seed * 1000 + piece);
    }
    return text;
}

// Sequences, letters, invalid sequences, the first one's offset, and the limit mark.
using Found = std::tuple<std::map<std::uint64_t, std::uint64_t>, std::vector<std::int64_t>,
                         std::uint64_t, std::optional<std::uint64_t>, bool>;

TEST(AlphabetNgramTally, sequences_in_blocks_of_any_size_are_those_of_the_plain_reference) {
    enum class Form { utf8, utf16Marked, utf16 };
    struct Case {
        const char* alphabet;  // a name, or "*" and the letters of a custom alphabet
        std::optional<TextEncoding> encoding;
        bool foldAccents;
        Form form;
        NgramOptions sequences;
    };
    const Case cases[] = {
        {"de", std::nullopt, false, Form::utf8, {2, false}},
        {"de", std::nullopt, true, Form::utf8, {3, true}},
        {"el", std::nullopt, false, Form::utf8, {4, false}},
        {"tr", std::nullopt, false, Form::utf8, {2, false}},
        {"fr", std::nullopt, true, Form::utf16Marked, {3, false}},
        {"ru", TextEncoding::utf16LittleEndian, false, Form::utf16, {2, false}},
        {"pl", TextEncoding::utf8, false, Form::utf16Marked, {2, true}},
        {"*ÄaéßжΣ", std::nullopt, false, Form::utf8, {4, true}},
    };
    std::uint32_t seed = 1;
    for (const Case& c : cases) {
        const std::string_view name = c.alphabet;
        const AlphabetOptions options{
            name.starts_with('*') ? customAlphabet(name.substr(1)) : *findAlphabet(name),
            c.encoding, c.foldAccents};
        const std::string letters = randomLetters(options.alphabet, seed++);
        const std::string text = c.form == Form::utf8    ? letters
                                 : c.form == Form::utf16 ? testing::utf16Of(letters)
                                                         : "\xFF\xFE" + testing::utf16Of(letters);
        const auto bytes = std::as_bytes(std::span(text.data(), text.size()));
        AlphabetCounts read;
        const Found reference{testing::referenceSequences(bytes, options, c.sequences, read),
                              read.letters, read.invalidSequences, read.firstInvalid, false};
        ASSERT_GT(std::get<0>(reference).size(), 10u) << name;
        for (const std::size_t blockSize : {2, 3, 5, 64, 1000}) {
            testing::ScriptedInput input(bytes, true);
            const AlphabetNgramTally tally = detail::tallyAlphabetNgrams(
                input, options, c.sequences, {}, letterLimit, blockSize, 1);
            std::map<std::uint64_t, std::uint64_t> counts;
            for (const SequenceCount& count : tally.counts) {
                counts[count.index] = count.count;
            }
            EXPECT_EQ(Found(counts, tally.letters.letters, tally.letters.invalidSequences,
                            tally.letters.firstInvalid, tally.limitReached),
                      reference)
                << name << " of " << c.sequences.length
                << (c.sequences.spanWords ? " spanning words" : "") << ", blocks of " << blockSize;
        }
    }
}

// Counted in pieces of 7, so that sequences run across them: while hashed, once dense, and
// hashed throughout for 13 million or 1.3e19 possible sequences; in index order, and taking
// leaves the counter as new.
TEST(AlphabetNgramCounter, counts_alike_hashed_and_dense_in_index_order) {
    const struct {
        std::size_t letters;
        NgramOptions sequences;
        std::size_t streamLength;
    } cases[] = {{30, {2, false}, 10},
                 {30, {2, true}, 20000},
                 {60, {4, false}, 200000},
                 {60000, {4, true}, 5000}};
    std::mt19937 engine(5);
    for (const auto& c : cases) {
        std::uniform_int_distribution<std::size_t> pick(0, c.letters);  // c.letters: no letter
        std::vector<std::uint16_t> slots(c.streamLength);
        std::vector<std::optional<std::size_t>> stream;
        for (auto& slot : slots) {
            slot = static_cast<std::uint16_t>(pick(engine));
            stream.push_back(slot < c.letters ? std::optional<std::size_t>(slot) : std::nullopt);
        }
        AlphabetNgramCounter counter(c.letters, c.sequences);
        for (std::size_t at = 0; at < slots.size(); at += 7) {
            counter.add(std::span(slots).subspan(at, std::min<std::size_t>(7, slots.size() - at)));
        }
        std::vector<SequenceCount> expected;
        for (const auto& [index, count] :
             testing::referenceWindow(stream, c.letters, c.sequences)) {
            expected.push_back({index, count});
        }
        EXPECT_EQ(counter.take(), expected) << c.letters << " letters";
        EXPECT_EQ(counter.heapBytes(), 0u);
        EXPECT_TRUE(counter.take().empty());
    }
}

}  // namespace
}  // namespace glyphmeter::analysis
