// The alphabet counter: lookup tables built per alphabet, the fast paths for whole pieces, and
// the one-character-at-a-time reading that joins pieces and counts near the limit.
//
// Every character has an entry: its letter, "no letter", or "follower" for the characters that
// are not NFC boundaries (combining marks and the few characters that compose with what comes
// before them). A boundary character counts by its entry alone, as NFC leaves it as it is; only a
// follower needs the run it belongs to (the character before it and the followers after) put in
// NFC, which takes back what the character before it counted and counts what the run composes to.
#include "AlphabetCounter.h"

#include <algorithm>
#include <bit>
#include <stdexcept>

#include "UnicodeTables.h"

namespace glyphmeter::analysis {

namespace {

constexpr std::uint16_t follower = 0xFFFF;
constexpr std::uint16_t undefinedByte = 0xFFFE;
constexpr std::size_t maxCluster = 32;

inline unsigned u8(std::byte b) {
    return static_cast<unsigned>(b);
}

inline bool isContinuation(std::byte b) {
    return (u8(b) & 0xC0) == 0x80;
}

// UTF-8: the length of the well-formed sequence at `p`, or minus the length of its maximal
// ill-formed subpart, or 0 when [p, end) is a well-formed sequence's unfinished start.
int decodeUtf8(const std::byte* p, const std::byte* end, char32_t& c) {
    const unsigned b0 = u8(p[0]);
    if (b0 < 0x80) {
        c = b0;
        return 1;
    }
    int length;
    unsigned low = 0x80;
    unsigned high = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3;
        low = b0 == 0xE0 ? 0xA0 : 0x80;
        high = b0 == 0xED ? 0x9F : 0xBF;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4;
        low = b0 == 0xF0 ? 0x90 : 0x80;
        high = b0 == 0xF4 ? 0x8F : 0xBF;
    } else {
        return -1;
    }
    char32_t code = b0 & (0x7Fu >> length);
    for (int i = 1; i < length; ++i) {
        if (p + i == end) {
            return 0;
        }
        const unsigned b = u8(p[i]);
        if (b < (i == 1 ? low : 0x80) || b > (i == 1 ? high : 0xBF)) {
            return -i;
        }
        code = code << 6 | (b & 0x3F);
    }
    c = code;
    return length;
}

int decodeUtf16(const std::byte* p, const std::byte* end, bool bigEndian, char32_t& c) {
    const auto unit = [bigEndian](const std::byte* at) {
        return bigEndian ? u8(at[0]) << 8 | u8(at[1]) : u8(at[1]) << 8 | u8(at[0]);
    };
    if (end - p < 2) {
        return 0;
    }
    const unsigned first = unit(p);
    if (first >= 0xDC00 && first <= 0xDFFF) {
        return -2;
    }
    if (first < 0xD800 || first > 0xDBFF) {
        c = first;
        return 2;
    }
    if (end - p < 4) {
        return 0;
    }
    const unsigned second = unit(p + 2);
    if (second < 0xDC00 || second > 0xDFFF) {
        return -2;
    }
    c = 0x10000 + ((first - 0xD800) << 10 | (second - 0xDC00));
    return 4;
}

}  // namespace

struct AlphabetCounter::Work {
    explicit Work(std::size_t letters)
        : slots(letters + 1), none(static_cast<std::uint16_t>(letters)) {}
    std::vector<std::int64_t> slots;  // one per letter, then one for all that is no letter
    std::int64_t letters = 0;         // kept by add(), not by the fast loops
    std::int64_t peak = 0;
    std::int64_t slack = 0;
    std::uint64_t invalid = 0;
    std::optional<std::uint64_t> firstInvalid;
    const std::byte* origin = nullptr;  // where offsets of the fast paths count from
    std::uint16_t none;
    bool stopped = false;  // the plain loop reached the letters it was to stop at

    void add(std::uint16_t slot, int sign) {
        slots[slot] += sign;
        if (slot != none) {
            letters += sign;
            peak = std::max(peak, letters);
        }
    }
    // The first in the text, whatever order the parts of a piece were read in.
    void addInvalid(std::uint64_t at) {
        ++invalid;
        if (!firstInvalid || at < *firstInvalid) {
            firstInvalid = at;
        }
    }
};

AlphabetCounter::AlphabetCounter(Alphabet alphabet, TextEncoding encoding, bool foldAccents,
                                 const LetterKernel& kernel)
    : alphabet_(std::move(alphabet)),
      encoding_(encoding),
      foldAccents_(foldAccents),
      kernel_(&kernel),
      highBits_(highBitsFor(kernel)),
      none_(static_cast<std::uint16_t>(alphabet_.size())) {
    if (alphabet_.size() >= undefinedByte) {
        throw std::invalid_argument("too many letters");
    }
    dottedI_ =
        alphabet_.turkishCase() ? static_cast<std::uint16_t>(*alphabet_.letterOf(U'i')) : none_;
    const auto entryFromTables = [this](char32_t c) -> std::uint16_t {
        if (!unicode::isNfcBoundary(c)) {
            return follower;
        }
        const auto letter = letterFor(c);
        return letter ? static_cast<std::uint16_t>(*letter) : none_;
    };
    low_.resize(0x800);
    for (char32_t c = 0; c < 0x800; ++c) {
        low_[c] = entryFromTables(c);
    }
    // The A-Z kernel fits where ASCII letters are letters 0 to 25 and nothing else in ASCII is a
    // letter; under Turkish, ASCII i is moved to İ afterwards.
    bool latin = true;
    bool anyAscii = false;
    for (char32_t c = 0; c < 0x80; ++c) {
        const bool isLetter = (c | 0x20) >= 'a' && (c | 0x20) <= 'z';
        std::uint16_t expected = isLetter ? static_cast<std::uint16_t>((c | 0x20) - 'a') : none_;
        if (c == 'i' && alphabet_.turkishCase()) {
            expected = dottedI_;
        }
        latin = latin && low_[c] == expected;
        anyAscii = anyAscii || low_[c] != none_;
    }
    ascii_ = latin ? AsciiLetters::kernel : anyAscii ? AsciiLetters::table : AsciiLetters::none;

    // Page 0 of the table above U+07FF holds no letter and no follower; the pages that do get
    // their own.
    pages_.assign(256, none_);
    const auto entryAt = [this](char32_t c) -> std::uint16_t& {
        if (pageOf_[c >> 8] == 0) {
            pageOf_[c >> 8] = static_cast<std::uint16_t>(pages_.size() / 256);
            pages_.resize(pages_.size() + 256, none_);
        }
        return pages_[pageOf_[c >> 8] * std::size_t{256} + (c & 0xFF)];
    };
    for (const auto& range : unicode::notBoundaries) {
        for (char32_t c = std::max<char32_t>(range.first, 0x800);
             c <= std::min<char32_t>(range.last, 0xFFFF); ++c) {
            entryAt(c) = follower;
        }
    }
    // The characters that may be letters: the letters' folded forms, what folds to something,
    // and with accents taken off whatever decomposes.
    std::vector<char32_t> candidates;
    for (const auto& [key, letter] : alphabet_.foldedLetters()) {
        candidates.push_back(key);
    }
    for (const auto& fold : unicode::simpleCaseFolding) {
        candidates.push_back(fold.code);
    }
    if (foldAccents_) {
        for (const auto& decomposition : unicode::decompositions) {
            candidates.push_back(decomposition.code);
        }
    }
    for (const char32_t c : candidates) {
        if (c < 0x800 || !unicode::isNfcBoundary(c)) {
            continue;
        }
        if (const auto letter = letterFor(c)) {
            if (c <= 0xFFFF) {
                entryAt(c) = static_cast<std::uint16_t>(*letter);
            } else {
                astral_.emplace_back(c, static_cast<std::uint16_t>(*letter));
            }
        }
    }
    std::sort(astral_.begin(), astral_.end());
    astral_.erase(std::unique(astral_.begin(), astral_.end()), astral_.end());

    if (isSingleByte(encoding_)) {
        const auto upper = codePageUpperHalf(encoding_);
        for (unsigned b = 0; b < 256; ++b) {
            const char32_t c = b < 0x80 ? b : upper[b - 0x80];
            bytes_[b] = c == 0xFFFF ? undefinedByte : entryOf(c);
        }
    }
    punctuationCounts_ = generalPunctuationCounts();
    vectors_ = vectorTables();
    if (!vectors_ && kernel_->name != "scalar" && ascii_ != AsciiLetters::table) {
        auto entries = std::make_shared<std::vector<std::uint16_t>>(0x3F20, none_);
        for (unsigned lead = 0xC2; lead <= 0xDF; ++lead) {
            for (unsigned last = 0x80; last <= 0xBF; ++last) {
                (*entries)[(lead & 0x1F) | (last & 0x3F) << 8] =
                    low_[(lead & 0x1F) << 6 | (last & 0x3F)];
            }
        }
        pairEntries_ = std::move(entries);
    }
}

