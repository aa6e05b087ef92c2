// The AVX2 kernel. Compiled for every x86-64 build through a target attribute and used only when
// the CPU reports AVX2, so the rest of the program keeps running on any x86-64 processor. It uses
// no AVX-512 instruction: most PCs that run it have none.
//
// Why it is shaped as it is. Comparing every byte with each of the 26 letters costs two vector
// operations per letter, about 1.7 per byte, which held this kernel near 6 GB/s per core.
// Instead each byte becomes one set bit in one of three "one-hot" planes: bit (t % 8) of the
// a-h, i-p or q-x plane, where t = (byte | 0x20) - 'a' is the letter number. vpshufb makes each
// plane with one look-up, from an index built so that every byte that is not one of the plane's
// letters has its top bit set, for which vpshufb returns zero. The planes are summed bit by bit
// with a Harley-Seal tree of carry-save adders over 16 vectors (five AVX2 operations per adder,
// about one adder per vector and plane), so the eight letters of a plane cost about what one
// compare-and-add did for one letter. The tree's sixteens go on up a chain of carry-save levels
// kept in memory; bits are counted with vpmovmskb and popcnt only when they leave its top,
// every 4,096 vectors, and once at the end, so no counter narrower than 64 bits can wrap. Y and
// Z, two letters only, are not worth a plane: a look-up gives 1 for Y and 16 for Z, eight
// vectors of them are added bytewise (two 4-bit counters per byte), and vpsadbw sums those into
// 64-bit lanes, from which Y and Z are split.
//
// AVX2 has sixteen vector registers: the three trees at once spill their sums on every vector.
// So each 8 KiB chunk, which stays in the L1 cache meanwhile, is counted in three passes, each
// within the registers: a-h from the text, which also stores the a-p index of each byte; i-p
// from that index with no further work; q-x with Y and Z from an index that one saturating
// subtraction makes of it. About 25 vector operations per 32 bytes in all; the last pass
// prefetches the next chunk. UTF-16 code units are narrowed to bytes (vpackuswb) as the first
// pass loads them. Measured on an AMD EPYC (Zen 4) with bench/kernel_bench: 13-15 GB/s per core,
// against 6-6.4 GB/s for the compare-and-add kernel; two planes in one pass measured no faster
// than three passes.
//
// Everything kept between chunks lives in plain byte arrays with unaligned loads and stores:
// MinGW's GCC keeps the Windows stack only 16-byte aligned, so a 32-byte vector object on the
// stack may be misaligned (the build also makes the assembler emit unaligned moves for the
// compiler's own spills).
#include <cstring>

#include "LetterKernels.h"

#ifdef GLYPHMETER_BUILT_FOR_X86_64

#include <immintrin.h>

#define GLYPHMETER_AVX2 __attribute__((target("avx2,popcnt")))
#define GLYPHMETER_AVX2_INLINE __attribute__((target("avx2,popcnt"), always_inline)) inline

namespace glyphmeter::analysis {

namespace {

constexpr std::size_t vectorBytes = 32;
constexpr std::size_t blockVectors = 16;  // inputs of one Harley-Seal tree
constexpr std::size_t blockBytes = vectorBytes * blockVectors;
constexpr std::size_t chunkBlocks = 16;  // 8 KiB, read by all three passes
constexpr std::size_t chunkBytes = blockBytes * chunkBlocks;
// Carry-save levels above the tree, worth 16, 32, ... 2048 each: bits leave the top, worth
// 4,096, once every 256 blocks.
constexpr int upperLevels = 8;

// A vector kept in memory, aligned or not.
struct StoredVector {
    std::byte raw[vectorBytes];

    GLYPHMETER_AVX2_INLINE __m256i load() const {
        return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(raw));
    }
    GLYPHMETER_AVX2_INLINE void store(__m256i value) {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(raw), value);
    }
};

