// The AVX-512 loops of AlphabetVectors.h, compiled for every x86-64 build through target
// attributes and used only where the CPU has VBMI.
#include "AlphabetVectors.h"

#ifdef GLYPHMETER_BUILT_FOR_X86_64
#include <immintrin.h>

#include <algorithm>
#include <bit>
#include <type_traits>
#include <utility>

#define GLYPHMETER_VECTORS \
    __attribute__((target("avx512f,avx512bw,avx512vbmi,bmi,popcnt"), always_inline)) inline

namespace glyphmeter::analysis {

namespace {

using Tables = AlphabetVectorTables;

// For each vector g of eight letters, by letter number: bit (letter % 8) for letters 8g..8g+7.
struct GroupBits {
    alignas(64) std::uint8_t bits[8][64];
};

constexpr GroupBits makeGroupBits() {
    GroupBits table{};
    for (int letter = 0; letter < 64; ++letter) {
        table.bits[letter / 8][letter] = static_cast<std::uint8_t>(1u << (letter % 8));
    }
    return table;
}

constexpr GroupBits groupBits = makeGroupBits();

GLYPHMETER_VECTORS __m512i load(const std::uint8_t* p) {
    return _mm512_load_si512(p);
}

GLYPHMETER_VECTORS __m512i loadText(const std::byte* p) {
    return _mm512_loadu_si512(p);
}

GLYPHMETER_VECTORS __m512i bytes(int value) {
    return _mm512_set1_epi8(static_cast<char>(value));
}

// A 256-entry byte table in four vectors, looked up by a whole byte.
struct ByteTable {
    __m512i quarters[4];

    GLYPHMETER_VECTORS explicit ByteTable(const std::uint8_t* table) {
        for (int q = 0; q < 4; ++q) {
            quarters[q] = load(table + 64 * q);
        }
    }

    GLYPHMETER_VECTORS __m512i operator()(__m512i index) const {
        const __m512i low = _mm512_permutex2var_epi8(quarters[0], index, quarters[1]);
        const __m512i high = _mm512_permutex2var_epi8(quarters[2], index, quarters[3]);
        return _mm512_mask_blend_epi8(_mm512_movepi8_mask(index), low, high);
    }
};

// The count of each letter, as the bits of `Groups` vectors summed by carry-save adders. The
// vectors of sixteen chunks are kept in memory and then added through the tree at once, so the
// loop that makes them keeps its registers for its own work. What overflows the tree (weight 16)
// goes on through four more levels, each vector waiting at its level for a partner (which levels
// hold one is the binary form of `blocks`), and only what overflows those is counted with popcnt.
template <int Groups>
struct LetterSums {
    using Planes = __m512i[Groups];
    Planes waiting[16];
    Planes ones, twos, fours, eights;  // the running sums' bits, weight 1..8
    Planes high[4];                    // weight 16..128
    Planes highWaiting[4];
    unsigned added = 0;
    unsigned blocks = 0;
    std::uint64_t totals[8 * Groups] = {};

    GLYPHMETER_VECTORS LetterSums() {
        for (int g = 0; g < Groups; ++g) {
            ones[g] = twos[g] = fours[g] = eights[g] = _mm512_setzero_si512();
            for (int level = 0; level < 4; ++level) {
                high[level][g] = highWaiting[level][g] = ones[g];
            }
        }
    }

    // sum, a, b -> sum ^ a ^ b, with the carries out (twice the weight) in `carry`.
    static GLYPHMETER_VECTORS void carrySaveAdd(Planes& sum, const Planes& a, const Planes& b,
                                                Planes& carry) {
        for (int g = 0; g < Groups; ++g) {
            carry[g] = _mm512_ternarylogic_epi32(sum[g], a[g], b[g], 0xE8);  // majority
            sum[g] = _mm512_ternarylogic_epi32(sum[g], a[g], b[g], 0x96);
        }
    }

    GLYPHMETER_VECTORS void addPlanes(const Planes& planes, std::uint64_t weight) {
        for (int g = 0; g < Groups; ++g) {
            for (int bit = 0; bit < 8; ++bit) {
                const __mmask64 set = _mm512_test_epi8_mask(planes[g], bytes(1 << bit));
                totals[8 * g + bit] += weight * static_cast<std::uint64_t>(std::popcount(set));
            }
        }
    }