// Whether any of U+2000..U+20BF counts, which the vector loops otherwise pass unread. U+2000
// and U+2001 are no NFC boundaries only because NFC replaces each by another space (U+2002,
// U+2003), which never joins the character before it: they count as what they become.
bool AlphabetCounter::generalPunctuationCounts() const {
    for (char32_t c = 0x2000; c < 0x20C0; ++c) {
        std::uint16_t entry = entryOf(c);
        if (entry == follower) {
            const std::u32string alone = unicode::toNfc(std::u32string(1, c));
            const std::u32string after = unicode::toNfc(std::u32string{U'a', c});
            if (alone.size() == 1 && after == std::u32string{U'a', alone[0]}) {
                entry = entryOf(alone[0]);
            }
        }
        if (entry != none_) {
            return true;
        }
    }
    return false;
}

std::shared_ptr<const AlphabetVectorTables> AlphabetCounter::vectorTables() const {
#ifdef GLYPHMETER_BUILT_FOR_X86_64
    if (kernel_->name != "avx512vbmi" || !cpuSupportsAlphabetVectors() || alphabet_.size() > 64) {
        return nullptr;
    }
    using Tables = AlphabetVectorTables;
    auto tables = std::make_shared<Tables>();
    const auto letterOrNot = [this](std::uint16_t entry) {
        return entry == follower ? Tables::leftToCaller
               : entry < none_   ? static_cast<std::uint8_t>(entry)
                                 : Tables::notCounted;
    };
    tables->letterCount = static_cast<int>(alphabet_.size());
    tables->groups = std::max(1, (tables->letterCount + 7) / 8);
    for (char32_t c = 0; c < 0x80; ++c) {
        tables->ascii[c] = letterOrNot(low_[c]);
    }
    // Rows of 64 code points: which hold letters, and which hold anything but characters that
    // are no letter and start afresh.
    const auto rowHas = [this](unsigned row, auto test) {
        for (char32_t c = row * 64; c < row * 64 + 64; ++c) {
            if (test(entryOf(c))) {
                return true;
            }
        }
        return false;
    };
    const auto isLetter = [this](std::uint16_t entry) { return entry < none_; };
    const auto isCounted = [this](std::uint16_t entry) { return entry != none_; };
    // The window: the (up to) four lead bytes whose rows hold the most letters.
    std::vector<std::pair<int, unsigned>> letterRows;  // minus the letters, lead
    for (unsigned lead = 0xC2; lead <= 0xDF; ++lead) {
        int letters = 0;
        for (char32_t c = (lead - 0xC0) * 64; c < (lead - 0xC0) * 64 + 64; ++c) {
            letters += isLetter(entryOf(c)) ? 1 : 0;
        }
        if (letters > 0) {
            letterRows.emplace_back(-letters, lead);
        }
    }
    std::sort(letterRows.begin(), letterRows.end());
    letterRows.resize(std::min<std::size_t>(letterRows.size(), 4));
    std::array<int, 256> windowRow{};
    windowRow.fill(-1);
    for (std::size_t row = 0; row < letterRows.size(); ++row) {
        const unsigned lead = letterRows[row].second;
        windowRow[lead] = static_cast<int>(row);
        for (unsigned k = 0; k < 64; ++k) {
            const std::uint8_t letter = letterOrNot(entryOf((lead - 0xC0) * 64 + k));
            tables->window[row * 64 + k] = letter;
            tables->windowHasMarks = tables->windowHasMarks || letter == Tables::leftToCaller;
        }
    }
    tables->windowRows = static_cast<int>(letterRows.size());
    for (unsigned b = 0x80; b < 0x100; ++b) {
        std::uint8_t& leadClass = tables->leadClass[b - 0x80];
        if (b < 0xC0) {
            leadClass = 0;
        } else if (b >= 0xC2 && b <= 0xDF) {
            if (windowRow[b] >= 0) {
                leadClass = Tables::needsOneMore | Tables::inWindow |
                            static_cast<std::uint8_t>(windowRow[b] << 6);
            } else {
                leadClass = rowHas(b - 0xC0, isCounted) ? Tables::stops : Tables::needsOneMore;
            }
        } else if (b == 0xE2 && !punctuationCounts_) {
            leadClass = Tables::needsOneMore | Tables::needsTwoMore;
        } else {
            leadClass = Tables::stops;
        }
    }
    // Under Turkish, ASCII i is the letter İ: only the table says so.
    const bool plainLatin = ascii_ == AsciiLetters::kernel && !alphabet_.turkishCase();
    tables->asciiLetters = plainLatin                     ? Tables::AsciiLetters::latin
                           : ascii_ == AsciiLetters::none ? Tables::AsciiLetters::none
                                                          : Tables::AsciiLetters::table;
    for (unsigned b = 0; b < 256; ++b) {
        tables->bytes[b] =
            bytes_[b] == undefinedByte ? Tables::invalidByte : letterOrNot(bytes_[b]);
    }
    return tables;
#else
    return nullptr;
#endif
}