GLYPHMETER_AVX2_INLINE __m256i loadBytes(const std::byte* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

// The same 16-entry table in both 128-bit lanes, as vpshufb looks up within each lane.
GLYPHMETER_AVX2_INLINE __m256i lookUpTable(const std::uint8_t (&entries)[16]) {
    const __m128i lane = _mm_loadu_si128(reinterpret_cast<const __m128i*>(entries));
    return _mm256_broadcastsi128_si256(lane);
}

constexpr std::uint8_t bitsAToH[16] = {1, 2, 4, 8, 16, 32, 64, 128};
constexpr std::uint8_t bitsIToP[16] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 4, 8, 16, 32, 64, 128};
constexpr std::uint8_t bitsQToX[16] = {0, 0, 0, 0, 0, 0, 0, 0, 128, 64, 32, 16, 8, 4, 2, 1};
constexpr std::uint8_t nibblesYZ[16] = {0, 0, 0, 0, 0, 0, 16, 1};

// Adds a and b to the bit sums `low`; returns the carries, each worth twice a bit of `low`.
GLYPHMETER_AVX2_INLINE __m256i carrySaveAdd(__m256i& low, __m256i a, __m256i b) {
    const __m256i either = _mm256_xor_si256(a, b);
    const __m256i high = _mm256_or_si256(_mm256_and_si256(a, b), _mm256_and_si256(either, low));
    low = _mm256_xor_si256(either, low);
    return high;
}

// Adds `weight` times the number of bytes of `plane` with bit b set to totals[b], b = 0..7.
GLYPHMETER_AVX2_INLINE void addBitCounts(__m256i plane, std::uint64_t weight,
                                         std::uint64_t* totals) {
    if (_mm256_testz_si256(plane, plane) != 0) {
        return;  // often so for short texts and rare letters
    }
    // vpmovmskb gathers the top bit of each byte; adding the plane to itself moves the next
    // bit up.
#pragma GCC unroll 8
    for (int bit = 7; bit >= 0; --bit) {
        const auto top = static_cast<unsigned>(_mm256_movemask_epi8(plane));
        totals[bit] += weight * static_cast<std::uint64_t>(_mm_popcnt_u32(top));
        plane = _mm256_add_epi8(plane, plane);
    }
}

// Where the first pass reads its vectors: the bytes of the text, 32 at a time...
struct ByteSource {
    static constexpr std::size_t inputBytes = vectorBytes;

    static GLYPHMETER_AVX2_INLINE __m256i load(const std::byte* p) { return loadBytes(p); }
};

// ... or 32 UTF-16 code units, narrowed to a byte each. vpackuswb saturates: a unit from 256 to
// 32767 becomes 255 and one from 32768 up becomes 0, neither of them a letter. It interleaves its
// two sources by 16-byte lanes, which a count does not mind.
template <bool BigEndian>
struct Utf16Source {
    static constexpr std::size_t inputBytes = 2 * vectorBytes;

    static GLYPHMETER_AVX2_INLINE __m256i load(const std::byte* p) {
        __m256i low = loadBytes(p);
        __m256i high = loadBytes(p + vectorBytes);
        if constexpr (BigEndian) {
            const __m256i swap =
                _mm256_setr_epi8(1, 0, 3, 2, 5, 4, 7, 6, 9, 8, 11, 10, 13, 12, 15, 14, 1, 0, 3, 2,
                                 5, 4, 7, 6, 9, 8, 11, 10, 13, 12, 15, 14);
            low = _mm256_shuffle_epi8(low, swap);
            high = _mm256_shuffle_epi8(high, swap);
        }
        return _mm256_packus_epi16(low, high);
    }
};

// No bytes kept on the side, for the passes that count planes only.
struct NoSide {
    struct Side {
        GLYPHMETER_AVX2_INLINE void settle() {}
    };
    struct StoredSide {
        GLYPHMETER_AVX2_INLINE Side load() const { return {}; }
        GLYPHMETER_AVX2_INLINE void store(const Side&) {}
        GLYPHMETER_AVX2_INLINE void finish(std::uint64_t*) const {}
    };
};

