// The sequence counter. It finds sequences without a branch that depends on the text: every
// character becomes a digit, 0..25 for its letter or 26 for anything else, and the slot of the N
// digits ending at each character is incremented whatever they hold. Slots with a 26 among their
// digits are never read back, so a run break costs nothing extra. Across words the letters'
// digits are packed together first, so only letters follow each other.
#include "NgramCounter.h"
#include "LetterIndex.h"

#include "NgramPack.h"

#include <array>
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

template <int N, bool spanWords>
NgramState countPlainly(std::uint32_t* table, NgramState state, const std::uint8_t* text,
                        std::size_t size, int sign) {
    const auto step = static_cast<std::uint32_t>(sign);
    for (std::size_t i = 0; i < size; ++i) {
        const unsigned letter = letterIndex[text[i]];
        if (spanWords && letter == notALetter) {
            continue;
        }
        state = state << 5 | letter;
        table[slotOf<N>(state)] += step;
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
                NgramState standaloneEnd) {
    if (before == emptyState<N>()) {
        return standaloneEnd;
    }
    const std::size_t prefix = joinedPrefix<N, spanWords>(text, size);
    // The sequences ending in the prefix were counted with "no letter" digits before them, into
    // slots never read back; here they get their real first letters.
    const NgramState after = countPlainly<N, spanWords>(table, before, text, prefix, 1);
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

// A stretch at a time, in passes that each stay in the L1 cache: the characters' digits (packed
// to the letters' alone across words), the slots of the sequences ending at each digit, and the
// counting. The digits and slots have no dependence from one character to the next and run as
// vector code; the counting is one increment per sequence. The last N-1 digits of a stretch lead
// the next one.
template <int N, bool spanWords>
NgramState countPiece(std::uint32_t* table, const std::uint8_t* text, std::size_t size,
                      PackLettersFunction pack, std::int64_t& letters) {
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
        for (std::size_t i = 0; i < written; ++i) {
            ++table[slots[i]];
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
    : options_(options), pack_(packLettersFor(kernel)) {
    if (options_.length < 2 || options_.length > 4) {
        throw std::invalid_argument("sequences of 2 to 4 letters only");
    }
    table_.assign(dispatch(options_, []<int N, bool>() { return tableSize<N>(); }), 0);
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
    return dispatch(options_, [&]<int N, bool spanWords>() {
        return countPiece<N, spanWords>(table_.data(), bytesOf(text), text.size(), pack_, letters);
    });
}

NgramState NgramCounter::join(NgramState before, std::span<const std::byte> text,
                              NgramState standaloneEnd) {
    return dispatch(options_, [&]<int N, bool spanWords>() {
        return analysis::join<N, spanWords>(table_.data(), before, bytesOf(text), text.size(),
                                            standaloneEnd);
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
        return analysis::countPlainly<N, spanWords>(table_.data(), state, bytesOf(text),
                                                    text.size(), sign);
    });
}

void NgramCounter::add(const NgramCounter& other) {
    for (std::size_t slot = 0; slot < table_.size() && slot < other.table_.size(); ++slot) {
        table_[slot] += other.table_[slot];
    }
}

void NgramCounter::addTo(std::span<std::uint32_t> counts) const {
    dispatch(options_, [&]<int N, bool>() {
        // The index's base-26 digits, five bits each, counted up alongside it rather than divided
        // out of it: for quadgrams that made adding one small file's counts cost milliseconds.
        std::uint64_t digits = 0;
        for (std::size_t index = 0; index < counts.size(); ++index) {
            counts[index] += table_[slotOf<N>(digits)];
            for (int place = 0; place < N; ++place) {
                const int shift = 5 * place;
                if (((digits >> shift) & 31) < 25) {
                    digits += std::uint64_t{1} << shift;
                    break;
                }
                digits &= ~(std::uint64_t{31} << shift);
            }
        }
        return 0;
    });
}

}  // namespace glyphmeter::analysis