std::optional<std::size_t> AlphabetCounter::letterFor(char32_t c) const {
    if (const auto letter = alphabet_.letterOf(c)) {
        return letter;
    }
    if (!foldAccents_) {
        return std::nullopt;
    }
    // The longest start of the decomposition that composes to a letter, the rest being marks.
    std::u32string parts;
    unicode::appendDecomposition(c, parts);
    for (std::size_t kept = parts.size() - 1; kept >= 1; --kept) {
        if (!unicode::isCombiningMark(parts[kept])) {
            break;
        }
        const std::u32string start = unicode::toNfc(std::u32string_view(parts).substr(0, kept));
        if (start.size() == 1) {
            if (const auto letter = alphabet_.letterOf(start[0])) {
                return letter;
            }
        }
    }
    return std::nullopt;
}

std::uint16_t AlphabetCounter::entryOf(char32_t c) const {
    if (c < 0x800) {
        return low_[c];
    }
    if (c <= 0xFFFF) {
        return pages_[pageOf_[c >> 8] * std::size_t{256} + (c & 0xFF)];
    }
    if (!unicode::isNfcBoundary(c)) {
        return follower;
    }
    const auto at =
        std::lower_bound(astral_.begin(), astral_.end(), std::pair{c, std::uint16_t{0}});
    return at != astral_.end() && at->first == c ? at->second : none_;
}

AlphabetCounts AlphabetCounter::emptyCounts() const {
    AlphabetCounts counts;
    counts.letters.assign(alphabet_.size(), 0);
    return counts;
}

AlphabetSeam AlphabetCounter::start(std::uint64_t offset) const {
    AlphabetSeam seam;
    seam.offset = offset;
    return seam;
}

// Counts (sign 1) or takes back (-1) what a run of a character and its followers counts as.
void AlphabetCounter::addCluster(std::u32string_view cluster, int sign, Work& work) const {
    if (cluster.size() == 1) {
        if (const std::uint16_t entry = entryOf(cluster[0]); entry != follower) {
            work.add(entry, sign);
            return;
        }
    }
    for (const char32_t c : unicode::toNfc(cluster)) {
        const auto letter = letterFor(c);
        work.add(letter ? static_cast<std::uint16_t>(*letter) : none_, sign);
    }
}

void AlphabetCounter::feed(char32_t c, std::u32string& cluster, Work& work) const {
    const std::uint16_t entry = entryOf(c);
    if (entry != follower) {
        cluster.assign(1, c);
        work.add(entry, 1);
        return;
    }
    if (cluster.size() >= maxCluster) {
        return;
    }
    addCluster(cluster, -1, work);
    cluster += c;
    addCluster(cluster, 1, work);
}

int AlphabetCounter::decode(const std::byte* p, const std::byte* end, char32_t& c) const {
    switch (encoding_) {
        case TextEncoding::utf8:
            return decodeUtf8(p, end, c);
        case TextEncoding::utf16LittleEndian:
            return decodeUtf16(p, end, false, c);
        case TextEncoding::utf16BigEndian:
            return decodeUtf16(p, end, true, c);
        default: {
            const unsigned b = u8(*p);
            const char32_t code = b < 0x80 ? b : codePageUpperHalf(encoding_)[b - 0x80];
            if (code == 0xFFFF) {
                return -1;
            }
            c = code;
            return 1;
        }
    }
}

// The plain reading loop: finishes the seam's pending character with the first bytes of `text`,
// then reads one character at a time, handing each to `take(read, c, at)` (`read` as decode()
// returns it, `at` the character's offset in the file), which returns true to stop. Returns how
// many bytes of `text` it consumed (all of them, unless it stopped); an unfinished character at
// the end is left pending in `seam`.
template <class Take>
std::size_t AlphabetCounter::readCharacters(AlphabetSeam& seam, std::span<const std::byte> text,
                                            Take&& take) const {
    std::size_t i = 0;
    while (seam.pendingSize > 0) {
        std::array<std::byte, 7> joined{};
        std::copy_n(seam.pending.begin(), seam.pendingSize, joined.begin());
        const std::size_t more = std::min<std::size_t>(4, text.size() - i);
        std::copy_n(text.begin() + static_cast<std::ptrdiff_t>(i), more,
                    joined.begin() + seam.pendingSize);
        const std::size_t size = seam.pendingSize + more;
        char32_t c = 0;
        const int read = decode(joined.data(), joined.data() + size, c);
        const std::uint64_t at = seam.offset + i - seam.pendingSize;
        if (read == 0) {
            std::copy_n(joined.begin(), size, seam.pending.begin());
            seam.pendingSize = static_cast<std::uint8_t>(size);
            return text.size();
        }
        const std::size_t length = static_cast<std::size_t>(read > 0 ? read : -read);
        if (length >= seam.pendingSize) {
            i += length - seam.pendingSize;
            seam.pendingSize = 0;
        } else {
            std::copy(seam.pending.begin() + static_cast<std::ptrdiff_t>(length),
                      seam.pending.begin() + seam.pendingSize, seam.pending.begin());
            seam.pendingSize = static_cast<std::uint8_t>(seam.pendingSize - length);
        }
        if (take(read, c, at)) {
            return i;
        }
    }
    const std::byte* const end = text.data() + text.size();
    const bool utf8 = encoding_ == TextEncoding::utf8;
    while (i < text.size()) {
        char32_t c = 0;
        int read = 0;
        const unsigned b0 = u8(text[i]);
        // The characters of one and two bytes that nearly all UTF-8 text is made of, read here
        // rather than through the general decoding.
        if (utf8 && b0 < 0x80) {
            c = b0;
            read = 1;
        } else if (utf8 && b0 >= 0xC2 && b0 < 0xE0 && i + 1 < text.size() &&
                   isContinuation(text[i + 1])) {
            c = (b0 & 0x1F) << 6 | (u8(text[i + 1]) & 0x3F);
            read = 2;
        } else {
            read = decode(text.data() + i, end, c);
        }
        if (read == 0) {
            seam.pendingSize = static_cast<std::uint8_t>(text.size() - i);
            std::copy(text.begin() + static_cast<std::ptrdiff_t>(i), text.end(),
                      seam.pending.begin());
            return text.size();
        }
        const std::uint64_t at = seam.offset + i;
        i += static_cast<std::size_t>(read > 0 ? read : -read);
        if (take(read, c, at)) {
            return i;
        }
    }
    return i;
}