// Letters a..h, from the text; writes the look-up index of a..p for the later passes. With
// t = (byte | 0x20) - 'a' (wrapping), t + 0x70 saturated keeps t's low four bits for t < 16 and
// sets the top bit for every other byte, letters q..z included.
template <class Source>
struct LettersAToH : NoSide {
    static constexpr int planes = 1;
    static constexpr int firstLetter = 0;
    static constexpr std::size_t inputBytes = Source::inputBytes;

    static GLYPHMETER_AVX2_INLINE void classify(const std::byte* in, std::byte* out,
                                                __m256i (&oneHot)[planes], Side&) {
        const __m256i folded = _mm256_or_si256(Source::load(in), _mm256_set1_epi8(0x20));
        const __m256i letter = _mm256_sub_epi8(folded, _mm256_set1_epi8('a'));
        const __m256i index = _mm256_adds_epu8(letter, _mm256_set1_epi8(0x70));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), index);
        oneHot[0] = _mm256_shuffle_epi8(lookUpTable(bitsAToH), index);
    }
};

// Letters i..p, from the index.
struct LettersIToP : NoSide {
    static constexpr int planes = 1;
    static constexpr int firstLetter = 8;
    static constexpr std::size_t inputBytes = vectorBytes;

    static GLYPHMETER_AVX2_INLINE void classify(const std::byte* in, std::byte*,
                                                __m256i (&oneHot)[planes], Side&) {
        oneHot[0] = _mm256_shuffle_epi8(lookUpTable(bitsIToP), loadBytes(in));
    }
};

// Letters q..z: one plane for q..x and the 4-bit counters of Y and Z, from the first pass's
// index. 0x8F (-113) minus the index, with signed saturation, is 15 - (t - 16) for t = 16..31
// (index 0x80..0x8F: letter q at 15 down to z at 6) and negative for every other byte: the index
// of a..p, 0x70..0x7F, is positive, so the difference saturates at -128, and that of any other
// byte, 0x90 or more, is -112..-1, which leaves -1..-112.
struct LettersQToZ {
    static constexpr int planes = 1;
    static constexpr int firstLetter = 16;
    static constexpr std::size_t inputBytes = vectorBytes;

    struct Side {
        __m256i nibbles;  // Y in the low four bits of each byte, Z in the high four
        __m256i all;      // sums of whole bytes (Y + 16 Z), four 64-bit lanes
        __m256i low;      // sums of the low four bits (Y)

        // Called after every eight vectors, before a 4-bit counter can pass 15.
        GLYPHMETER_AVX2_INLINE void settle() {
            const __m256i zero = _mm256_setzero_si256();
            all = _mm256_add_epi64(all, _mm256_sad_epu8(nibbles, zero));
            low = _mm256_add_epi64(
                low, _mm256_sad_epu8(_mm256_and_si256(nibbles, _mm256_set1_epi8(0x0F)), zero));
            nibbles = zero;
        }
    };
    struct StoredSide {
        StoredVector all{}, low{};

        GLYPHMETER_AVX2_INLINE Side load() const {
            return {_mm256_setzero_si256(), all.load(), low.load()};
        }
        GLYPHMETER_AVX2_INLINE void store(const Side& side) {
            all.store(side.all);
            low.store(side.low);
        }
        GLYPHMETER_AVX2_INLINE void finish(std::uint64_t* totals) const {
            std::uint64_t lanes[2][4];
            std::memcpy(lanes[0], all.raw, sizeof lanes[0]);
            std::memcpy(lanes[1], low.raw, sizeof lanes[1]);
            const std::uint64_t sum = lanes[0][0] + lanes[0][1] + lanes[0][2] + lanes[0][3];
            const std::uint64_t y = lanes[1][0] + lanes[1][1] + lanes[1][2] + lanes[1][3];
            totals[24] += y;
            totals[25] += (sum - y) / 16;
        }
    };