    // Eight waiting vectors into the running sums; the carries out of the fours in `eightsOut`.
    GLYPHMETER_VECTORS void addEight(const Planes* vectors, Planes& eightsOut) {
        Planes twosA, twosB, foursA, foursB;
        carrySaveAdd(ones, vectors[0], vectors[1], twosA);
        carrySaveAdd(ones, vectors[2], vectors[3], twosB);
        carrySaveAdd(twos, twosA, twosB, foursA);
        carrySaveAdd(ones, vectors[4], vectors[5], twosA);
        carrySaveAdd(ones, vectors[6], vectors[7], twosB);
        carrySaveAdd(twos, twosA, twosB, foursB);
        carrySaveAdd(fours, foursA, foursB, eightsOut);
    }

    // The sixteen waiting vectors through the tree; what overflows the eights goes up the
    // levels above.
    __attribute__((target("avx512f,avx512bw,avx512vbmi,bmi,popcnt"), noinline)) void addWaiting() {
        Planes eightsA, eightsB, carry;
        addEight(waiting, eightsA);
        addEight(waiting + 8, eightsB);
        carrySaveAdd(eights, eightsA, eightsB, carry);
        for (int level = 0; level < 4; ++level) {
            if ((blocks & (1u << level)) == 0) {
                copy(highWaiting[level], carry);
                break;
            }
            Planes next;
            carrySaveAdd(high[level], highWaiting[level], carry, next);
            if (level == 3) {
                addPlanes(next, 256);
            }
            copy(carry, next);
        }
        blocks = (blocks + 1) & 15;
        added = 0;
    }

    static GLYPHMETER_VECTORS void copy(Planes& to, const Planes& from) {
        for (int g = 0; g < Groups; ++g) {
            to[g] = from[g];
        }
    }

    // Counts letter[i] for each byte i in `counted` (each below 64). Once sixteen wait, the
    // caller adds them (addWaiting), outside its innermost loop: a call there would cost that
    // loop the vector registers it keeps its constants in.
    GLYPHMETER_VECTORS void add(__m512i letter, __mmask64 counted) {
        for (int g = 0; g < Groups; ++g) {
            waiting[added][g] =
                _mm512_maskz_permutexvar_epi8(counted, letter, load(groupBits.bits[g]));
        }
        ++added;
    }