// readCharacters() counting into `work`; stops once work.letters reaches `stopAt`.
std::size_t AlphabetCounter::feedBytes(AlphabetSeam& seam, std::span<const std::byte> text,
                                       Work& work, std::int64_t stopAt) const {
    return readCharacters(seam, text, [&](int read, char32_t c, std::uint64_t at) {
        if (read > 0) {
            feed(c, seam.cluster, work);
        } else {
            work.addInvalid(at);
            seam.cluster.assign(1, unicode::replacementCharacter);
            work.add(none_, 1);
        }
        work.stopped = work.letters >= stopAt;
        return work.stopped;
    });
}

// An unfinished character that can no longer be finished: one invalid sequence (UTF-8, where
// the pending bytes are one maximal subpart), or one per code unit (UTF-16).
void AlphabetCounter::flushPending(AlphabetSeam& seam, Work& work) const {
    const std::uint64_t at = seam.offset - seam.pendingSize;
    const std::size_t step = encoding_ == TextEncoding::utf8 ? seam.pendingSize : 2;
    for (std::size_t k = 0; k < seam.pendingSize; k += step) {
        work.addInvalid(at + k);
        seam.cluster.assign(1, unicode::replacementCharacter);
        work.add(none_, 1);
    }
    seam.pendingSize = 0;
}

void AlphabetCounter::count(std::span<const std::byte> text, AlphabetPiece& piece) const {
    Work work(alphabet_.size());
    work.origin = text.data();
    piece.headEnd = 0;
    piece.hasBoundary = !text.empty();
    piece.end = AlphabetSeam{};
    if (encoding_ == TextEncoding::utf8) {
        countUtf8(text, piece, work);
    } else if (isSingleByte(encoding_)) {
        countSingleByte(text, work);
    } else {
        countGenerally(text, piece, work);
    }
    auto& counts = piece.counts;
    counts.letters.assign(work.slots.begin(), work.slots.end() - 1);
    counts.total = 0;
    for (const std::int64_t n : counts.letters) {
        counts.total += n;
    }
    counts.invalidSequences = work.invalid;
    counts.firstInvalid = work.firstInvalid;
    piece.slack = work.slack;
}

void AlphabetCounter::addAsciiLetters(const std::byte* begin, const std::byte* end,
                                      Work& work) const {
    LetterAccumulators counts{};
    kernel_->add(std::span<const std::byte>(begin, end), counts);
    for (std::size_t letter = 0; letter < counts.size(); ++letter) {
        work.slots[letter] += static_cast<std::int64_t>(counts[letter]);
    }
    if (alphabet_.turkishCase()) {
        // A plain loop that the compiler vectorises; only Turkish text pays for it.
        std::int64_t dotted = 0;
        for (const std::byte* p = begin; p < end; ++p) {
            dotted += *p == std::byte{'i'};
        }
        work.slots['i' - 'a'] -= dotted;
        work.slots[dottedI_] += dotted;
    }
}

void AlphabetCounter::countUtf8(std::span<const std::byte> text, AlphabetPiece& piece,
                                Work& work) const {
    const std::byte* const begin = text.data();
    const std::size_t size = text.size();
    // The tail: a character whose first bytes end the piece, left for the next one.
    std::size_t tailStart = size;
    for (std::size_t back = 1; back <= std::min<std::size_t>(3, size); ++back) {
        if (!isContinuation(begin[size - back])) {
            char32_t c = 0;
            if (decodeUtf8(begin + size - back, begin + size, c) == 0) {
                tailStart = size - back;
            }
            break;
        }
    }
    // The head: continuation bytes that may finish a character of the piece before, and the
    // followers that may join a character there.
    std::size_t head = 0;
    while (head < std::min<std::size_t>(3, tailStart) && isContinuation(begin[head])) {
        ++head;
    }
    while (head < tailStart) {
        char32_t c = 0;
        const int read = decodeUtf8(begin + head, begin + size, c);
        if (read <= 0 || entryOf(c) != follower) {
            break;
        }
        head += static_cast<std::size_t>(read);
    }
    piece.headEnd = head;
    piece.hasBoundary = head < tailStart;
    piece.end.pendingSize = static_cast<std::uint8_t>(size - tailStart);
    std::copy(begin + tailStart, begin + size, piece.end.pending.begin());
    if (!piece.hasBoundary) {
        return;
    }
    if (vectors_ || pairEntries_) {
        countUtf8WithVectors(begin + head, begin + tailStart, work);
        piece.end.cluster = lastCluster(begin + head, begin + tailStart);
        return;
    }
    switch (ascii_) {
        case AsciiLetters::kernel:
            countUtf8Body<AsciiLetters::kernel>(begin + head, begin + tailStart, work);
            break;
        case AsciiLetters::none:
            countUtf8Body<AsciiLetters::none>(begin + head, begin + tailStart, work);
            break;
        case AsciiLetters::table:
            countUtf8Body<AsciiLetters::table>(begin + head, begin + tailStart, work);
            break;
    }
    piece.end.cluster = lastCluster(begin + head, begin + tailStart);
}

// The vector loops, with what they leave read one character at a time. The AVX2 loop reads only
// what is not ASCII: ASCII letters, where there are any, are the kernel's.
void AlphabetCounter::countUtf8WithVectors(const std::byte* begin, const std::byte* end,
                                           Work& work) const {
    const std::byte* p = begin;
#ifdef GLYPHMETER_BUILT_FOR_X86_64
    struct Context {
        const AlphabetCounter* counter;
        const std::byte* begin;
        const std::byte* end;
        Work* work;
    } context{this, begin, end, &work};
    const LeftCharacterReader readLeft = [](void* opaque, const std::byte* at) {
        const auto& [counter, from, to, counts] = *static_cast<Context*>(opaque);
        return counter->countSlowly(at, from, to, *counts);
    };
    if (vectors_) {
        p = addUtf8LettersAvx512(*vectors_, begin, end, work.slots.data(), readLeft, &context);
        countRange<AsciiLetters::table>(p, end, begin, end, work);
        return;
    }
    if (ascii_ == AsciiLetters::kernel) {
        addAsciiLetters(begin, end, work);
    }
    p = addUtf8PairsAvx2(pairEntries_->data(), follower, punctuationCounts_, begin, end,
                         work.slots.data(), readLeft, &context);
#endif
    countRange<AsciiLetters::none>(p, end, begin, end, work);
}