    // Reads the first pass's index.
    static GLYPHMETER_AVX2_INLINE void classify(const std::byte* in, std::byte*,
                                                __m256i (&oneHot)[planes], Side& side) {
        const __m256i index =
            _mm256_subs_epi8(_mm256_set1_epi8(static_cast<char>(0x8F)), loadBytes(in));
        oneHot[0] = _mm256_shuffle_epi8(lookUpTable(bitsQToX), index);
        side.nibbles =
            _mm256_add_epi8(side.nibbles, _mm256_shuffle_epi8(lookUpTable(nibblesYZ), index));
    }
};

// What a pass keeps between chunks. Bit b of byte j of ones[g] is the lowest bit of the count of
// letter b of plane g seen in byte j of the vectors so far; twos the next bit, and so on.
// sums[k] and pending[k] are worth 16 << k.
template <int planes, class StoredSide>
struct PassState {
    StoredVector ones[planes]{}, twos[planes]{}, fours[planes]{}, eights[planes]{};
    StoredVector sums[upperLevels][planes], pending[upperLevels][planes];
    std::uint64_t blocks = 0;  // trees summed so far
    StoredSide side;
};

// One pass: the planes of Letters summed over blocks of 16 vectors.
template <class Letters>
struct Pass {
    static constexpr int planes = Letters::planes;
    static constexpr std::size_t inputBytes = Letters::inputBytes;  // read per vector
    using Planes = __m256i[planes];
    using Side = typename Letters::Side;

    using State = PassState<planes, typename Letters::StoredSide>;

    static GLYPHMETER_AVX2_INLINE void addPlanes(Planes& high, Planes& low, const Planes& a,
                                                 const Planes& b) {
#pragma GCC unroll 2
        for (int g = 0; g < planes; ++g) {
            high[g] = carrySaveAdd(low[g], a[g], b[g]);
        }
    }

    static GLYPHMETER_AVX2_INLINE void addPair(const std::byte* in, std::byte* out, Planes& ones,
                                               Planes& twos, Side& side) {
        Planes a, b;
        Letters::classify(in, out, a, side);
        Letters::classify(in + inputBytes, out + vectorBytes, b, side);
        addPlanes(twos, ones, a, b);
    }

    // Sixteen vectors through the tree; what overflows the eights comes out as `sixteens`.
    static GLYPHMETER_AVX2_INLINE void addBlock(const std::byte* in, std::byte* out, Planes& ones,
                                                Planes& twos, Planes& fours, Planes& eights,
                                                Planes& sixteens, Side& side) {
        Planes twosA, twosB, foursA, foursB, eightsA, eightsB;
        addPair(in, out, ones, twosA, side);
        addPair(in + 2 * inputBytes, out + 2 * vectorBytes, ones, twosB, side);
        addPlanes(foursA, twos, twosA, twosB);
        addPair(in + 4 * inputBytes, out + 4 * vectorBytes, ones, twosA, side);
        addPair(in + 6 * inputBytes, out + 6 * vectorBytes, ones, twosB, side);
        addPlanes(foursB, twos, twosA, twosB);
        addPlanes(eightsA, fours, foursA, foursB);
        side.settle();
        addPair(in + 8 * inputBytes, out + 8 * vectorBytes, ones, twosA, side);
        addPair(in + 10 * inputBytes, out + 10 * vectorBytes, ones, twosB, side);
        addPlanes(foursA, twos, twosA, twosB);
        addPair(in + 12 * inputBytes, out + 12 * vectorBytes, ones, twosA, side);
        addPair(in + 14 * inputBytes, out + 14 * vectorBytes, ones, twosB, side);
        addPlanes(foursB, twos, twosA, twosB);
        addPlanes(eightsB, fours, foursA, foursB);
        side.settle();
        addPlanes(sixteens, eights, eightsA, eightsB);
    }

