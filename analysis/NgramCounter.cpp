// The sequence counter. It finds sequences without a branch that depends on the text: every
// character becomes a digit, 0..25 for its letter or 26 for anything else, and the slot of the N
// digits ending at each character is incremented whatever they hold. Slots with a 26 among their
// digits are never read back, so a run break costs nothing extra. Across words the letters'
// digits are packed together first, so only letters follow each other.
#include "NgramCounter.h"
#include "LetterIndex.h"

#include "NgramPack.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>
#include <type_traits>

namespace glyphmeter::analysis {

namespace {

// Quadgram slots: the first two digits and the last two each through a small table, giving a
// table of 27^4 slots (2 MiB) instead of the 32^4 (4 MiB) of the five-bit digits themselves.
struct PairTables {
    std::array<std::uint32_t, 1024> high{};
    std::array<std::uint32_t, 1024> low{};
};

constexpr PairTables makePairTables() {
    PairTables tables;
    for (unsigned first = 0; first < 32; ++first) {
        for (unsigned second = 0; second < 32; ++second) {
            const unsigned a = first < 27 ? first : 26;
            const unsigned b = second < 27 ? second : 26;
            tables.low[first << 5 | second] = a * 27 + b;
            tables.high[first << 5 | second] = (a * 27 + b) * 27 * 27;
        }
    }
    return tables;
}

constexpr PairTables pairTables = makePairTables();

template <int N>
constexpr std::size_t tableSize() {
    return N == 4 ? std::size_t{27 * 27 * 27 * 27} : std::size_t{1} << (5 * N);
}

// The slot of the last N digits of `digits`. Bigrams and trigrams use the digits themselves.
template <int N>
inline std::size_t slotOf(std::uint64_t digits) {
    if constexpr (N == 4) {
        return pairTables.high[(digits >> 10) & 1023] + pairTables.low[digits & 1023];
    } else {
        return static_cast<std::size_t>(digits & ((std::uint64_t{1} << (5 * N)) - 1));
    }
}

template <int N>
constexpr NgramState stateMask() {
    return (NgramState{1} << (5 * (N - 1))) - 1;
}

template <int N>
constexpr NgramState emptyState() {
    NgramState state = 0;
    for (int i = 0; i < N - 1; ++i) {
        state = state << 5 | notALetter;
    }
    return state;
}

// `touched`, where given, gets every slot incremented (as do the other counting functions).
using Touched = std::vector<std::uint32_t>;

template <int N, bool spanWords>
NgramState countPlainly(std::uint32_t* table, NgramState state, const std::uint8_t* text,
                        std::size_t size, int sign, Touched* touched) {
    const auto step = static_cast<std::uint32_t>(sign);
    for (std::size_t i = 0; i < size; ++i) {
        const unsigned letter = letterIndex[text[i]];
        if (spanWords && letter == notALetter) {
            continue;
        }
        state = state << 5 | letter;
        const std::size_t slot = slotOf<N>(state);
        table[slot] += step;
        if (touched != nullptr) {
            touched->push_back(static_cast<std::uint32_t>(slot));
        }
    }
    return state & stateMask<N>();
}

// How many characters of a piece may hold the end of a sequence that began before it: N-1
// characters, or with spanWords the characters up to its (N-1)th letter.
template <int N, bool spanWords>
std::size_t joinedPrefix(const std::uint8_t* text, std::size_t size) {
    if constexpr (!spanWords) {
        return size < N - 1 ? size : N - 1;
    } else {
        int letters = 0;
        for (std::size_t i = 0; i < size; ++i) {
            if (letterIndex[text[i]] != notALetter && ++letters == N - 1) {
                return i + 1;
            }
        }
        return size;
    }
}

template <int N, bool spanWords>
NgramState join(std::uint32_t* table, NgramState before, const std::uint8_t* text, std::size_t size,
                NgramState standaloneEnd, Touched* touched) {
    if (before == emptyState<N>()) {
        return standaloneEnd;
    }
    const std::size_t prefix = joinedPrefix<N, spanWords>(text, size);
    // The sequences ending in the prefix were counted with "no letter" digits before them, into
    // slots never read back; here they get their real first letters.
    const NgramState after = countPlainly<N, spanWords>(table, before, text, prefix, 1, touched);
    return prefix == size ? after : standaloneEnd;
}

// The prefix join() reads, without the characters that join() skips over.
template <int N, bool spanWords>
NgramHead headOf(const std::uint8_t* text, std::size_t size) {
    NgramHead head;
    const std::size_t prefix = joinedPrefix<N, spanWords>(text, size);
    for (std::size_t i = 0; i < prefix; ++i) {
        if (!spanWords || letterIndex[text[i]] != notALetter) {
            head.chars[head.size++] = static_cast<std::byte>(text[i]);
        }
    }
    head.wholePiece = prefix == size;
    return head;
}

// A character's digit: 0..25 for a letter, 26 for anything else. No table, so the compiler can
// turn the loops that call it into vector code.
inline std::uint8_t digitOf(std::uint8_t byte) {
    const auto fromA = static_cast<std::uint8_t>((byte | 0x20) - 'a');
    return fromA < notALetter ? fromA : static_cast<std::uint8_t>(notALetter);
}

template <int N>
using Slot = std::conditional_t<N == 4, std::uint32_t, std::uint16_t>;

// The slot of the N digits at `digits`, as slotOf gives it for their five-bit packing.
template <int N>
inline Slot<N> slotOfDigits(const std::uint8_t* digits) {
    if constexpr (N == 2) {
        return static_cast<Slot<N>>(digits[0] << 5 | digits[1]);
    } else if constexpr (N == 3) {
        return static_cast<Slot<N>>(digits[0] << 10 | digits[1] << 5 | digits[2]);
    } else {
        return (static_cast<std::uint32_t>(digits[0]) * 27 + digits[1]) * (27 * 27) +
               static_cast<std::uint32_t>(digits[2]) * 27 + digits[3];
    }
}

// Moves the slots of the runs of N digits that are letters alone (the sequences) to the front
// of `slots`, in order, and returns how many there are. `digits` are the digits the slots were
// made of: slot i is that of digits i to i+N-1; at most a stretch (4,096) of them. Without a
// branch, as about half the runs of a text are not sequences.
// With `avx2`, the moves are byte shuffles.
template <int N, bool avx2>
[[gnu::always_inline]] inline std::size_t keepSequences(const std::uint8_t* digits, Slot<N>* slots,
                                                        std::size_t size) {
    // First which runs are sequences, as vector code; then the moves.
    constexpr std::size_t stretch = 4096;
    alignas(64) std::uint8_t sequence[stretch];
    for (std::size_t i = 0; i < size; ++i) {
        std::uint8_t highest = digits[i];
        for (int k = 1; k < N; ++k) {
            highest = digits[i + k] > highest ? digits[i + k] : highest;
        }
        sequence[i] = highest < notALetter ? 1 : 0;
    }
#ifdef GLYPHMETER_BUILT_FOR_X86_64
    if constexpr (avx2) {
        return keepMarkedAvx2(slots, sequence, size);
    }
#endif
    return keepMarkedScalar(slots, sequence, size);
}

// Counts the sequences at `slots`, listing each slot at its first count, without a branch: the
// list is as long as the distinct sequences, which is what taking the counts then costs.
template <int N>
[[gnu::always_inline]] inline void countListing(std::uint32_t* table, const Slot<N>* slots,
                                                std::size_t size, Touched& touched) {
    std::size_t listed = touched.size();
    touched.resize(listed + size);
    std::uint32_t* const list = touched.data();
    for (std::size_t i = 0; i < size; ++i) {
        list[listed] = slots[i];
        listed += table[slots[i]]++ == 0 ? 1 : 0;
    }
    touched.resize(listed);
}

// A stretch at a time, in passes that each stay in the L1 cache: the characters' digits (packed
// to the letters' alone across words), the slots of the sequences ending at each digit, and the
// counting. The digits and slots have no dependence from one character to the next and run as
// vector code; the counting is one increment per sequence. The last N-1 digits of a stretch lead
// the next one.
// While `touched` is given, the runs that are not sequences are dropped and every slot left is
// listed in it at its first count, so that the list (and taking the counts) is as long as the
// text's distinct sequences; once the list passes `listBound` it is dropped (set to null) and
// the rest of the text is counted without listing, each run's slot incremented without a test.
// Inlined into each caller, so that it is compiled for the caller's instruction set.
template <int N, bool spanWords, bool avx2 = false>
[[gnu::always_inline]] inline NgramState countPiece(std::uint32_t* table, const std::uint8_t* text,
                                                    std::size_t size, PackLettersFunction pack,
                                                    std::int64_t& letters, Touched*& touched,
                                                    std::size_t listBound) {
    constexpr std::size_t stretch = 4096;
    constexpr std::size_t carried = N - 1;
    alignas(64) std::uint8_t digits[carried + stretch + 8];
    alignas(64) std::uint8_t all[spanWords ? stretch : 1];
    alignas(64) Slot<N> slots[stretch];
    for (std::size_t i = 0; i < carried; ++i) {
        digits[i] = notALetter;
    }
    for (std::size_t done = 0; done < size;) {
        const std::size_t now = size - done < stretch ? size - done : stretch;
        const std::uint8_t* in = text + done;
        std::uint8_t* out = spanWords ? all : digits + carried;
        std::size_t written = now;
        if constexpr (spanWords) {
            for (std::size_t i = 0; i < now; ++i) {
                out[i] = digitOf(in[i]);
            }
            written = pack(all, now, digits + carried);
            letters += static_cast<std::int64_t>(written);
        } else {
            std::uint32_t inStretch = 0;
            for (std::size_t i = 0; i < now; ++i) {
                out[i] = digitOf(in[i]);
                inStretch += out[i] != notALetter;
            }
            letters += inStretch;
        }
        for (std::size_t i = 0; i < written; ++i) {
            slots[i] = slotOfDigits<N>(digits + i);
        }
        if (touched != nullptr && touched->size() > listBound) {
            touched = nullptr;
        }
        if (touched != nullptr) {
            countListing<N>(table, slots, keepSequences<N, avx2>(digits, slots, written), *touched);
        } else {
            for (std::size_t i = 0; i < written; ++i) {
                ++table[slots[i]];
            }
        }
        for (std::size_t i = 0; i < carried; ++i) {
            digits[i] = digits[written + i];
        }
        done += now;
    }
    NgramState state = 0;
    for (std::size_t i = 0; i < carried; ++i) {
        state = state << 5 | digits[i];
    }
    return state;
}

#ifdef GLYPHMETER_BUILT_FOR_X86_64
// countPiece compiled for AVX2, used when the counter's kernel may use it: its vector loops then
// take twice the characters an instruction.
template <int N, bool spanWords>
__attribute__((target("avx2"))) NgramState countPieceAvx2(
    std::uint32_t* table, const std::uint8_t* text, std::size_t size, PackLettersFunction pack,
    std::int64_t& letters, Touched*& touched, std::size_t listBound) {
    return countPiece<N, spanWords, true>(table, text, size, pack, letters, touched, listBound);
}
#endif

const std::uint8_t* bytesOf(std::span<const std::byte> text) {
    return reinterpret_cast<const std::uint8_t*>(text.data());
}

// Calls `action.template operator()<N, spanWords>()` with the options as template arguments.
template <typename Action>
auto dispatch(const NgramOptions& options, Action&& action) {
    const auto withSpan = [&]<int N>() {
        return options.spanWords ? action.template operator()<N, true>()
                                 : action.template operator()<N, false>();
    };
    switch (options.length) {
        case 2:
            return withSpan.template operator()<2>();
        case 3:
            return withSpan.template operator()<3>();
        default:
            return withSpan.template operator()<4>();
    }
}

// Calls `visit(index, slot)` for every sequence of N letters, in index order.
template <int N, typename Visit>
void forEachSequence(Visit&& visit) {
    constexpr std::size_t base = N == 4 ? 27 : 32;
    std::uint32_t index = 0;
    for (std::size_t a = 0; a < 26; ++a) {
        for (std::size_t b = 0; b < 26; ++b) {
            if constexpr (N == 2) {
                visit(index++, a * base + b);
            } else {
                for (std::size_t c = 0; c < 26; ++c) {
                    if constexpr (N == 3) {
                        visit(index++, (a * base + b) * base + c);
                    } else {
                        const std::size_t high = ((a * base + b) * base + c) * base;
                        for (std::size_t d = 0; d < 26; ++d) {
                            visit(index++, high + d);
                        }
                    }
                }
            }
        }
    }
}

// Sorts `counts` by index in two passes of ten bits (indexes stay below 26^4 < 2^20), using
// `spare` as room: a comparison sort of a small file's tens of thousands of sequences cost more
// than counting them.
void sortByIndex(std::vector<NgramCount>& counts, std::vector<NgramCount>& spare) {
    if (counts.size() < 64) {
        std::sort(counts.begin(), counts.end(),
                  [](const NgramCount& a, const NgramCount& b) { return a.index < b.index; });
        return;
    }
    spare.resize(counts.size());
    for (const int shift : {0, 10}) {
        std::array<std::uint32_t, 1025> starts{};
        for (const NgramCount& count : counts) {
            ++starts[((count.index >> shift) & 1023) + 1];
        }
        for (std::size_t i = 1; i < starts.size(); ++i) {
            starts[i] += starts[i - 1];
        }
        for (const NgramCount& count : counts) {
            spare[starts[(count.index >> shift) & 1023]++] = count;
        }
        counts.swap(spare);
    }
}

// The index of the sequence whose slot this is; false for a slot with a digit that is no letter.
template <int N>
bool indexOfSlot(std::uint32_t slot, std::uint32_t& index) {
    constexpr unsigned base = N == 4 ? 27 : 32;
    index = 0;
    std::uint32_t scale = 1;
    for (int place = 0; place < N; ++place) {
        const std::uint32_t digit = slot % base;
        if (digit >= notALetter) {
            return false;
        }
        index += digit * scale;
        scale *= 26;
        slot /= base;
    }
    return true;
}

}  // namespace

std::size_t ngramSlots(int length) {
    std::size_t slots = 1;
    for (int i = 0; i < length; ++i) {
        slots *= 26;
    }
    return slots;
}

int ngramLetter(std::byte b) {
    return letterIndex[static_cast<std::uint8_t>(b)];
}

NgramCounter::NgramCounter(NgramOptions options, const LetterKernel& kernel)
    : options_(options), pack_(packLettersFor(kernel)), useAvx2_(kernel.name != "scalar") {
    if (options_.length < 2 || options_.length > 4) {
        throw std::invalid_argument("sequences of 2 to 4 letters only");
    }
    tableSize_ = dispatch(options_, []<int N, bool>() { return tableSize<N>(); });
    table_.reset(static_cast<std::uint32_t*>(std::calloc(tableSize_, sizeof(std::uint32_t))));
    if (!table_) {
        throw std::bad_alloc();
    }
}

void NgramCounter::FreeTable::operator()(std::uint32_t* table) const noexcept {
    std::free(table);
}

std::size_t NgramCounter::listBound() const {
    return tableSize_ / 4;
}

void NgramCounter::stopListing() {
    listing_ = false;
    touched_.clear();
}

Touched* NgramCounter::touchedFor(std::size_t more, std::size_t chars) {
    // Past a quarter of the table's slots, listing costs more than the walk it saves; and for a
    // text longer than the table, the walk costs little beside counting it, while listing slows
    // every count a little.
    if (listing_ && (touched_.size() + more > listBound() ||
                     listedChars_ + chars > listedCharsBound * tableSize_)) {
        stopListing();
    }
    if (listing_) {
        listedChars_ += chars;
    }
    return listing_ ? &touched_ : nullptr;
}

NgramCounter::~NgramCounter() = default;

NgramState NgramCounter::startState() const {
    return ngramStartState(options_.length);
}

NgramState ngramStartState(int length) {
    return dispatch(NgramOptions{length, false}, []<int N, bool>() { return emptyState<N>(); });
}

NgramState NgramCounter::count(std::span<const std::byte> text) {
    std::int64_t letters = 0;
    return count(text, letters);
}

NgramState NgramCounter::count(std::span<const std::byte> text, std::int64_t& letters) {
    Touched* touched = touchedFor(0, text.size());
    const NgramState end = dispatch(options_, [&]<int N, bool spanWords>() {
#ifdef GLYPHMETER_BUILT_FOR_X86_64
        if (useAvx2_) {
            return countPieceAvx2<N, spanWords>(table_.get(), bytesOf(text), text.size(), pack_,
                                                letters, touched, listBound());
        }
#endif
        return countPiece<N, spanWords>(table_.get(), bytesOf(text), text.size(), pack_, letters,
                                        touched, listBound());
    });
    if (listing_ && touched == nullptr) {
        stopListing();
    }
    return end;
}

NgramState NgramCounter::join(NgramState before, std::span<const std::byte> text,
                              NgramState standaloneEnd) {
    return dispatch(options_, [&]<int N, bool spanWords>() {
        return analysis::join<N, spanWords>(table_.get(), before, bytesOf(text), text.size(),
                                            standaloneEnd,
                                            touchedFor(static_cast<std::size_t>(N - 1), 0));
    });
}

NgramHead NgramCounter::head(std::span<const std::byte> text) const {
    return dispatch(options_, [&]<int N, bool spanWords>() {
        return headOf<N, spanWords>(bytesOf(text), text.size());
    });
}

NgramState NgramCounter::join(NgramState before, const NgramHead& head, NgramState standaloneEnd) {
    // join() reads the head only; a head shorter than its piece ends where the piece's own
    // sequences take over.
    const NgramState after = join(before, std::span(head.chars).first(head.size), standaloneEnd);
    return head.wholePiece ? after : standaloneEnd;
}

NgramState NgramCounter::countPlainly(NgramState state, std::span<const std::byte> text, int sign) {
    return dispatch(options_, [&]<int N, bool spanWords>() {
        return analysis::countPlainly<N, spanWords>(table_.get(), state, bytesOf(text), text.size(),
                                                    sign, touchedFor(text.size(), 0));
    });
}

void NgramCounter::addAndClear(NgramCounter& other) {
    std::uint32_t* const from = other.table_.get();
    std::uint32_t* const to = table_.get();
    if (other.listing_) {
        Touched* const touched = touchedFor(other.touched_.size(), 0);
        for (const std::uint32_t slot : other.touched_) {
            if (from[slot] != 0) {
                to[slot] += from[slot];
                from[slot] = 0;
                if (touched != nullptr) {
                    touched->push_back(slot);
                }
            }
        }
    } else {
        for (std::size_t slot = 0; slot < tableSize_ && slot < other.tableSize_; ++slot) {
            to[slot] += from[slot];
        }
        std::memset(from, 0, other.tableSize_ * sizeof(std::uint32_t));
        stopListing();
    }
    other.touched_.clear();
    other.listing_ = true;
    other.listedChars_ = 0;
}

void NgramCounter::addTo(std::span<std::uint32_t> counts) const {
    dispatch(options_, [&]<int N, bool>() {
        forEachSequence<N>([&](std::uint32_t index, std::size_t slot) {
            if (index < counts.size()) {
                counts[index] += table_[slot];
            }
        });
        return 0;
    });
}

std::vector<NgramCount> NgramCounter::take() {
    std::vector<NgramCount> counts;
    dispatch(options_, [&]<int N, bool>() {
        std::uint32_t* const table = table_.get();
        if (listing_) {
            // A slot listed again (counted down to 0 and up again, say) was zeroed the first time,
            // so each sequence comes once.
            for (const std::uint32_t slot : touched_) {
                std::uint32_t index = 0;
                if (table[slot] != 0 && indexOfSlot<N>(slot, index)) {
                    counts.push_back({index, table[slot]});
                }
                table[slot] = 0;
            }
            std::vector<NgramCount> spare;
            sortByIndex(counts, spare);
        } else {
            forEachSequence<N>([&](std::uint32_t index, std::size_t slot) {
                if (table[slot] != 0) {
                    counts.push_back({index, table[slot]});
                }
            });
            std::memset(table, 0, tableSize_ * sizeof(std::uint32_t));
        }
        return 0;
    });
    touched_.clear();
    listing_ = true;
    listedChars_ = 0;
    return counts;
}

void NgramCounter::clear() {
    if (listing_) {
        for (const std::uint32_t slot : touched_) {
            table_[slot] = 0;
        }
    } else {
        std::memset(table_.get(), 0, tableSize_ * sizeof(std::uint32_t));
    }
    touched_.clear();
    listing_ = true;
    listedChars_ = 0;
}

}  // namespace glyphmeter::analysis