// The characters from `begin`, which is an NFC boundary, to `end`, which is in the middle of
// none. In Latin-script text, where the kernel has counted the ASCII letters, sixty-four bytes at a
// time: the vector test gives the bits of the bytes above ASCII, and only those are visited (a
// loop stopping at each would mispredict its end every time). Elsewhere nearly every byte is
// part of a letter, and the plain loop goes through them in turn.
template <AlphabetCounter::AsciiLetters ascii>
void AlphabetCounter::countUtf8Body(const std::byte* begin, const std::byte* end,
                                    Work& work) const {
    const std::byte* p = begin;  // where the next character starts
    if constexpr (ascii == AsciiLetters::kernel) {
        addAsciiLetters(begin, end, work);
        const std::uint16_t* const low = low_.data();  // held here: the stores may alias it
        std::int64_t* const slots = work.slots.data();
        const std::byte* chunk = begin;
        for (; end - chunk >= 64; chunk += 64) {
            if (p - chunk >= 64) {
                continue;
            }
            std::uint64_t high = highBits_(chunk) & ~std::uint64_t{0}
                                                        << std::max<std::ptrdiff_t>(p - chunk, 0);
            while (high != 0) {
                const std::byte* const q = chunk + std::countr_zero(high);
                const unsigned b0 = u8(q[0]);
                if (b0 >= 0xC2 && b0 < 0xE0 && end - q >= 2 && isContinuation(q[1])) {
                    if (const std::uint16_t entry = low[(b0 & 0x1F) << 6 | (u8(q[1]) & 0x3F)];
                        entry != follower) {
                        ++slots[entry];
                        p = q + 2;
                    } else {
                        p = countSlowly(q, begin, end, work);
                    }
                } else {
                    p = countSlowly(q, begin, end, work);
                }
                high = p - chunk >= 64 ? 0 : high & ~std::uint64_t{0} << (p - chunk);
            }
        }
        p = std::max(p, chunk);  // the rest, less than a chunk, in the plain loop
    } else if constexpr (ascii == AsciiLetters::none) {
        // Cyrillic or Greek: characters of one and two bytes mixed at random, so each step is
        // taken without a branch on its length. Each step still waits for the byte that sets
        // its length: four parts of the text are read side by side, so that their waits
        // overlap. Each part starts at an NFC boundary, so each counts as it would alone, into a
        // set of counters of its own (which also keeps a letter that comes again soon, as о does
        // in Russian, from waiting on its counter's last addition).
        const auto boundaryFrom = [&](const std::byte* at) {
            while (at < end && isContinuation(*at)) {
                ++at;
            }
            for (char32_t c = 0; at < end;) {
                const int read = decodeUtf8(at, end, c);
                if (read <= 0 || entryOf(c) != follower) {
                    break;
                }
                at += read;
            }
            return at;
        };
        std::array<const std::byte*, 5> parts{begin};
        for (std::size_t part = 1; part < 4; ++part) {
            parts[part] = std::max(parts[part - 1], boundaryFrom(begin + (end - begin) * part / 4));
        }
        parts[4] = end;
        std::array<const std::byte*, 4> at{parts[0], parts[1], parts[2], parts[3]};
        const std::uint16_t* const low = low_.data();
        const std::size_t stride = work.slots.size();
        std::vector<std::int64_t> ways(4 * stride);
        const auto step = [&](std::size_t part) {
            const std::byte* const q = at[part];
            const unsigned b0 = u8(q[0]);
            const unsigned b1 = u8(q[1]);
            const bool two = b0 - 0xC2u < 0x1Eu && (b1 & 0xC0u) == 0x80u;
            const std::uint16_t entry = low[two ? (b0 & 0x1F) << 6 | (b1 & 0x3F) : b0 & 0x7F];
            if ((b0 >= 0x80 && !two) || entry == follower) {
                at[part] = countSlowly(q, parts[part], parts[part + 1], work);
                return;
            }
            ++ways[part * stride + entry];
            at[part] = q + (two ? 2 : 1);
        };
        while (parts[1] - at[0] >= 2 && parts[2] - at[1] >= 2 && parts[3] - at[2] >= 2 &&
               parts[4] - at[3] >= 2) {
            step(0);
            step(1);
            step(2);
            step(3);
        }
        for (std::size_t part = 1; part < 4; ++part) {
            countRange<ascii>(at[part], parts[part + 1], parts[part], parts[part + 1], work);
        }
        p = at[0];
        end = parts[1];  // what is left of the first part is read below
        for (std::size_t i = 0; i < ways.size(); ++i) {
            work.slots[i % stride] += ways[i];
        }
    }
    countRange<ascii>(p, end, begin, end, work);
}

// The plain loop: the characters that start in [p, stop), read up to `end` at most; returns
// where the character after the last of them starts.
template <AlphabetCounter::AsciiLetters ascii>
const std::byte* AlphabetCounter::countRange(const std::byte* p, const std::byte* stop,
                                             const std::byte* begin, const std::byte* end,
                                             Work& work) const {
    std::int64_t* const slots = work.slots.data();
    while (p < stop) {
        if (u8(*p) < 0x80) {
            if constexpr (ascii == AsciiLetters::table) {
                ++slots[low_[u8(*p)]];
            }
            ++p;
            continue;
        }
        const unsigned b0 = u8(p[0]);
        if (b0 >= 0xC2 && b0 < 0xE0 && end - p >= 2 && isContinuation(p[1])) {
            const std::uint16_t entry = low_[(b0 & 0x1F) << 6 | (u8(p[1]) & 0x3F)];
            if (entry != follower) {
                ++slots[entry];
                p += 2;
                continue;
            }
        }
        p = countSlowly(p, begin, end, work);
    }
    return p;
}

// One character of any kind at `at`: four bytes, invalid, or a follower.
const std::byte* AlphabetCounter::countSlowly(const std::byte* at, const std::byte* begin,
                                              const std::byte* end, Work& work) const {
    char32_t c = 0;
    int read = decodeUtf8(at, end, c);
    if (read <= 0) {
        // Unfinished at the end of the body: the next piece's first byte, or the tail's, is no
        // continuation byte, so these bytes are one ill-formed subpart.
        const std::ptrdiff_t length = read == 0 ? end - at : -read;
        work.addInvalid(static_cast<std::uint64_t>(at - work.origin));
        ++work.slots[none_];
        return at + length;
    }
    if (const std::uint16_t entry = entryOf(c); entry != follower) {
        ++work.slots[entry];
        return at + read;
    }
    return countCluster(at, begin, end, work);
}

