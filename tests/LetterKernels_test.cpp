// Every kernel this CPU supports against the byte-at-a-time reference.
#include "LetterKernels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "ReferenceTally.h"

namespace glyphmeter::analysis {
namespace {

using testing::randomBytes;
using testing::randomUtf16;
using testing::referenceTallyAs;
using testing::TextForm;

LetterAccumulators expectedCounts(std::span<const std::byte> bytes,
                                  TextForm form = TextForm::bytes) {
    const auto reference = referenceTallyAs(bytes, form);
    LetterAccumulators counts{};
    for (int letter = 0; letter < 26; ++letter) {
        counts[letter] = static_cast<std::uint64_t>(reference.tally.letterCounts[letter]);
    }
    return counts;
}

}  // namespace

// Names the kernel in test output instead of dumping its bytes.
void PrintTo(const LetterKernel& kernel, std::ostream* out) {
    *out << kernel.name;
}

namespace {

class KernelTest : public ::testing::TestWithParam<LetterKernel> {};

TEST_P(KernelTest, agrees_with_the_reference_at_edge_sizes_and_odd_addresses) {
    // The AVX-512 kernels run blocks of 16 vectors of 64 bytes through their adder tree. The AVX2
    // kernel runs trees of 16 vectors of 32 bytes, in two passes over chunks of 8 KiB, and counts
    // the bits that leave its carry-save levels every 4,096 vectors.
    const std::size_t blockBytes = 16 * 64;
    const std::size_t chunkBytes = 8192;
    const std::size_t topBytes = 4096 * 32;
    // Every length up to a little over two blocks, then the larger edges.
    std::vector<std::size_t> sizes;
    for (std::size_t size = 0; size <= 2 * blockBytes + 65; ++size) {
        sizes.push_back(size);
    }
    sizes.insert(sizes.end(), {16 * blockBytes - 1, 16 * blockBytes + 63, chunkBytes - 1,
                               chunkBytes + 1, 3 * chunkBytes + 511, 100003, topBytes - 1,
                               topBytes + 33, 2 * topBytes + chunkBytes + 7});
    const auto pool = randomBytes(2 * topBytes + chunkBytes + 7 + 64, 7);
    for (const std::size_t size : sizes) {
        for (std::size_t start = 0; start < 4; ++start) {
            const std::span<const std::byte> bytes(pool.data() + start, size);
            LetterAccumulators counts{};
            GetParam().add(bytes, counts);
            ASSERT_EQ(counts, expectedCounts(bytes)) << "size " << size << " start " << start;
        }
    }
}

TEST_P(KernelTest, agrees_with_the_reference_on_seeded_random_data) {
    for (std::uint32_t seed = 1; seed <= 20; ++seed) {
        const auto bytes = randomBytes(5000 + seed * 997, seed);
        LetterAccumulators counts{};
        GetParam().add(bytes, counts);
        ASSERT_EQ(counts, expectedCounts(bytes)) << "seed " << seed;
    }
}

TEST_P(KernelTest, long_runs_of_one_letter_do_not_wrap_narrow_counters) {
    // Every byte of a vector lane hits the same letter: the case that overflows narrow counters
    // flushed too late. Long enough for the AVX2 kernel's carry-save levels to overflow their top
    // twice; the letters at the ends of its groups of eight.
    for (const char letter : {'a', 'h', 'I', 'p', 'q', 'X', 'y', 'Z', 'm'}) {
        std::vector<std::byte> bytes(2 * 4096 * 32 + 3 * 8192 + 77, static_cast<std::byte>(letter));
        LetterAccumulators counts{};
        GetParam().add(bytes, counts);
        ASSERT_EQ(counts, expectedCounts(bytes)) << letter;
    }
}

TEST_P(KernelTest, counts_only_ascii_letters_of_all_256_byte_values) {
    std::vector<std::byte> bytes;
    for (int repeat = 0; repeat < 40; ++repeat) {
        for (int value = 0; value < 256; ++value) {
            bytes.push_back(static_cast<std::byte>(value));
        }
    }
    LetterAccumulators counts{};
    GetParam().add(bytes, counts);
    for (int letter = 0; letter < 26; ++letter) {
        EXPECT_EQ(counts[letter], 80u) << static_cast<char>('A' + letter);
    }
}

TEST_P(KernelTest, adds_to_counts_without_resetting_them) {
    LetterAccumulators counts{};
    counts[0] = 1000;
    counts[25] = 5;
    const char text[] = "Aardvark zigzag";
    GetParam().add(std::as_bytes(std::span(text, std::strlen(text))), counts);
    EXPECT_EQ(counts[0], 1004u);
    EXPECT_EQ(counts[25], 7u);
}

TEST_P(KernelTest, utf16_counts_only_the_ascii_letter_units_in_both_byte_orders) {
    for (const bool bigEndian : {false, true}) {
        const TextForm form = bigEndian ? TextForm::utf16BigEndian : TextForm::utf16LittleEndian;
        const std::string order = bigEndian ? "big-endian" : "little-endian";
        // Every unit value once: each letter twice (capital and small), nothing else counts.
        std::vector<std::byte> all;
        for (unsigned unit = 0; unit < 0x10000; ++unit) {
            all.push_back(static_cast<std::byte>(bigEndian ? unit >> 8 : unit & 0xFF));
            all.push_back(static_cast<std::byte>(bigEndian ? unit & 0xFF : unit >> 8));
        }
        LetterAccumulators counts{};
        GetParam().addUtf16(all, bigEndian, counts);
        LetterAccumulators twice;
        twice.fill(2);
        EXPECT_EQ(counts, twice) << order;
        // Every length up to a few vectors, an odd last byte, odd addresses, a long random run.
        const auto pool = randomUtf16(70000, 11, bigEndian, false, true);
        std::vector<std::size_t> sizes;
        for (std::size_t size = 0; size <= 1200; ++size) {
            sizes.push_back(size);
        }
        // Around the AVX2 kernel's stretches of 8,192 units.
        sizes.insert(sizes.end(), {2 * 8192 - 1, 2 * 8192 + 1, 4 * 8192 + 2, pool.size() - 3});
        for (const std::size_t size : sizes) {
            for (const std::size_t start : {0, 1, 3}) {
                const std::span<const std::byte> units(pool.data() + start, size);
                LetterAccumulators counted{};
                GetParam().addUtf16(units, bigEndian, counted);
                ASSERT_EQ(counted, expectedCounts(units, form))
                    << order << " size " << size << " start " << start;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Supported, KernelTest, ::testing::ValuesIn(supportedKernels()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(KernelChoice, environment_value_picks_a_supported_kernel_and_falls_back_otherwise) {
    EXPECT_EQ(chooseKernel("scalar").name, "scalar");
    EXPECT_EQ(chooseKernel(nullptr).name, supportedKernels().back().name);
    EXPECT_EQ(chooseKernel("no-such-kernel").name, supportedKernels().back().name);
#ifdef GLYPHMETER_BUILT_FOR_X86_64
    // Each kernel the CPU supports is chosen by its name; the fastest of them is the default.
    const std::pair<const char*, bool> named[] = {
        {"avx2", cpuSupportsAvx2()},
        {"avx512bw", cpuSupportsAvx512Bw()},
        {"avx512vbmi", cpuSupportsAvx512Vbmi()},
    };
    const char* fastest = "scalar";
    for (const auto& [name, supported] : named) {
        EXPECT_EQ(chooseKernel(name).name, supported ? name : supportedKernels().back().name);
        fastest = supported ? name : fastest;
    }
    EXPECT_EQ(chooseKernel(nullptr).name, fastest);
#endif
}

TEST(KernelChoice, a_value_that_is_not_followed_is_explained) {
    EXPECT_EQ(kernelChoiceProblem(nullptr), "");
    EXPECT_EQ(kernelChoiceProblem(""), "");
    EXPECT_EQ(kernelChoiceProblem("AVX2"),
              "unknown kernel 'AVX2' (scalar, avx2, avx512bw, avx512vbmi)");
    // Every known name is followed exactly when the CPU has that kernel.
    for (const std::string_view name : kernelNames) {
        const bool supported =
            std::any_of(supportedKernels().begin(), supportedKernels().end(),
                        [&](const LetterKernel& kernel) { return kernel.name == name; });
        EXPECT_EQ(kernelChoiceProblem(std::string(name).c_str()),
                  supported
                      ? ""
                      : "this processor does not support the kernel '" + std::string(name) + "'")
            << name;
    }
}

}  // namespace
}  // namespace glyphmeter::analysis
