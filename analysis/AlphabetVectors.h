// Counting the letters of an alphabet of up to 64 letters with AVX-512 (VBMI), for the alphabet
// counter (AlphabetCounter.h), which builds the tables and reads whatever these loops leave to it.
//
// Sixty-four bytes at a time become a vector of letter numbers, one for each character that
// starts there, looked up with byte permutes: ASCII characters by their byte, two-byte UTF-8
// characters by their lead and continuation bytes within a window of up to four lead bytes (the
// rows of 64 code points that hold most of the alphabet's letters beyond ASCII), single-byte code
// pages by their byte. Each letter number becomes one bit of one of up to eight vectors (letters 8g
// to 8g+7 in vector g), and the bits are summed by a tree of carry-save adders; only what overflows
// the tree is counted with popcnt.
//
// UTF-8 is checked on the way: every continuation byte must be one its lead byte asks for, and
// every lead byte must have its continuation bytes. What these loops cannot count exactly — an
// ill-formed sequence, a combining mark (which joins the character before it), a lead byte of
// four bytes, a two-byte character outside the window in a row that holds letters or combining
// marks, or a three-byte character other than general punctuation and currency signs (U+2000 to
// U+20BF, when none of them is a letter) — stops the vector loop at its first byte and is handed to
// the caller, which reads that one character (and the marks after it) and returns where the next
// starts. Everything counted up to that point stays counted.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "LetterKernels.h"

namespace glyphmeter::analysis {

struct AlphabetVectorTables {
    // Letter numbers are 0..63; these are not letters.
    static constexpr std::uint8_t notCounted = 0x80;
    static constexpr std::uint8_t invalidByte = 0xFD;  // a byte a code page leaves undefined
    static constexpr std::uint8_t leftToCaller = 0xFE;

    // How a byte from 0x80 up reads as the first byte of a UTF-8 character (0 for a continuation
    // byte): bits of leadClass.
    static constexpr std::uint8_t needsOneMore = 0x01;  // C2..DF, E2
    static constexpr std::uint8_t needsTwoMore = 0x02;  // E2
    static constexpr std::uint8_t inWindow = 0x04;      // bits 6 and 7: which row of the window
    static constexpr std::uint8_t stops = 0x08;

    // How ASCII characters count: latin, as A..Z are letters 0..25 and nothing else is a letter;
    // none, as no letter; table, by `ascii`.
    enum class AsciiLetters { latin, none, table };
    AsciiLetters asciiLetters = AsciiLetters::table;
    bool windowHasMarks = false;  // whether a character in the window joins the one before it

    alignas(64) std::array<std::uint8_t, 128> ascii{};      // each ASCII character's letter
    alignas(64) std::array<std::uint8_t, 128> leadClass{};  // bytes 0x80..0xFF
    // The two-byte characters of the window's lead bytes, 64 for each of its rows in turn.
    alignas(64) std::array<std::uint8_t, 256> window{};
    int windowRows = 0;                                 // 0 to 4
    alignas(64) std::array<std::uint8_t, 256> bytes{};  // a single-byte code page's letters
    int letterCount = 0;                                // at most 64
    int groups = 1;                                     // vectors of eight letters: 1 to 8
};

// Reads one character that the vector loop stopped at, `at` (with any combining marks after
// it), and returns where the next character starts.
using LeftCharacterReader = const std::byte* (*)(void* context, const std::byte* at);

#ifdef GLYPHMETER_BUILT_FOR_X86_64
// Whether this CPU runs the loops below.
bool cpuSupportsAlphabetVectors() noexcept;

// Adds the letters of the UTF-8 characters from `p`, where one starts, to `letters` (one slot per
// letter), passing what it cannot count to `readLeft`. Returns where it stopped: at the start of
// a character, with fewer than 66 bytes left before `end` (those it leaves to the caller).
const std::byte* addUtf8LettersAvx512(const AlphabetVectorTables& tables, const std::byte* p,
                                      const std::byte* end, std::int64_t* letters,
                                      LeftCharacterReader readLeft, void* context);

// Adds the letters of the single-byte text [begin, end) to `letters`, counting the undefined
// bytes into `invalid` and keeping the offset of the first in `firstInvalid` if it is unset.
void addCodePageLettersAvx512(const AlphabetVectorTables& tables, const std::byte* begin,
                              const std::byte* end, std::int64_t* letters, std::uint64_t& invalid,
                              std::optional<std::uint64_t>& firstInvalid);

// The AVX2 loop, for the two-byte characters of UTF-8 only (ASCII characters are counted apart,
// or are no letters): adds pairEntries[(lead & 0x1F) | (continuation & 0x3F) << 8] for each
// two-byte character, the slot of its letter or of no letter, to `slots`. An entry equal to
// `follower` (a character that joins the one before it) is left to `readLeft`, as are the
// characters the vector check cannot pass: all but ASCII, two-byte characters, and U+2000 to
// U+20BF unless `punctuationCounts` (one of them counts as a letter). Returns where it stopped,
// with fewer than 34 bytes left before `end`.
const std::byte* addUtf8PairsAvx2(const std::uint16_t* pairEntries, std::uint16_t follower,
                                  bool punctuationCounts, const std::byte* p, const std::byte* end,
                                  std::int64_t* slots, LeftCharacterReader readLeft, void* context);
#endif

}  // namespace glyphmeter::analysis