namespace {

// The character that ends right before `at`, not before `begin`; false when the bytes there are
// ill-formed. `start` receives where it starts.
bool previousUtf8(const std::byte* at, const std::byte* begin, char32_t& c,
                  const std::byte*& start) {
    const std::byte* lead = at - 1;
    while (lead > begin && at - lead < 4 && isContinuation(*lead)) {
        --lead;
    }
    start = lead;
    return decodeUtf8(lead, at, c) == at - lead;
}

}  // namespace

// A follower at `at`: the character before it (counted already) and the followers from `at` on,
// counted as their NFC.
const std::byte* AlphabetCounter::countCluster(const std::byte* at, const std::byte* begin,
                                               const std::byte* end, Work& work) const {
    std::u32string cluster;
    char32_t before = 0;
    const std::byte* start = nullptr;
    if (at > begin && previousUtf8(at, begin, before, start)) {
        cluster.assign(1, before);
        work.add(entryOf(before), -1);
    } else {
        cluster.assign(1, unicode::replacementCharacter);
    }
    const std::byte* p = at;
    while (p < end) {
        char32_t c = 0;
        const int read = decodeUtf8(p, end, c);
        if (read <= 0 || entryOf(c) != follower) {
            break;
        }
        if (cluster.size() < maxCluster) {
            cluster += c;
        }
        p += read;
    }
    addCluster(cluster, 1, work);
    // Reading one character at a time, each follower puts the run in NFC again: however the
    // count moves on the way, it never exceeds four letters for each character of the run.
    work.slack += 4 * static_cast<std::int64_t>(cluster.size());
    return p;
}

// The last character of [begin, end) that is an NFC boundary (or ill-formed), with its followers.
std::u32string AlphabetCounter::lastCluster(const std::byte* begin, const std::byte* end) const {
    std::u32string reversed;
    for (const std::byte* p = end; p > begin;) {
        char32_t c = 0;
        const std::byte* start = nullptr;
        if (!previousUtf8(p, begin, c, start)) {
            reversed += unicode::replacementCharacter;
            break;
        }
        reversed += c;
        if (entryOf(c) != follower) {
            break;
        }
        p = start;
    }
    std::reverse(reversed.begin(), reversed.end());
    if (reversed.size() > maxCluster) {
        reversed.resize(maxCluster);
    }
    return reversed;
}

void AlphabetCounter::countSingleByte(std::span<const std::byte> text, Work& work) const {
    const std::byte* const begin = text.data();
    const std::byte* const end = begin + text.size();
    std::int64_t* const slots = work.slots.data();
#ifdef GLYPHMETER_BUILT_FOR_X86_64
    if (vectors_) {
        addCodePageLettersAvx512(*vectors_, begin, end, slots, work.invalid, work.firstInvalid);
        return;
    }
#endif
    if (ascii_ == AsciiLetters::kernel) {
        // Latin-script text: the kernel counts the ASCII letters, and the rare bytes above are
        // looked up one by one.
        addAsciiLetters(begin, end, work);
        const auto countByte = [&](const std::byte* p) {
            const std::uint16_t entry = bytes_[u8(*p)];
            if (entry == undefinedByte) {
                work.addInvalid(static_cast<std::uint64_t>(p - begin));
                ++slots[none_];
            } else {
                ++slots[entry];
            }
        };
        // Sixty-four bytes at a time, visiting only the bits of those above ASCII: a loop that
        // stops at each of them would mispredict its end every time.
        const std::byte* p = begin;
        for (; end - p >= 64; p += 64) {
            for (std::uint64_t high = highBits_(p); high != 0; high &= high - 1) {
                countByte(p + std::countr_zero(high));
            }
        }
        for (; p < end; ++p) {
            if (u8(*p) >= 0x80) {
                countByte(p);
            }
        }
        return;
    }
    // Other scripts: a histogram of byte values, four of them used in turn so that a run of one
    // letter does not wait on one counter, then each value's count goes to its letter.
    std::array<std::array<std::uint32_t, 256>, 4> histogram{};
    std::array<std::uint64_t, 256> perByte{};
    for (const std::byte* p = begin; p < end;) {
        const std::byte* const stop =
            p + std::min<std::ptrdiff_t>(end - p, std::ptrdiff_t{1} << 30);
        for (; stop - p >= 4; p += 4) {
            ++histogram[0][u8(p[0])];
            ++histogram[1][u8(p[1])];
            ++histogram[2][u8(p[2])];
            ++histogram[3][u8(p[3])];
        }
        for (; p < stop; ++p) {
            ++histogram[0][u8(*p)];
        }
        for (auto& way : histogram) {
            for (unsigned b = 0; b < 256; ++b) {
                perByte[b] += way[b];
            }
            way.fill(0);
        }
    }
    for (unsigned b = 0; b < 256; ++b) {
        if (bytes_[b] == undefinedByte) {
            work.invalid += perByte[b];
            slots[none_] += static_cast<std::int64_t>(perByte[b]);
        } else {
            slots[bytes_[b]] += static_cast<std::int64_t>(perByte[b]);
        }
    }
    if (work.invalid > 0) {
        const std::byte* first = std::find_if(
            begin, end, [this](std::byte b) { return bytes_[u8(b)] == undefinedByte; });
        work.firstInvalid = static_cast<std::uint64_t>(first - begin);
    }
}

// UTF-16: the plain reading loop over the piece, less its head and tail.
void AlphabetCounter::countGenerally(std::span<const std::byte> text, AlphabetPiece& piece,
                                     Work& work) const {
    const bool bigEndian = encoding_ == TextEncoding::utf16BigEndian;
    const std::byte* const begin = text.data();
    std::size_t tailStart = text.size();
    if (tailStart % 2 != 0) {
        --tailStart;
    }
    char32_t c = 0;
    if (tailStart >= 2 &&
        decodeUtf16(begin + tailStart - 2, begin + tailStart, bigEndian, c) == 0) {
        tailStart -= 2;
    }
    std::size_t head = 0;
    if (tailStart >= 2 && decodeUtf16(begin, begin + tailStart, bigEndian, c) == -2 &&
        u8(begin[bigEndian ? 0 : 1]) >= 0xDC) {
        head = 2;  // a low surrogate, which the piece before may have begun
    }
    while (head < tailStart) {
        const int read = decodeUtf16(begin + head, begin + tailStart, bigEndian, c);
        if (read <= 0 || entryOf(c) != follower) {
            break;
        }
        head += static_cast<std::size_t>(read);
    }
    piece.headEnd = head;
    piece.hasBoundary = head < tailStart;
    piece.end.pendingSize = static_cast<std::uint8_t>(text.size() - tailStart);
    std::copy(begin + tailStart, begin + text.size(), piece.end.pending.begin());
    AlphabetSeam body;
    body.offset = head;
    feedBytes(body, text.subspan(head, tailStart - head), work,
              std::numeric_limits<std::int64_t>::max());
    if (body.pendingSize > 0) {
        // A high surrogate left over at the body's end: the tail starts with another, so this
        // one is unpaired, as the plain loop finds when it reads on.
        body.offset = tailStart;
        flushPending(body, work);
    }
    work.slack = work.peak - work.letters;
    piece.end.cluster = std::move(body.cluster);
}