    // Adds a tree's sixteens to the levels above, like a binary counter of trees: at level k an
    // arriving carry waits in pending[k] for a partner, and the two go through an adder with
    // sums[k], whose carry moves on to level k + 1.
    static GLYPHMETER_AVX2_INLINE void carryUp(State& state, Planes& carry, std::uint64_t* totals) {
        std::uint64_t arrived = state.blocks++;
        for (int level = 0; level < upperLevels; ++level, arrived >>= 1) {
            if ((arrived & 1) == 0) {
#pragma GCC unroll 2
                for (int g = 0; g < planes; ++g) {
                    state.pending[level][g].store(carry[g]);
                    if (arrived == 0) {
                        state.sums[level][g].store(_mm256_setzero_si256());
                    }
                }
                return;
            }
#pragma GCC unroll 2
            for (int g = 0; g < planes; ++g) {
                __m256i sum = state.sums[level][g].load();
                carry[g] = carrySaveAdd(sum, state.pending[level][g].load(), carry[g]);
                state.sums[level][g].store(sum);
            }
        }
#pragma GCC unroll 2
        for (int g = 0; g < planes; ++g) {
            addBitCounts(carry[g], std::uint64_t{16} << upperLevels,
                         totals + Letters::firstLetter + 8 * g);
        }
    }

    // Counts `blocks` blocks from `in`, writing to `out` what the Letters write. Prefetches
    // `prefetchBlockBytes` from `prefetch` per block if it is not null.
    static GLYPHMETER_AVX2 void run(const std::byte* in, std::byte* out, std::size_t blocks,
                                    State& state, const std::byte* prefetch,
                                    std::size_t prefetchBlockBytes, std::uint64_t* totals) {
        Planes ones, twos, fours, eights;
#pragma GCC unroll 2
        for (int g = 0; g < planes; ++g) {
            ones[g] = state.ones[g].load();
            twos[g] = state.twos[g].load();
            fours[g] = state.fours[g].load();
            eights[g] = state.eights[g].load();
        }
        Side side = state.side.load();
        for (std::size_t block = 0; block < blocks; ++block) {
            if (prefetch != nullptr) {
                const std::byte* from = prefetch + block * prefetchBlockBytes;
                for (std::size_t line = 0; line < prefetchBlockBytes; line += 64) {
                    _mm_prefetch(reinterpret_cast<const char*>(from + line), _MM_HINT_T0);
                }
            }
            Planes sixteens;
            addBlock(in + block * blockVectors * inputBytes, out + block * blockBytes, ones, twos,
                     fours, eights, sixteens, side);
            carryUp(state, sixteens, totals);
        }
#pragma GCC unroll 2
        for (int g = 0; g < planes; ++g) {
            state.ones[g].store(ones[g]);
            state.twos[g].store(twos[g]);
            state.fours[g].store(fours[g]);
            state.eights[g].store(eights[g]);
        }
        state.side.store(side);
    }

    // Adds every bit still held in the state to the totals.
    static GLYPHMETER_AVX2 void finish(const State& state, std::uint64_t* totals) {
        for (int g = 0; g < planes; ++g) {
            std::uint64_t* letters = totals + Letters::firstLetter + 8 * g;
            addBitCounts(state.ones[g].load(), 1, letters);
            addBitCounts(state.twos[g].load(), 2, letters);
            addBitCounts(state.fours[g].load(), 4, letters);
            addBitCounts(state.eights[g].load(), 8, letters);
            for (int level = 0; level < upperLevels; ++level) {
                const std::uint64_t weight = std::uint64_t{16} << level;
                if ((state.blocks >> level & 1) != 0) {
                    addBitCounts(state.pending[level][g].load(), weight, letters);
                }
                if ((state.blocks >> (level + 1)) != 0) {
                    addBitCounts(state.sums[level][g].load(), weight, letters);
                }
            }
        }
        state.side.finish(totals);
    }
};

