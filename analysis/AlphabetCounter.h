// Counting the letters of an alphabet (Alphabet.h) in text of a given encoding, a piece at a
// time, for a reading engine that counts blocks apart and commits them in file order.
//
// What counts: the text is read as characters (invalid bytes read as U+FFFD, one for each
// maximal ill-formed subpart, which is also counted and reported) and taken in NFC, so a letter
// written as a base and combining marks counts as its precomposed form and a mark never counts
// on its own; each character then counts as the letter it case-folds to. With `foldAccents`, a
// character that is not a letter but decomposes canonically into a letter followed only by
// combining marks counts as that letter (the longest such letter: ǖ is Ü under German, U under
// Latin). A run of more than 32 characters that compose with one another (a base and 31 marks)
// is read as its first 32: the marks beyond change no count.
//
// The engine's calls, with one counter (const, shared by every thread) per file:
//   AlphabetSeam seam = counter.start(offsetOfFirstByte);
//   AlphabetCounts totals = counter.emptyCounts();
//   for each block, on any thread, in any order:    counter.count(block, piece);
//   for each block, in file order:                  counter.commit(seam, block, piece, totals,
//                                                                  limit);  // true: stop here
//   at the end of the file (not after the limit):   counter.finish(seam, totals);
// commit() joins what straddles the seam between the blocks (a character whose bytes or a base
// whose marks are split between them) and, where the limit may fall inside the block, counts it
// again one character at a time from the seam and stops right after the letter that makes the
// total reach the limit. Blocks of UTF-16 text must start on a code unit: every block but the
// last of an even size.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "Alphabet.h"
#include "AlphabetVectors.h"
#include "LetterKernels.h"
#include "NonAsciiScan.h"
#include "TextEncoding.h"

namespace glyphmeter::analysis {

struct AlphabetCounts {
    std::vector<std::int64_t> letters;  // one per letter of the alphabet, in its order
    std::int64_t total = 0;             // the sum of letters
    std::uint64_t invalidSequences = 0;
    std::optional<std::uint64_t> firstInvalid;  // the byte offset of the first of them
};

// The reading state between one piece of text and the next.
struct AlphabetSeam {
    std::uint64_t offset = 0;            // where in the file the next piece starts
    std::array<std::byte, 3> pending{};  // the first bytes of a character still unfinished
    std::uint8_t pendingSize = 0;
    std::u32string cluster;  // the last character that marks may join, and the marks after it
};

// A piece counted alone, as count() leaves it for commit().
struct AlphabetPiece {
    AlphabetCounts counts;     // offsets from the start of the piece
    std::int64_t slack = 0;    // how far the count may rise above counts.total on the way
    std::size_t headEnd = 0;   // the piece's first bytes that only the join can read
    bool hasBoundary = false;  // whether anything past them starts afresh
    AlphabetSeam end;          // pending bytes and cluster at the end of the piece
};

class AlphabetCounter {
  public:
    // `kernel` is the letter kernel for the ASCII letters of Latin-script alphabets; the scan for
    // non-ASCII bytes takes the same instruction set.
    AlphabetCounter(Alphabet alphabet, TextEncoding encoding, bool foldAccents = false,
                    const LetterKernel& kernel = activeKernel());

    const Alphabet& alphabet() const { return alphabet_; }
    TextEncoding encoding() const { return encoding_; }

    // Counts with every letter at 0.
    AlphabetCounts emptyCounts() const;

    // The state before the first piece, which starts at byte `offset` of the file (after a
    // byte-order mark, say).
    AlphabetSeam start(std::uint64_t offset = 0) const;

    // Counts `text` alone, as far as it can be read without the text before and after it, into
    // `piece` (whose previous contents are replaced; reusing one saves allocations). Thread-safe.
    void count(std::span<const std::byte> text, AlphabetPiece& piece) const;

    // Adds `text`, counted alone into `piece`, to `totals`: joins it to the text before it as
    // `seam` says, and moves `seam` past it. Where the total might reach `limit` within `text`,
    // counts it as countPlainly() does instead and returns whether the limit was reached.
    bool commit(AlphabetSeam& seam, std::span<const std::byte> text, const AlphabetPiece& piece,
                AlphabetCounts& totals,
                std::int64_t limit = std::numeric_limits<std::int64_t>::max()) const;

    // commit() for a piece that cannot reach the limit, from only its first piece.headEnd
    // bytes (`head`) and its size: what a reader needs to keep of a piece that waits its turn.
    // The total rises by at most one letter a character on the way, so a piece whose bytes
    // added to the total stay below the limit cannot reach it.
    void commitWhole(AlphabetSeam& seam, std::span<const std::byte> head, std::size_t size,
                     const AlphabetPiece& piece, AlphabetCounts& totals) const;

    // Counts `text` one character at a time from `seam` into `totals`, stopping right after the
    // character that makes totals.total reach `limit` (returning true; `seam` is then left
    // where counting stopped). The slow path near the limit, and the reference for the others.
    bool countPlainly(AlphabetSeam& seam, std::span<const std::byte> text, AlphabetCounts& totals,
                      std::int64_t limit = std::numeric_limits<std::int64_t>::max()) const;

