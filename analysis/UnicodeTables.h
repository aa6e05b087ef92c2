// The Unicode data the alphabet counter reads text with: canonical combining classes, which
// characters can take part in composition with what comes before them, combining marks, full
// canonical decompositions, canonical compositions, simple case folding, and the single-byte code
// pages. The tables are generated (UnicodeTables.cpp, by scripts/generate-unicode-tables); the
// functions here look them up and normalise short runs of characters to NFC.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace glyphmeter::analysis::unicode {

struct CodeRange {
    char32_t first;
    char32_t last;
};
struct ClassRange {
    char32_t first;
    char32_t last;
    std::uint8_t combiningClass;
};
struct Decomposition {
    char32_t code;
    std::uint16_t start;  // in decompositionParts
    std::uint8_t length;
};
struct Composition {
    char32_t first;
    char32_t second;
    char32_t composite;
};
struct CaseFold {
    char32_t code;
    char32_t folded;
};

// All sorted by code point. Hangul syllables are left out of the decompositions and
// compositions: they follow from arithmetic.
extern const std::span<const ClassRange> combiningClasses;  // non-zero classes only
extern const std::span<const CodeRange> notBoundaries;      // see isNfcBoundary
extern const std::span<const CodeRange> combiningMarks;     // general category M
extern const std::span<const Decomposition> decompositions;
extern const std::span<const char32_t> decompositionParts;
extern const std::span<const Composition> compositions;  // by first, then second
extern const std::span<const CaseFold> simpleCaseFolding;

// Bytes 0x80..0xFF of each code page (the lower half is ASCII); 0xFFFF where it has no character.
extern const std::span<const char16_t> windows1250, windows1251, windows1252, windows1253,
    windows1254, iso8859_1, iso8859_2, iso8859_5, iso8859_7, iso8859_9, iso8859_15, koi8r, koi8u;

inline constexpr char32_t replacementCharacter = 0xFFFD;

int combiningClass(char32_t c);

// Whether NFC of any text ending before `c` is untouched by what follows from `c` on: `c` has
// combining class 0 and can never be the second character of a composition, nor change itself.
bool isNfcBoundary(char32_t c);

bool isCombiningMark(char32_t c);

// Unicode's simple case folding (status C and S).
char32_t simpleFold(char32_t c);

// The full canonical decomposition of `c`, appended to `out` (`c` itself when it has none).
void appendDecomposition(char32_t c, std::u32string& out);

// The primary composite of `first` and `second`, or 0 when there is none.
char32_t composePair(char32_t first, char32_t second);

// NFC of `text`.
std::u32string toNfc(std::u32string_view text);

// Appends the UTF-8 form of `c` to `out`.
void appendUtf8(char32_t c, std::string& out);

}  // namespace glyphmeter::analysis::unicode