// The letters of any number of stretches of text, counted into 64-bit totals.
class Avx2Counter {
  public:
    // Counts `size` bytes from p, read as Source says. A last part shorter than a block is
    // counted from a copy padded with zero bytes, which are no letters.
    template <class Source>
    GLYPHMETER_AVX2 void add(const std::byte* p, std::size_t size) {
        constexpr std::size_t blockInput = blockVectors * Source::inputBytes;
        constexpr std::size_t chunkInput = chunkBlocks * blockInput;
        for (; size >= chunkInput; p += chunkInput, size -= chunkInput) {
            countBlocks<Source>(p, chunkBlocks, size >= 2 * chunkInput ? p + chunkInput : nullptr);
        }
        if (const std::size_t blocks = size / blockInput; blocks > 0) {
            countBlocks<Source>(p, blocks, nullptr);
            p += blocks * blockInput;
            size -= blocks * blockInput;
        }
        if (size > 0) {
            std::byte padded[blockInput] = {};
            std::memcpy(padded, p, size);
            countBlocks<Source>(padded, 1, nullptr);
        }
    }

    GLYPHMETER_AVX2 void finish(LetterAccumulators& counts) {
        Pass<LettersAToH<ByteSource>>::finish(aToH_, totals_);
        Pass<LettersIToP>::finish(iToP_, totals_);
        Pass<LettersQToZ>::finish(qToZ_, totals_);
        for (int letter = 0; letter < 26; ++letter) {
            counts[letter] += totals_[letter];
        }
    }

  private:
    // The first pass reads the text and the later ones its index; the last prefetches the next
    // chunk of text.
    template <class Source>
    GLYPHMETER_AVX2 void countBlocks(const std::byte* p, std::size_t blocks,
                                     const std::byte* prefetch) {
        Pass<LettersAToH<Source>>::run(p, index_, blocks, aToH_, nullptr, 0, totals_);
        Pass<LettersIToP>::run(index_, index_, blocks, iToP_, nullptr, 0, totals_);
        Pass<LettersQToZ>::run(index_, index_, blocks, qToZ_, prefetch,
                               blockVectors * Source::inputBytes, totals_);
    }

    std::byte index_[chunkBytes];  // the first pass's index of each byte of a chunk

    // The first pass's state does not depend on where it reads from.
    Pass<LettersAToH<ByteSource>>::State aToH_;
    Pass<LettersIToP>::State iToP_;
    Pass<LettersQToZ>::State qToZ_;
    std::uint64_t totals_[26] = {};
};

}  // namespace

GLYPHMETER_AVX2 void addLettersAvx2(std::span<const std::byte> bytes, LetterAccumulators& counts) {
    if (bytes.size() < vectorBytes) {
        // Too short for a vector, and for the scalar kernel's set-up.
        for (const std::byte b : bytes) {
            const auto letter = static_cast<std::uint8_t>((static_cast<unsigned>(b) | 0x20) - 'a');
            if (letter < 26) {
                ++counts[letter];
            }
        }
        return;
    }
    Avx2Counter counter;
    counter.add<ByteSource>(bytes.data(), bytes.size());
    counter.finish(counts);
}

GLYPHMETER_AVX2 void addUtf16LettersAvx2(std::span<const std::byte> units, bool bigEndian,
                                         LetterAccumulators& counts) {
    const std::size_t whole = units.size() / 2 * 2;  // an odd last byte is no unit
    Avx2Counter counter;
    if (bigEndian) {
        counter.add<Utf16Source<true>>(units.data(), whole);
    } else {
        counter.add<Utf16Source<false>>(units.data(), whole);
    }
    counter.finish(counts);
}

bool cpuSupportsAvx2() noexcept {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt");
}

}  // namespace glyphmeter::analysis

#endif