    // Ends the text: an unfinished character at the end is an invalid sequence.
    void finish(AlphabetSeam& seam, AlphabetCounts& totals) const;

    // The text as a stream of letter slots, for what needs the letters in their order (letter
    // sequences): one slot for each character of the text in NFC, the letter it counts as (0 to
    // alphabet().size() - 1) or alphabet().size() for a character that is no letter (an invalid
    // sequence among them). These are the letters count() and commit() count, in text order.
    //
    // Reads `text` in file order after what `seam` (from start(), moved on by these two
    // functions only) holds, and appends to `slots` the characters whose cluster (a character and
    // the marks that follow it) is complete; the last cluster stays in `seam`, as a mark at the
    // start of the next text may still join it. The letters appended and the invalid sequences
    // are added to `totals`. Stops right after the character at which totals.total, with the
    // letters of the cluster read so far, reaches `limit` (where countPlainly() stops), appends
    // that cluster as it stands and returns true; the text is then ended.
    bool letterSlots(AlphabetSeam& seam, std::span<const std::byte> text,
                     std::vector<std::uint16_t>& slots, AlphabetCounts& totals,
                     std::int64_t limit = std::numeric_limits<std::int64_t>::max()) const;

    // Ends the text letterSlots() read: an unfinished character at the end is an invalid
    // sequence, and the last cluster is complete.
    void finishLetterSlots(AlphabetSeam& seam, std::vector<std::uint16_t>& slots,
                           AlphabetCounts& totals) const;

  private:
    struct Work;
    enum class AsciiLetters { kernel, none, table };

    std::uint16_t entryOf(char32_t c) const;
    std::optional<std::size_t> letterFor(char32_t c) const;
    void addCluster(std::u32string_view cluster, int sign, Work& work) const;
    Work joinHead(AlphabetSeam& next, std::span<const std::byte> head, std::size_t size) const;
    bool mayReach(const AlphabetSeam& seam, std::span<const std::byte> head, std::size_t size,
                  const AlphabetPiece& piece, const AlphabetCounts& totals,
                  std::int64_t limit) const;
    void feed(char32_t c, std::u32string& cluster, Work& work) const;
    int decode(const std::byte* p, const std::byte* end, char32_t& c) const;
    template <class Take>
    std::size_t readCharacters(AlphabetSeam& seam, std::span<const std::byte> text,
                               Take&& take) const;
    void clusterSlots(std::u32string_view cluster, std::vector<std::uint16_t>& slots) const;
    std::size_t feedBytes(AlphabetSeam& seam, std::span<const std::byte> text, Work& work,
                          std::int64_t stopAt) const;
    void flushPending(AlphabetSeam& seam, Work& work) const;
    void countUtf8(std::span<const std::byte> text, AlphabetPiece& piece, Work& work) const;
    template <AsciiLetters ascii>
    void countUtf8Body(const std::byte* begin, const std::byte* end, Work& work) const;
    template <AsciiLetters ascii>
    const std::byte* countRange(const std::byte* p, const std::byte* stop, const std::byte* begin,
                                const std::byte* end, Work& work) const;
    const std::byte* countSlowly(const std::byte* at, const std::byte* begin, const std::byte* end,
                                 Work& work) const;
    const std::byte* countCluster(const std::byte* at, const std::byte* begin, const std::byte* end,
                                  Work& work) const;
    std::u32string lastCluster(const std::byte* begin, const std::byte* end) const;
    void apply(const Work& work, std::uint64_t offset, AlphabetCounts& totals) const;
    void countSingleByte(std::span<const std::byte> text, Work& work) const;
    void countGenerally(std::span<const std::byte> text, AlphabetPiece& piece, Work& work) const;
    void addAsciiLetters(const std::byte* begin, const std::byte* end, Work& work) const;
    std::shared_ptr<const AlphabetVectorTables> vectorTables() const;
    bool generalPunctuationCounts() const;
    void countUtf8WithVectors(const std::byte* begin, const std::byte* end, Work& work) const;

    Alphabet alphabet_;
    TextEncoding encoding_;
    bool foldAccents_;
    const LetterKernel* kernel_;
    HighBitsFunction highBits_;
    AsciiLetters ascii_;
    std::uint16_t none_;     // the slot of characters that are no letter (one past the last)
    std::uint16_t dottedI_;  // Turkish: the letter İ, which ASCII i counts as
    std::vector<std::uint16_t> low_;    // U+0000..U+07FF
    std::vector<std::uint16_t> pages_;  // U+0800..U+FFFF, 256 characters a page
    std::array<std::uint16_t, 256> pageOf_{};
    std::vector<std::pair<char32_t, std::uint16_t>> astral_;  // letters above U+FFFF, sorted
    std::array<std::uint16_t, 256> bytes_{};                  // single-byte code pages
    // The tables of the vector loops, where the kernel's instruction set runs them and the
    // alphabet has at most 64 letters.
    std::shared_ptr<const AlphabetVectorTables> vectors_;
    bool punctuationCounts_ = false;  // generalPunctuationCounts()
    // Otherwise, with the AVX2 loop: the entry of each two-byte character, by its two bytes.
    std::shared_ptr<const std::vector<std::uint16_t>> pairEntries_;
};

}  // namespace glyphmeter::analysis
