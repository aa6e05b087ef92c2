// The alphabet counter: fixed texts whose counts were worked out independently (with Python's
// unicodedata and codecs), every kernel against a plain reference on random text, pieces split
// at every position, the letter limit, and the lookups of alphabets and encodings.
#include "AlphabetCounter.h"

#include <gtest/gtest.h>

#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "ReferenceLetters.h"
#include "UnicodeTables.h"

namespace glyphmeter::analysis {

// Names the kernel in test output instead of dumping its bytes.
void PrintTo(const LetterKernel& kernel, std::ostream* out);

namespace {

using namespace std::string_view_literals;

std::span<const std::byte> bytesOf(std::string_view text) {
    return std::as_bytes(std::span(text.data(), text.size()));
}

Alphabet alphabetNamed(std::string_view name) {
    return name.starts_with('*') ? customAlphabet(name.substr(1)) : *findAlphabet(name);
}

// "A=3|É=1": the letters counted, in the alphabet's order.
std::string shown(const Alphabet& alphabet, const AlphabetCounts& counts) {
    std::string text;
    for (std::size_t letter = 0; letter < alphabet.size(); ++letter) {
        if (counts.letters[letter] != 0) {
            text += (text.empty() ? "" : "|") + alphabet.shownLetters()[letter] + "=" +
                    std::to_string(counts.letters[letter]);
        }
    }
    return text;
}

// Counts `text` in pieces ending at `cuts`, each alone, then committed in order.
AlphabetCounts countInPieces(const AlphabetCounter& counter, std::string_view text,
                             const std::vector<std::size_t>& cuts,
                             std::int64_t limit = std::numeric_limits<std::int64_t>::max()) {
    AlphabetSeam seam = counter.start();
    AlphabetCounts totals = counter.emptyCounts();
    AlphabetPiece piece;
    std::size_t from = 0;
    for (std::size_t cut : cuts) {
        const auto block = bytesOf(text.substr(from, cut - from));
        counter.count(block, piece);
        if (counter.commit(seam, block, piece, totals, limit)) {
            return totals;
        }
        from = cut;
    }
    const auto last = bytesOf(text.substr(from));
    counter.count(last, piece);
    if (!counter.commit(seam, last, piece, totals, limit)) {
        counter.finish(seam, totals);
    }
    return totals;
}

void expectSame(const AlphabetCounts& actual, const AlphabetCounts& expected,
                const std::string& where) {
    EXPECT_EQ(actual.letters, expected.letters) << where;
    EXPECT_EQ(actual.total, expected.total) << where;
    EXPECT_EQ(actual.invalidSequences, expected.invalidSequences) << where;
    EXPECT_EQ(actual.firstInvalid, expected.firstInvalid) << where;
}

struct FixedCase {
    const char* alphabet;  // a name, or "*" and the custom letters
    const char* encoding;
    bool foldAccents;
    std::string_view text;
    const char* expected;
    std::uint64_t invalid;
    std::int64_t firstInvalid;  // -1: none
};

constexpr FixedCase fixedCases[] = {
    {"de", "utf-8", false,
     "Gr\xc3\xb6\xc3\x9f"
     "e \xc3\x84pfel \xc3\xbc"
     "ber Stra\xc3\x9f"
     "e \xe2\x80\x94 na\xc3\xafve caf\xc3\xa9\x0a"sv,
     "A=3|B=1|C=1|E=5|F=2|G=1|L=1|N=1|P=1|R=3|S=1|T=1|V=1|Ä=1|Ö=1|Ü=1|ß=2", 0, -1},
    {"latin", "utf-8", true,
     "Gr\xc3\xb6\xc3\x9f"
     "e \xc3\x84pfel \xc3\xbc"
     "ber Stra\xc3\x9f"
     "e \xe2\x80\x94 na\xc3\xafve caf\xc3\xa9\x0a"sv,
     "A=4|B=1|C=1|E=6|F=2|G=1|I=1|L=1|N=1|O=1|P=1|R=3|S=1|T=1|U=1|V=1", 0, -1},
    {"de", "utf-8", true, "e\xcc\x81 A\xcc\x88 u\xcc\x88\xcc\x84 \xe1\xba\x9e\xc3\x9f \xc7\x96"sv,
     "E=1|Ä=1|Ü=2|ß=2", 0, -1},
    {"fr", "utf-8", false,
     "e\xcc\x81te\xcc\x81 \xc5\x92uvre \xc3\xbf e\xcc\xa3\xcc\x81 E\xcc\x81"sv,
     "E=1|R=1|T=1|U=1|V=1|É=3|Œ=1|Ÿ=1", 0, -1},
    {"latin", "utf-8", false, "e\xcc\x81 \xe2\x84\xaa x\xe2\x83\x9d"sv, "K=1|X=1", 0, -1},
    {"latin", "utf-8", true,
     "\xc4\x99\xc4\x97\xc5\x82\xc3\xb8\xc3\xa6\xc5\x93\xc4\xb1\xc3\x9f e\xcc\xa3\xcc\x81"sv, "E=3",
     0, -1},
    {"pl", "utf-8", false,
     "\xc5\xb9"
     "d\xc5\xba"
     "b\xc5\x82o za\xc5\xbc\xc3\xb3\xc5\x82\xc4\x87 g\xc4\x99\xc5\x9bl\xc4\x85 ja\xc5\xba\xc5\x84"sv,
     "A=2|B=1|D=1|G=1|J=1|L=1|O=1|Z=1|Ą=1|Ć=1|Ę=1|Ł=2|Ń=1|Ó=1|Ś=1|Ź=3|Ż=1", 0, -1},
    {"cs", "utf-8", false,
     "P\xc5\x99\xc3\xadli\xc5\xa1 \xc5\xbelu\xc5\xa5ou\xc4\x8dk\xc3\xbd k\xc5\xaf\xc5\x88 "
     "\xc3\xbap\xc4\x9bl \xc4\x8f\xc3\xa1"
     "belsk\xc3\xa9 \xc3\xb3"
     "dy"sv,
     "B=1|D=1|E=1|I=1|K=3|L=4|O=1|P=2|S=1|U=2|Y=1|Á=1|Č=1|Ď=1|É=1|Ě=1|Í=1|Ň=1|Ó=1|Ř=1|Š=1|Ť=1|Ú=1|"
     "Ů=1|Ý=1|Ž=1",
     0, -1},
    {"tr", "utf-8", false,
     "\xc4\xb0stanbul \xc4\xb1l\xc4\xb1k I\xc4\x9e"
     "DIR i\xc4\x9fne I\xcc\x87 i\xcc\x87"sv,
     "A=1|B=1|D=1|E=1|I=4|K=1|L=2|N=2|R=1|S=1|T=1|U=1|Ğ=2|İ=4", 0, -1},
    {"ru", "utf-8", false,
     "\xd0\xa1\xd1\x8a\xd0\xb5\xd1\x88\xd1\x8c \xd0\xb6\xd0\xb5 \xd0\xb5\xd1\x89\xd1\x91 \xd1\x8d\xd1\x82\xd0\xb8\xd1\x85 \xd0\xbc\xd1\x8f\xd0\xb3\xd0\xba\xd0\xb8\xd1\x85 \xd1\x84\xd1\x80\xd0\xb0\xd0\xbd\xd1\x86\xd1\x83\xd0\xb7\xd1\x81\xd0\xba\xd0\xb8\xd1\x85 \xd0\xb1\xd1\x83\xd0\xbb\xd0\xbe\xd0\xba, \xd0\xb4\xd0\xb0 \xd0\xb2\xd1\x8b\xd0\xbf\xd0\xb5\xd0\xb9 \xd1\x87\xd0\xb0\xd1\x8e. \xd0\x81 \xd0\xb5\xcc\x88"sv,
     "А=3|Б=1|В=1|Г=1|Д=1|Е=4|Ё=3|Ж=1|З=1|И=3|Й=1|К=3|Л=1|М=1|Н=1|О=1|П=1|Р=1|С=2|Т=1|У=2|Ф=1|Х=3|"
     "Ц=1|Ч=1|Ш=1|Щ=1|Ъ=1|Ы=1|Ь=1|Э=1|Ю=1|Я=1",
     0, -1},
    {"uk", "utf-8", false,
     "\xd0\xa7\xd1\x83\xd1\x94\xd1\x88 \xd1\x97\xd1\x85, \xd0\xb4\xd0\xbe\xd1\x86\xd1\x8e, \xd0\xb3\xd0\xb0\x3f \xd0\x9a\xd1\x83\xd0\xbc\xd0\xb5\xd0\xb4\xd0\xbd\xd0\xb0 \xd0\xb6 \xd1\x82\xd0\xb8, \xd0\xbf\xd1\x80\xd0\xbe\xd1\x89\xd0\xb0\xd0\xb9\xd1\x81\xd1\x8f \xd0\xb1\xd0\xb5\xd0\xb7 \xd2\x91\xd0\xbe\xd0\xbb\xd1\x8c\xd1\x84\xd1\x96\xd0\xb2!"sv,
     "А=3|Б=1|В=1|Г=1|Ґ=1|Д=2|Е=2|Є=1|Ж=1|З=1|И=1|І=1|Ї=1|Й=1|К=1|Л=1|М=1|Н=1|О=3|П=1|Р=1|С=1|Т=1|"
     "У=2|Ф=1|Х=1|Ц=1|Ч=1|Ш=1|Щ=1|Ь=1|Ю=1|Я=1",
     0, -1},
    {"el", "utf-8", false,
     "\xce\x9e\xce\xb5\xcf\x83\xce\xba\xce\xb5\xcf\x80\xce\xac\xce\xb6\xcf\x89 \xcf\x84\xe1\xbd\xb4\xce\xbd \xcf\x88\xcf\x85\xcf\x87\xce\xbf\xcf\x86\xce\xb8\xcf\x8c\xcf\x81\xce\xb1 \xce\xb2\xce\xb4\xce\xb5\xce\xbb\xcf\x85\xce\xb3\xce\xbc\xce\xaf\xce\xb1. \xce\x90 \xce\xb0 \xce\x86 \xcf\x82 \xce\xb1\xcc\x81 \xce\xb9\xcc\x88\xcc\x81 \xe1\xbc\x80"sv,
     "Α=5|Β=1|Γ=1|Δ=1|Ε=3|Ζ=1|Θ=1|Ι=3|Κ=1|Λ=1|Μ=1|Ν=1|Ξ=1|Ο=2|Π=1|Ρ=1|Σ=2|Τ=1|Υ=3|Φ=1|Χ=1|Ψ=1|Ω=1",
     0, -1},
    {"el", "utf-8", true, "\xe1\xbc\x80\xe1\xbc\x90\xe1\xbd\x81 \xe1\xbe\xb3"sv, "Α=2|Ε=1|Ο=1", 0,
     -1},
    {"*aé1 ", "utf-8", false, "A1 a \xc3\x89 e\xcc\x81 1 2 x"sv, "a=2|é=2|1=2| =6", 0, -1},
    {"*😀ß", "utf-8", false, "\xf0\x9f\x98\x80 \xe1\xba\x9e \xc3\x9f ss"sv, "😀=1|ß=2", 0, -1},
    {"latin", "utf-8", false,
     "a\x80"
     "b\xbf"
     "c\xc0\xaf"
     "d\xc1\xbf"
     "e\xe0\x80\xafg\xed\xa0\x80h\xf4\x90\x80\x80i\xf5j\xff"sv,
     "A=1|B=1|C=1|D=1|E=1|G=1|H=1|I=1|J=1", 18, 1},
    {"latin", "utf-8", false,
     "\xe2\x82"
     "A\xf0\x9f\x98"
     "B\xe1\x80"
     "C\xf0\x9f"
     "D\xce"sv,
     "A=1|B=1|C=1|D=1", 5, 0},
    {"de", "utf-8", false, "\xc3\xa4\xc3\xc3\xb6\xcc\x81\xc3"sv, "Ä=1|Ö=1", 2, 2},
    {"de", "utf-16le", false,
     "G\x00r\x00\xf6\x00\xdf\x00"
     "e\x00 \x00"
     "e\x00\x01\x03 \x00=\xd8\x00\xde\x00\xd8"
     "A\x00\x00\xdc"sv,
     "A=1|E=1|G=1|R=1|Ö=1|ß=1", 2, 22},
    {"ru", "utf-16be", false,
     "\x04\x01\x04;\x04:\x04"
     "0\x00 \x04Q\x04"
     "6"sv,
     "А=1|Ё=2|Ж=1|К=1|Л=1", 0, -1},
    {"de", "cp1252", false,
     "Gr\xf6\xdf"
     "e \xc4pfel \xfc"
     "ber Stra\xdf"
     "e \x97 \x80\x81"sv,
     "A=1|B=1|E=4|F=1|G=1|L=1|P=1|R=3|S=1|T=1|Ä=1|Ö=1|Ü=1|ß=2", 1, 27},
    {"pl", "cp1250", false,
     "\x8f"
     "d\x9f"
     "b\xb3o za\xbf\xf3\xb3\xe6 g\xea\x9cl\xb9 ja\x9f\xf1"sv,
     "A=2|B=1|D=1|G=1|J=1|L=1|O=1|Z=1|Ą=1|Ć=1|Ę=1|Ł=2|Ń=1|Ó=1|Ś=1|Ź=3|Ż=1", 0, -1},
    {"pl", "iso-8859-2", false,
     "\xac"
     "d\xbc"
     "b\xb3o za\xbf\xf3\xb3\xe6 g\xea\xb6l\xb1 ja\xbc\xf1"sv,
     "A=2|B=1|D=1|G=1|J=1|L=1|O=1|Z=1|Ą=1|Ć=1|Ę=1|Ł=2|Ń=1|Ó=1|Ś=1|Ź=3|Ż=1", 0, -1},
    {"ru", "cp1251", false,
     "\xd1\xfa\xe5\xf8\xfc \xe6\xe5 \xe5\xf9\xb8 \xfd\xf2\xe8\xf5 \xec\xff\xe3\xea\xe8\xf5"sv,
     "Г=1|Е=3|Ё=1|Ж=1|И=2|К=1|М=1|С=1|Т=1|Х=2|Ш=1|Щ=1|Ъ=1|Ь=1|Э=1|Я=1", 0, -1},
    {"ru", "koi8-r", false,
     "\xf3\xdf\xc5\xdb\xd8 \xd6\xc5 \xc5\xdd\xa3 \xdc\xd4\xc9\xc8 \xcd\xd1\xc7\xcb\xc9\xc8"sv,
     "Г=1|Е=3|Ё=1|Ж=1|И=2|К=1|М=1|С=1|Т=1|Х=2|Ш=1|Щ=1|Ъ=1|Ь=1|Э=1|Я=1", 0, -1},
    {"uk", "koi8-u", false,
     "\xfe\xd5\xa4\xdb \xa7\xc8, \xc4\xcf\xc3\xc0, \xad\xcf\xcc\xd8\xc6\xa6\xd7"sv,
     "В=1|Ґ=1|Д=1|Є=1|І=1|Ї=1|Л=1|О=2|У=1|Ф=1|Х=1|Ц=1|Ч=1|Ш=1|Ь=1|Ю=1", 0, -1},
    {"ru", "iso-8859-5", false, "\xc1\xea\xd5\xe8\xec \xd6\xd5 \xd5\xe9\xf1"sv,
     "Е=3|Ё=1|Ж=1|С=1|Ш=1|Щ=1|Ъ=1|Ь=1", 0, -1},
    {"el", "cp1253", false,
     "\xce\xe5\xf3\xea\xe5\xf0\xdc\xe6\xf9 \xf8\xf5\xf7\xef\xf6\xe8\xfc\xf1\xe1 \xf2"sv,
     "Α=2|Ε=2|Ζ=1|Θ=1|Κ=1|Ξ=1|Ο=2|Π=1|Ρ=1|Σ=2|Υ=1|Φ=1|Χ=1|Ψ=1|Ω=1", 0, -1},
    {"el", "iso-8859-7", false,
     "\xce\xe5\xf3\xea\xe5\xf0\xdc\xe6\xf9 \xf8\xf5\xf7\xef\xf6\xe8\xfc\xf1\xe1 \xf2"sv,
     "Α=2|Ε=2|Ζ=1|Θ=1|Κ=1|Ξ=1|Ο=2|Π=1|Ρ=1|Σ=2|Υ=1|Φ=1|Χ=1|Ψ=1|Ω=1", 0, -1},
    {"tr", "cp1254", false, "\xddstanbul \xfdl\xfdk i\xf0ne"sv,
     "A=1|B=1|E=1|I=2|K=1|L=2|N=2|S=1|T=1|U=1|Ğ=1|İ=2", 0, -1},
    {"tr", "iso-8859-9", false, "\xddstanbul \xfdl\xfdk i\xf0ne"sv,
     "A=1|B=1|E=1|I=2|K=1|L=2|N=2|S=1|T=1|U=1|Ğ=1|İ=2", 0, -1},
    {"fr", "iso-8859-15", false, "\xbcuvre \xbdil \xe9t\xe9 \xa4"sv,
     "E=1|I=1|L=1|R=1|T=1|U=1|V=1|É=2|Œ=2", 0, -1},
    {"fr", "iso-8859-1", true,
     "\xe9t\xe9 o\xf9 \xe7"
     "a"sv,
     "A=1|O=1|T=1|Ç=1|É=2|Ù=1", 0, -1},
};

class AlphabetKernelTest : public ::testing::TestWithParam<LetterKernel> {};

TEST_P(AlphabetKernelTest, counts_fixed_texts_as_worked_out_independently) {
    for (const FixedCase& c : fixedCases) {
        const std::string where =
            std::string(c.alphabet) + " " + c.encoding + " " + std::string(c.text.substr(0, 24));
        const AlphabetCounter counter(alphabetNamed(c.alphabet), *findEncoding(c.encoding),
                                      c.foldAccents, GetParam());
        const AlphabetCounts whole = countInPieces(counter, c.text, {});
        EXPECT_EQ(shown(counter.alphabet(), whole), c.expected) << where;
        EXPECT_EQ(whole.invalidSequences, c.invalid) << where;
        EXPECT_EQ(whole.firstInvalid.value_or(std::uint64_t(-1)), std::uint64_t(c.firstInvalid))
            << where;
        // One character at a time, as near the limit.
        AlphabetSeam seam = counter.start();
        AlphabetCounts plain = counter.emptyCounts();
        EXPECT_FALSE(counter.countPlainly(seam, bytesOf(c.text), plain));
        counter.finish(seam, plain);
        expectSame(plain, whole, where + " plainly");
    }
}

// Texts where pieces may split a character's bytes, a base from its marks, or an ill-formed
// sequence: cut at every position, and at every pair of positions, they count as the whole.
TEST(AlphabetCounter, pieces_cut_anywhere_count_as_the_whole) {
    struct Split {
        const char* alphabet;
        TextEncoding encoding;
        bool foldAccents;
        std::string_view text;
    };
    const std::string utf16 = [] {
        // "é", e + U+0301, 😀, a lone high and a lone low surrogate, Ä + U+0323, little-endian.
        const char16_t units[] = {u'x', 0xE9,   u'e', 0x301, 0xD83D, 0xDE00, 0xD800,
                                  u'a', 0xDC00, u'A', 0x308, 0x323,  u'z'};
        std::string bytes;
        for (const char16_t unit : units) {
            bytes += static_cast<char>(unit & 0xFF);
            bytes += static_cast<char>(unit >> 8);
        }
        return bytes;
    }();
    const Split splits[] = {
        {"fr", TextEncoding::utf8, false,
         "e\u0301\u0327te\u0301 \u00c9e\u0301\u0301\u0301 E\u0301."},
        {"latin", TextEncoding::utf8, true, "\u1e08 e\u0301\u0323x \u212a\u0301 \U0001F600\u0301"},
        {"de", TextEncoding::utf8, false,
         "a\xcc\x88\xe2\x82\xcc\x81\xc3\xf0\x9f\x98\xc3\xa4\xed\xa0\x80\xcc\x88"sv},
        {"tr", TextEncoding::utf8, false, "I\u0307i\u0131\u0130 \u011f\xc3"},
        {"el", TextEncoding::utf8, false, "\u03b9\u0308\u0301\u03c2\u1f71\u03a3\u0301\u0345"},
        {"*\uac00\u1161a", TextEncoding::utf8, false,
         "\u1100\u1161\u11a8\uac00\u1161a\u0301\u1161"},
        {"de", TextEncoding::utf16LittleEndian, false, utf16},
    };
    for (const Split& s : splits) {
        const AlphabetCounter counter(alphabetNamed(s.alphabet), s.encoding, s.foldAccents);
        const AlphabetCounts whole = countInPieces(counter, s.text, {});
        AlphabetSeam seam = counter.start();
        AlphabetCounts plain = counter.emptyCounts();
        counter.countPlainly(seam, bytesOf(s.text), plain);
        counter.finish(seam, plain);
        expectSame(whole, plain, std::string(s.alphabet) + " whole");
        const std::size_t step = s.encoding == TextEncoding::utf8 ? 1 : 2;
        for (std::size_t i = 0; i <= s.text.size(); i += step) {
            expectSame(countInPieces(counter, s.text, {i}), whole,
                       std::string(s.alphabet) + " cut at " + std::to_string(i));
            for (std::size_t j = i; j <= s.text.size(); j += step) {
                expectSame(countInPieces(counter, s.text, {i, j}), whole,
                           std::string(s.alphabet) + " cut at " + std::to_string(i) + " and " +
                               std::to_string(j));
            }
        }
    }
}

AlphabetCounts referenceCounts(const Alphabet& alphabet, TextEncoding encoding, bool foldAccents,
                               std::string_view text) {
    AlphabetCounts counts;
    counts.letters.assign(alphabet.size(), 0);
    for (const char32_t c : unicode::toNfc(testing::referenceDecode(encoding, text, counts))) {
        if (const auto letter = testing::referenceLetter(alphabet, foldAccents, c)) {
            ++counts.letters[*letter];
            ++counts.total;
        }
    }
    return counts;
}

using testing::randomText;
using testing::randomUtf16Text;

// Text as prose is: long runs that the vector loops read whole (words of several scripts, spaces,
// dashes and quotes), with a piece of randomText() now and then, so that what they cannot count
// falls at every offset of a chunk.
std::string mostlyPlainText(std::size_t pieces, std::uint32_t seed) {
    static const std::vector<std::string_view> plain{"der ",
                                                     "Stra\u00dfe ",
                                                     "\u00e4\u00f6\u00fc ",
                                                     "caf\u00e9 ",
                                                     "na\u00efve ",
                                                     "\u0153uvre ",
                                                     "\u0141\u00f3d\u017a ",
                                                     "\u0434\u043e\u043c ",
                                                     "\u0401\u0436 ",
                                                     "\u0490\u0457 ",
                                                     "\u03ac\u03c3\u03c4\u03c1\u03bf ",
                                                     "\u03c2 ",
                                                     "\u2014 ",
                                                     "\u201e\u201c ",
                                                     "\u20ac ",
                                                     "\u00ab\u00bb ",
                                                     ", ",
                                                     ".\n",
                                                     "Iyi ",
                                                     "\u0131\u0130 "};
    std::mt19937 engine(seed);
    std::string text;
    for (std::size_t i = 0; i < pieces; ++i) {
        text += engine() % 50 == 0 ? randomText(1, engine())
                                   : std::string(plain[engine() % plain.size()]);
    }
    return text;
}

TEST_P(AlphabetKernelTest, agrees_with_the_plain_reference_on_random_text_in_pieces) {
    const std::pair<const char*, bool> alphabets[] = {
        {"latin", true},         {"de", false}, {"fr", true},
        {"tr", false},           {"ru", false}, {"el", false},
        {"uk", false},           {"pl", false}, {"*a\u00e9\u03c3\U0001F600 .", true},
        {"*\u20ac\u00f6", false}};
    for (std::uint32_t seed = 1; seed <= 8; ++seed) {
        const std::string text =
            seed > 6 ? mostlyPlainText(6000, seed) : randomText(3000, seed, seed > 3);
        for (const auto& [name, fold] : alphabets) {
            const AlphabetCounter counter(alphabetNamed(name), TextEncoding::utf8, fold,
                                          GetParam());
            const AlphabetCounts expected =
                referenceCounts(counter.alphabet(), TextEncoding::utf8, fold, text);
            // Pieces of random sizes, some a byte or two, and the whole at once.
            std::mt19937 engine(seed);
            std::vector<std::size_t> cuts;
            for (std::size_t at = 0; at < text.size();) {
                at += std::uniform_int_distribution<std::size_t>(1, seed % 2 ? 7 : 700)(engine);
                cuts.push_back(std::min(at, text.size()));
            }
            const std::string where = std::string(name) + " seed " + std::to_string(seed);
            expectSame(countInPieces(counter, text, {}), expected, where);
            expectSame(countInPieces(counter, text, cuts), expected, where + " in pieces");
        }
    }
}

TEST_P(AlphabetKernelTest, agrees_with_the_plain_reference_in_utf16_and_code_pages) {
    for (std::uint32_t seed = 1; seed <= 3; ++seed) {
        std::string text = randomUtf16Text(2000, seed);
        const AlphabetCounter utf16(*findAlphabet("de"), TextEncoding::utf16LittleEndian, true,
                                    GetParam());
        std::vector<std::size_t> cuts;
        for (std::size_t at = 2 * seed; at < text.size(); at += 2 * (seed * 37 % 101)) {
            cuts.push_back(at);
        }
        const auto expected = referenceCounts(utf16.alphabet(), utf16.encoding(), true, text);
        expectSame(countInPieces(utf16, text, cuts), expected, "utf-16 " + std::to_string(seed));
        // Every byte value, more of them letters; the code page tables are the reference's too.
        std::mt19937 engine(seed);
        for (auto& b : text) {
            b = static_cast<char>(engine() % 3 ? 'a' + engine() % 26 : engine() % 256);
        }
        for (const auto& [name, encoding] : {std::pair{"de", TextEncoding::windows1252},
                                             {"tr", TextEncoding::windows1254},
                                             {"ru", TextEncoding::koi8r},
                                             {"el", TextEncoding::iso8859_7}}) {
            const AlphabetCounter counter(*findAlphabet(name), encoding, false, GetParam());
            AlphabetCounts reference = counter.emptyCounts();
            const auto upper = codePageUpperHalf(encoding);
            for (std::size_t i = 0; i < text.size(); ++i) {
                const auto b = static_cast<unsigned char>(text[i]);
                const char32_t c = b < 0x80 ? b : upper[b - 0x80];
                if (c == 0xFFFF) {
                    ++reference.invalidSequences;
                    reference.firstInvalid = reference.firstInvalid.value_or(i);
                } else if (const auto letter = counter.alphabet().letterOf(c)) {
                    ++reference.letters[*letter];
                    ++reference.total;
                }
            }
            expectSame(countInPieces(counter, text, cuts), reference, name);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Supported, AlphabetKernelTest, ::testing::ValuesIn(supportedKernels()),
                         [](const auto& info) { return std::string(info.param.name); });

// Counting stops right after the letter that makes the total reach the limit, wherever the
// pieces end, and marks that would change that letter later are not read.
TEST(AlphabetCounter, stops_right_after_the_letter_that_reaches_the_limit) {
    const std::string text =
        "A\u00e9e\u0301\u0323 x\u0308\u0431 \xff"
        "bc\u0301d";
    const AlphabetCounter counter(*findAlphabet("fr"), TextEncoding::utf8, true);
    const std::int64_t all = countInPieces(counter, text, {}).total;
    ASSERT_EQ(all, 7);
    for (std::int64_t limit = 1; limit <= all; ++limit) {
        AlphabetSeam seam = counter.start();
        AlphabetCounts plain = counter.emptyCounts();
        EXPECT_TRUE(counter.countPlainly(seam, bytesOf(text), plain, limit));
        EXPECT_EQ(plain.total, limit);
        // The plain count read exactly up to that letter: the rest counts the remainder.
        AlphabetCounts rest = plain;
        counter.countPlainly(seam, bytesOf(text).subspan(seam.offset), rest);
        counter.finish(seam, rest);
        EXPECT_EQ(rest.total, all) << limit;
        for (std::size_t cut = 0; cut <= text.size(); ++cut) {
            expectSame(countInPieces(counter, text, {cut, cut + (cut % 3)}, limit), plain,
                       "limit " + std::to_string(limit) + " cut " + std::to_string(cut));
        }
    }
}

TEST(Alphabet, custom_letters_are_checked_and_keep_the_order_given) {
    const Alphabet custom = customAlphabet("xe\u0301 1");
    ASSERT_EQ(custom.size(), 4u);
    EXPECT_EQ(custom.shownLetters()[1], "\u00e9");
    EXPECT_EQ(custom.letterOf(U'\u00c9'), 1u);
    EXPECT_EQ(custom.letterOf(U' '), 2u);
    const std::pair<std::string_view, std::string_view> errors[] = {
        {"", "the list of letters is empty"},
        {"ab\xff", "the list of letters is not valid UTF-8"},
        {"aBcb", "\u201cB\u201d and \u201cb\u201d are the same letter"},
        {"\u00dfs\u1e9e", "\u201c\u00df\u201d and \u201c\u1e9e\u201d are the same letter"},
        {"a\u20dd", "\u201c\u20dd\u201d is a combining mark, which never counts on its own"},
    };
    for (const auto& [list, message] : errors) {
        try {
            customAlphabet(list);
            ADD_FAILURE() << list;
        } catch (const std::invalid_argument& error) {
            EXPECT_EQ(error.what(), message);
        }
    }
}

TEST(Alphabet, built_in_alphabets_have_their_letters_in_order) {
    const std::pair<std::string_view, std::size_t> sizes[] = {
        {"latin", 26}, {"de", 30}, {"fr", 42}, {"cs", 41}, {"tr", 32},
        {"ru", 33},    {"uk", 33}, {"el", 24}, {"no", 29}};
    for (const auto& [name, size] : sizes) {
        ASSERT_TRUE(findAlphabet(name)) << name;
        EXPECT_EQ(findAlphabet(name)->size(), size) << name;
    }
    EXPECT_EQ(alphabetNames().size(), 18u);
    EXPECT_FALSE(findAlphabet("xx"));
    const Alphabet turkish = *findAlphabet("tr");
    EXPECT_EQ(turkish.shownLetters()[*turkish.letterOf(U'i')], "\u0130");
    EXPECT_EQ(turkish.shownLetters()[*turkish.letterOf(U'\u0131')], "I");
}

TEST(TextEncoding, names_and_aliases_are_found_whatever_their_case) {
    const std::pair<std::string_view, std::optional<TextEncoding>> names[] = {
        {"UTF-8", TextEncoding::utf8},
        {"utf16le", TextEncoding::utf16LittleEndian},
        {"UTF-16BE", TextEncoding::utf16BigEndian},
        {"cp1250", TextEncoding::windows1250},
        {"Windows-1251", TextEncoding::windows1251},
        {"latin1", TextEncoding::iso8859_1},
        {"ISO_8859-15", TextEncoding::iso8859_15},
        {"latin5", TextEncoding::iso8859_9},
        {"KOI8-U", TextEncoding::koi8u},
        {"utf-32", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [name, encoding] : names) {
        EXPECT_EQ(findEncoding(name), encoding) << name;
    }
    EXPECT_EQ(encodingName(TextEncoding::iso8859_7), "iso-8859-7");
}

TEST(NonAsciiScan, every_test_finds_the_high_bytes_at_odd_addresses) {
    for (const auto& kernel : supportedKernels()) {
        std::mt19937 engine(3);
        for (int round = 0; round < 200; ++round) {
            std::vector<std::byte> chunk(64 + 3);
            std::uint64_t expected = 0;
            for (int i = 0; i < 64; ++i) {
                chunk[i + round % 4] = static_cast<std::byte>(engine() % (round % 2 ? 256 : 130));
                expected |= static_cast<std::uint64_t>(chunk[i + round % 4] >= std::byte{0x80})
                            << i;
            }
            ASSERT_EQ(highBitsFor(kernel)(chunk.data() + round % 4), expected) << kernel.name;
        }
    }
}

}  // namespace
}  // namespace glyphmeter::analysis