    GLYPHMETER_VECTORS void finish(std::int64_t* letters, int letterCount) {
        for (unsigned i = 0; i < added; ++i) {
            addPlanes(waiting[i], 1);
        }
        addPlanes(ones, 1);
        addPlanes(twos, 2);
        addPlanes(fours, 4);
        addPlanes(eights, 8);
        for (int level = 0; level < 4; ++level) {
            addPlanes(high[level], 16u << level);
            if ((blocks & (1u << level)) != 0) {
                addPlanes(highWaiting[level], 16u << level);
            }
        }
        for (int letter = 0; letter < letterCount; ++letter) {
            letters[letter] += static_cast<std::int64_t>(totals[letter]);
        }
    }
};

template <int Groups, AlphabetVectorTables::AsciiLetters ascii, bool twoRows>
__attribute__((target("avx512f,avx512bw,avx512vbmi,bmi,popcnt"))) const std::byte* addUtf8(
    const Tables& tables, const std::byte* p, const std::byte* end, std::int64_t* letters,
    LeftCharacterReader readLeft, void* context) {
    using AsciiLetters = AlphabetVectorTables::AsciiLetters;
    const __m512i asciiLow = load(tables.ascii.data());
    const __m512i asciiHigh = load(tables.ascii.data() + 64);
    const bool windowHasMarks = tables.windowHasMarks;
    const __m512i classLow = load(tables.leadClass.data());
    const __m512i classHigh = load(tables.leadClass.data() + 64);
    const ByteTable window(tables.window.data());
    const __m512i notContinuation = bytes(0xC0);  // continuation bytes are below, as signed
    LetterSums<Groups> sums;
    // Chunks follow one another 64 bytes apart whatever they hold, so that reading the next need
    // not wait for this one's lead bytes: the continuation bytes that the last character of a
    // chunk carries into the next are passed on as `carried`.
    __mmask64 carried = 0;
    const std::byte* leftAt = nullptr;
    while (end - p >= 66) {
        for (; sums.added < 16 && end - p >= 66; p += 64) {
            const __m512i text = loadText(p);
            const __m512i next = loadText(p + 1);
            const __mmask64 high = _mm512_movepi8_mask(text);
            const __mmask64 continuation = _mm512_cmplt_epi8_mask(text, notContinuation);
            const __mmask64 continuedOnce = _mm512_cmplt_epi8_mask(next, notContinuation);
            const __mmask64 continuedTwice =
                continuedOnce >> 1 | static_cast<__mmask64>(static_cast<std::int8_t>(p[65]) < -64)
                                         << 63;
            const __m512i leadClass = _mm512_permutex2var_epi8(classLow, text, classHigh);
            const __mmask64 needsOne =
                high & _mm512_test_epi8_mask(leadClass, bytes(Tables::needsOneMore));
            const __mmask64 needsTwo =
                high & _mm512_test_epi8_mask(leadClass, bytes(Tables::needsTwoMore));
            const __mmask64 inWindow =
                high & _mm512_test_epi8_mask(leadClass, bytes(Tables::inWindow));
            const __mmask64 stops = high & _mm512_test_epi8_mask(leadClass, bytes(Tables::stops));

            // Three-byte characters read here are U+2000..U+20BF: E2 followed by 80, 81 or 82.
            const __mmask64 punctuation =
                _mm512_cmplt_epu8_mask(_mm512_sub_epi8(next, bytes(0x80)), bytes(3));
            // Two-byte characters in the window: the row (bits 6 and 7 of the class) and the low
            // six bits of the continuation byte.
            const __m512i windowIndex =
                _mm512_ternarylogic_epi32(leadClass, next, bytes(0xC0), 0xE4);
            const __m512i windowLetter =
                twoRows
                    ? _mm512_permutex2var_epi8(window.quarters[0], windowIndex, window.quarters[1])
                    : window(windowIndex);
            __m512i letter = windowLetter;
            if constexpr (ascii == AsciiLetters::latin) {
                // OR-ing 0x20 folds 'A'..'Z' onto 'a'..'z' and maps no other byte there.
                letter = _mm512_mask_blend_epi8(
                    inWindow, _mm512_sub_epi8(_mm512_or_si512(text, bytes(0x20)), bytes('a')),
                    windowLetter);
            } else if constexpr (ascii == AsciiLetters::table) {
                letter = _mm512_mask_blend_epi8(
                    inWindow, _mm512_permutex2var_epi8(asciiLow, text, asciiHigh), windowLetter);
            }

            const __mmask64 required = _kor_mask64(
                _kor_mask64(_kshiftli_mask64(needsOne, 1), _kshiftli_mask64(needsTwo, 2)), carried);
            __mmask64 left =
                _kor_mask64(_kor_mask64(stops, _kandn_mask64(punctuation, needsTwo)),
                            _kor_mask64(_kor_mask64(_kandn_mask64(continuedOnce, needsOne),
                                                    _kandn_mask64(continuedTwice, needsTwo)),
                                        _kandn_mask64(required, continuation)));
            if (windowHasMarks) {
                left |=
                    inWindow & _mm512_cmpeq_epi8_mask(windowLetter, bytes(Tables::leftToCaller));
            }
            const unsigned stop = left == 0 ? 64 : static_cast<unsigned>(std::countr_zero(left));
            const __mmask64 before = stop == 64 ? ~__mmask64{0} : (__mmask64{1} << stop) - 1;
            __mmask64 counted = before & _mm512_cmplt_epu8_mask(letter, bytes(Tables::notCounted));
            if constexpr (ascii == AsciiLetters::latin) {
                counted &= inWindow | _mm512_cmplt_epu8_mask(letter, bytes(26));
            } else if constexpr (ascii == AsciiLetters::table) {
                counted &= ~high | inWindow;
            } else {
                counted &= inWindow;
            }
            sums.add(letter, counted);
            if (__builtin_expect(left != 0, 0)) {
                leftAt = p + stop;
                break;
            }
            carried = (needsOne >> 63) | (needsTwo >> 62 & 1) | (needsTwo >> 63) << 1;
        }
        if (sums.added == 16) {
            sums.addWaiting();
        }
        if (leftAt != nullptr) {
            p = readLeft(context, leftAt);
            leftAt = nullptr;
            carried = 0;
        }
    }
    sums.finish(letters, tables.letterCount);
    return p + std::popcount(carried);
}

template <int Groups>
__attribute__((target("avx512f,avx512bw,avx512vbmi,bmi,popcnt"))) void addCodePage(
    const Tables& tables, const std::byte* begin, const std::byte* end, std::int64_t* letters,
    std::uint64_t& invalid, std::optional<std::uint64_t>& firstInvalid) {
    const ByteTable byteLetter(tables.bytes.data());
    LetterSums<Groups> sums;
    for (const std::byte* p = begin; p < end; p += 64) {
        const std::size_t size = static_cast<std::size_t>(std::min<std::ptrdiff_t>(end - p, 64));
        const __mmask64 present = size == 64 ? ~__mmask64{0} : (__mmask64{1} << size) - 1;
        const __m512i letter = byteLetter(_mm512_maskz_loadu_epi8(present, p));
        if (const __mmask64 undefined =
                present & _mm512_cmpeq_epi8_mask(letter, bytes(Tables::invalidByte));
            undefined != 0) {
            invalid += static_cast<std::uint64_t>(std::popcount(undefined));
            if (!firstInvalid) {
                firstInvalid = static_cast<std::uint64_t>(p - begin) +
                               static_cast<std::uint64_t>(std::countr_zero(undefined));
            }
        }
        sums.add(letter, present & _mm512_cmplt_epu8_mask(letter, bytes(Tables::notCounted)));
        if (sums.added == 16) {
            sums.addWaiting();
        }
    }
    sums.finish(letters, tables.letterCount);
}

// function(std::integral_constant<int, G>{}) for the G of `groups`, 1 to 8.
template <int G = 1, class Function>
auto byGroups(int groups, Function&& function) {
    if constexpr (G == 8) {
        return function(std::integral_constant<int, G>{});
    } else {
        if (groups <= G) {
            return function(std::integral_constant<int, G>{});
        }
        return byGroups<G + 1>(groups, function);
    }
}

}  // namespace

bool cpuSupportsAlphabetVectors() noexcept {
    return cpuSupportsAvx512Vbmi() && __builtin_cpu_supports("bmi");
}

const std::byte* addUtf8LettersAvx512(const AlphabetVectorTables& tables, const std::byte* p,
                                      const std::byte* end, std::int64_t* letters,
                                      LeftCharacterReader readLeft, void* context) {
    using AsciiLetters = AlphabetVectorTables::AsciiLetters;
    return byGroups(tables.groups, [&](auto groups) {
        constexpr int g = decltype(groups)::value;
        const auto run = [&](auto asciiLetters, auto twoRows) {
            return addUtf8<g, decltype(asciiLetters)::value, decltype(twoRows)::value>(
                tables, p, end, letters, readLeft, context);
        };
        using Latin = std::integral_constant<AsciiLetters, AsciiLetters::latin>;
        using None = std::integral_constant<AsciiLetters, AsciiLetters::none>;
        using Table = std::integral_constant<AsciiLetters, AsciiLetters::table>;
        const bool twoRows = tables.windowRows <= 2;
        switch (tables.asciiLetters) {
            case AsciiLetters::latin:
                return twoRows ? run(Latin{}, std::true_type{}) : run(Latin{}, std::false_type{});
            case AsciiLetters::none:
                return twoRows ? run(None{}, std::true_type{}) : run(None{}, std::false_type{});
            default:
                return twoRows ? run(Table{}, std::true_type{}) : run(Table{}, std::false_type{});
        }
    });
}

void addCodePageLettersAvx512(const AlphabetVectorTables& tables, const std::byte* begin,
                              const std::byte* end, std::int64_t* letters, std::uint64_t& invalid,
                              std::optional<std::uint64_t>& firstInvalid) {
    byGroups(tables.groups, [&](auto groups) {
        addCodePage<decltype(groups)::value>(tables, begin, end, letters, invalid, firstInvalid);
    });
}

}  // namespace glyphmeter::analysis

#endif