void AlphabetCounter::apply(const Work& work, std::uint64_t offset, AlphabetCounts& totals) const {
    for (std::size_t letter = 0; letter < totals.letters.size(); ++letter) {
        totals.letters[letter] += work.slots[letter];
        totals.total += work.slots[letter];
    }
    totals.invalidSequences += work.invalid;
    if (!totals.firstInvalid && work.firstInvalid) {
        totals.firstInvalid = offset + *work.firstInvalid;
    }
}

bool AlphabetCounter::commit(AlphabetSeam& seam, std::span<const std::byte> text,
                             const AlphabetPiece& piece, AlphabetCounts& totals,
                             std::int64_t limit) const {
    if (mayReach(seam, text.first(piece.headEnd), text.size(), piece, totals, limit)) {
        return countPlainly(seam, text, totals, limit);
    }
    commitWhole(seam, text.first(piece.headEnd), text.size(), piece, totals);
    return false;
}

// What the seam's pending character and cluster make with the piece's first bytes, `head`, of
// `size` in all; `next` is the seam moved past them.
AlphabetCounter::Work AlphabetCounter::joinHead(AlphabetSeam& next, std::span<const std::byte> head,
                                                std::size_t size) const {
    Work join(alphabet_.size());
    feedBytes(next, head, join, std::numeric_limits<std::int64_t>::max());
    next.offset += head.size();
    if (head.size() < size) {
        flushPending(next, join);
    }
    return join;
}

bool AlphabetCounter::mayReach(const AlphabetSeam& seam, std::span<const std::byte> head,
                               std::size_t size, const AlphabetPiece& piece,
                               const AlphabetCounts& totals, std::int64_t limit) const {
    AlphabetSeam next = seam;
    const Work join = joinHead(next, head, size);
    return totals.total + join.peak >= limit ||
           totals.total + join.letters + piece.counts.total + piece.slack >= limit;
}

void AlphabetCounter::commitWhole(AlphabetSeam& seam, std::span<const std::byte> head,
                                  std::size_t size, const AlphabetPiece& piece,
                                  AlphabetCounts& totals) const {
    // The join: the seam's pending character and cluster, continued by the piece's head.
    AlphabetSeam next = seam;
    const Work join = joinHead(next, head, size);
    apply(join, 0, totals);
    for (std::size_t letter = 0; letter < totals.letters.size(); ++letter) {
        totals.letters[letter] += piece.counts.letters[letter];
    }
    totals.total += piece.counts.total;
    totals.invalidSequences += piece.counts.invalidSequences;
    if (!totals.firstInvalid && piece.counts.firstInvalid) {
        totals.firstInvalid = seam.offset + *piece.counts.firstInvalid;
    }
    if (piece.hasBoundary) {
        next.cluster = piece.end.cluster;
    }
    if (head.size() < size) {
        next.pending = piece.end.pending;
        next.pendingSize = piece.end.pendingSize;
    }
    next.offset = seam.offset + size;
    seam = std::move(next);
}

bool AlphabetCounter::countPlainly(AlphabetSeam& seam, std::span<const std::byte> text,
                                   AlphabetCounts& totals, std::int64_t limit) const {
    Work work(alphabet_.size());
    const std::int64_t stopAt = limit - totals.total;
    const std::size_t consumed = feedBytes(seam, text, work, stopAt);
    apply(work, 0, totals);
    seam.offset += consumed;
    return work.stopped;
}

void AlphabetCounter::finish(AlphabetSeam& seam, AlphabetCounts& totals) const {
    Work work(alphabet_.size());
    flushPending(seam, work);
    apply(work, 0, totals);
}

// The slots of a complete cluster: the letters its NFC counts as, in order.
void AlphabetCounter::clusterSlots(std::u32string_view cluster,
                                   std::vector<std::uint16_t>& slots) const {
    if (cluster.size() == 1) {
        if (const std::uint16_t entry = entryOf(cluster[0]); entry != follower) {
            slots.push_back(entry);
            return;
        }
    }
    for (const char32_t c : unicode::toNfc(cluster)) {
        const auto letter = letterFor(c);
        slots.push_back(letter ? static_cast<std::uint16_t>(*letter) : none_);
    }
}

namespace {

// The cluster letterSlots() has read but not yet appended, held without a string while it is
// one character (as nearly every cluster is): `single` with its slot `singleSlot`.
struct OpenCluster {
    enum class Form { empty, single, joined } form = Form::empty;
    char32_t single = 0;
    std::uint16_t singleSlot = 0;
    std::int64_t letters = 0;  // the letters it counts as so far
};

}  // namespace

bool AlphabetCounter::letterSlots(AlphabetSeam& seam, std::span<const std::byte> text,
                                  std::vector<std::uint16_t>& slots, AlphabetCounts& totals,
                                  std::int64_t limit) const {
    std::vector<std::uint16_t> scratch;
    const auto lettersOf = [&](std::u32string_view cluster) {
        scratch.clear();
        clusterSlots(cluster, scratch);
        return static_cast<std::int64_t>(std::count_if(
            scratch.begin(), scratch.end(), [&](std::uint16_t s) { return s != none_; }));
    };
    OpenCluster open;
    if (seam.cluster.size() == 1 && entryOf(seam.cluster[0]) != follower) {
        open.form = OpenCluster::Form::single;
        open.single = seam.cluster[0];
        open.singleSlot = entryOf(open.single);
        open.letters = open.singleSlot != none_;
    } else if (!seam.cluster.empty()) {
        open.form = OpenCluster::Form::joined;
        open.letters = lettersOf(seam.cluster);
    }
    // Written in place, `used` of them, the vector's size set once it is known.
    std::size_t used = slots.size();
    slots.resize(used + text.size() + seam.cluster.size() + 4);
    const auto append = [&](std::uint16_t slot) {
        if (used == slots.size()) {
            slots.resize(2 * used + 16);
        }
        slots[used++] = slot;
        if (slot != none_) {
            ++totals.letters[slot];
            ++totals.total;
        }
    };
    const auto close = [&] {
        if (open.form == OpenCluster::Form::single) {
            append(open.singleSlot);
        } else if (open.form == OpenCluster::Form::joined) {
            scratch.clear();
            clusterSlots(seam.cluster, scratch);
            for (const std::uint16_t slot : scratch) {
                append(slot);
            }
        }
        open = OpenCluster{};
    };
    const auto startWith = [&](char32_t c, std::uint16_t slot) {
        close();
        open.form = OpenCluster::Form::single;
        open.single = c;
        open.singleSlot = slot;
        open.letters = slot != none_;
    };
    // Far from the limit, runs of the characters that start clusters and are read without the
    // general decoding (UTF-8 of one or two bytes, a code page's defined bytes, UTF-16 outside
    // the surrogates) are read in a loop of their own; any other character goes through the
    // general reading. The margin leaves room for clusters whose letters change as marks join
    // them.
    const bool mayRunFast =
        totals.total + 4 * static_cast<std::int64_t>(text.size() + seam.cluster.size() + 1) < limit;
    const std::uint16_t* const low = low_.data();
    const bool singleByte = isSingleByte(encoding_);
    const std::span<const char16_t> upper =
        singleByte ? codePageUpperHalf(encoding_) : std::span<const char16_t>();
    const bool bigEndian = encoding_ == TextEncoding::utf16BigEndian;
    // The character at `i` when it is one of those: its code, length and entry.
    const auto fastAt = [&](std::size_t i, char32_t& c, std::size_t& length, std::uint16_t& entry) {
        const unsigned b0 = u8(text[i]);
        if (encoding_ == TextEncoding::utf8) {
            c = b0;
            length = 1;
            if (b0 >= 0x80) {
                if (b0 - 0xC2u >= 0x1Eu || i + 1 == text.size() || !isContinuation(text[i + 1])) {
                    return false;
                }
                c = (b0 & 0x1F) << 6 | (u8(text[i + 1]) & 0x3F);
                length = 2;
            }
            entry = low[c];
        } else if (singleByte) {
            entry = bytes_[b0];
            if (entry == undefinedByte) {
                return false;
            }
            c = b0 < 0x80 ? b0 : upper[b0 - 0x80];
            length = 1;
        } else {
            if (i + 1 == text.size()) {
                return false;
            }
            const unsigned b1 = u8(text[i + 1]);
            c = bigEndian ? b0 << 8 | b1 : b1 << 8 | b0;
            if (c >= 0xD800 && c < 0xE000) {
                return false;
            }
            length = 2;
            entry = c < 0x800 ? low[c] : entryOf(c);
        }
        return entry != follower;
    };
    // Reads such a run from `i`, the state in locals, and returns where it ends.
    const auto runFast = [&](std::size_t i) {
        char32_t c = 0;
        std::size_t length = 0;
        std::uint16_t entry = 0;
        if (open.form != OpenCluster::Form::single) {
            if (!fastAt(i, c, length, entry)) {
                return i;
            }
            startWith(c, entry);
            i += length;
        }
        if (slots.size() - used < text.size() - i) {
            slots.resize(used + text.size() - i);  // at most a character a byte
        }
        const std::size_t from = used;
        std::uint16_t* const out = slots.data();
        std::size_t n = used;
        char32_t last = open.single;
        std::uint16_t lastSlot = open.singleSlot;
        while (i < text.size() && fastAt(i, c, length, entry)) {
            out[n++] = lastSlot;
            last = c;
            lastSlot = entry;
            i += length;
        }
        used = n;
        open.single = last;
        open.singleSlot = lastSlot;
        open.letters = lastSlot != none_;
        for (std::size_t k = from; k < used; ++k) {
            if (slots[k] != none_) {
                ++totals.letters[slots[k]];
                ++totals.total;
            }
        }
        return i;
    };
    bool stopped = false;
    const auto take = [&](int read, char32_t c, std::uint64_t at) {
        if (read <= 0) {
            if (!totals.firstInvalid) {
                totals.firstInvalid = at;
            }
            ++totals.invalidSequences;
            startWith(unicode::replacementCharacter, none_);
        } else if (const std::uint16_t entry = c < 0x800 ? low[c] : entryOf(c); entry != follower) {
            startWith(c, entry);
        } else {
            if (open.form != OpenCluster::Form::joined) {
                seam.cluster.clear();
                if (open.form == OpenCluster::Form::single) {
                    seam.cluster.assign(1, open.single);
                }
                open.form = OpenCluster::Form::joined;
            }
            // As the tally reads it: marks past the longest run change nothing.
            if (seam.cluster.size() < maxCluster) {
                seam.cluster += c;
                open.letters = lettersOf(seam.cluster);
            }
        }
        stopped = totals.total + open.letters >= limit;
        // Back to the fast loop after each character it leaves to this one.
        return stopped || mayRunFast;
    };
    const std::uint64_t origin = seam.offset;
    std::size_t done = 0;  // the bytes of `text` read
    while (!stopped && done < text.size()) {
        if (mayRunFast && seam.pendingSize == 0) {
            done = runFast(done);
            if (done == text.size()) {
                break;
            }
        }
        seam.offset = origin + done;
        done += readCharacters(seam, text.subspan(done), take);
    }
    seam.offset = origin + done;
    if (stopped) {
        close();
        slots.resize(used);
        seam.cluster.clear();
        seam.pendingSize = 0;
        return true;
    }
    if (open.form == OpenCluster::Form::single) {
        seam.cluster.assign(1, open.single);
    } else if (open.form == OpenCluster::Form::empty) {
        seam.cluster.clear();
    }
    slots.resize(used);
    return false;
}

void AlphabetCounter::finishLetterSlots(AlphabetSeam& seam, std::vector<std::uint16_t>& slots,
                                        AlphabetCounts& totals) const {
    const std::size_t from = slots.size();
    clusterSlots(seam.cluster, slots);
    for (std::size_t i = from; i < slots.size(); ++i) {
        if (slots[i] != none_) {
            ++totals.letters[slots[i]];
            ++totals.total;
        }
    }
    // The unfinished character: invalid sequences, each a character that is no letter.
    Work work(alphabet_.size());
    flushPending(seam, work);
    slots.insert(slots.end(), work.invalid, none_);
    apply(work, 0, totals);
    seam.cluster.clear();
}

}  // namespace glyphmeter::analysis
