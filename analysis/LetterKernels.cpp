// The scalar kernel and the run-time choice between kernels.
#include "LetterKernels.h"
#include "LetterIndex.h"

#include <algorithm>
#include <cstdlib>

namespace glyphmeter::analysis {

namespace {

// UTF-16 text for the scalar kernel: narrowed a stretch at a time into a buffer that stays in the
// L1 cache, then counted by the byte kernel. The vector kernels narrow the units as they load
// them, where the extra store and load through a buffer would cost them a fifth to a third of
// their speed.
template <Utf16NarrowFunction narrow, LetterKernelFunction add>
void addUtf16Letters(std::span<const std::byte> units, bool bigEndian, LetterAccumulators& counts) {
    constexpr std::size_t stretchUnits = 8192;
    alignas(64) std::byte narrowed[stretchUnits];
    const std::size_t total = units.size() / 2;
    for (std::size_t done = 0; done < total;) {
        const std::size_t now = total - done < stretchUnits ? total - done : stretchUnits;
        narrow(units.subspan(2 * done, 2 * now), bigEndian, narrowed);
        add(std::span<const std::byte>(narrowed, now), counts);
        done += now;
    }
}

std::vector<LetterKernel> detectKernels() {
    std::vector<LetterKernel> kernels{
        {"scalar", &addLettersScalar, &addUtf16Letters<narrowUtf16Scalar, addLettersScalar>}};
#ifdef GLYPHMETER_BUILT_FOR_X86_64
    if (cpuSupportsAvx2()) {
        kernels.push_back({"avx2", &addLettersAvx2, &addUtf16LettersAvx2});
    }
#endif
#ifdef GLYPHMETER_BUILT_FOR_X86_64
    if (cpuSupportsAvx512Bw()) {
        kernels.push_back({"avx512bw", &addLettersAvx512Bw, &addUtf16LettersAvx512Bw});
    }
    if (cpuSupportsAvx512Vbmi()) {
        kernels.push_back({"avx512vbmi", &addLettersAvx512Vbmi, &addUtf16LettersAvx512Vbmi});
    }
#endif
    return kernels;
}

}  // namespace

void addLettersScalar(std::span<const std::byte> bytes, LetterAccumulators& counts) {
    // Four sets of counters, used in turn: a run of the same letter then updates four different
    // memory slots instead of waiting on one store after another.
    constexpr std::size_t ways = 4;
    constexpr std::size_t slots = notALetter + 1;
    std::array<std::array<std::uint32_t, slots>, ways> partial{};
    const std::byte* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        // Flush before a 32-bit counter could overflow.
        std::size_t chunk = left < (std::size_t{1} << 30) ? left : (std::size_t{1} << 30);
        left -= chunk;
        for (; chunk >= ways; chunk -= ways, p += ways) {
            ++partial[0][letterIndex[static_cast<std::uint8_t>(p[0])]];
            ++partial[1][letterIndex[static_cast<std::uint8_t>(p[1])]];
            ++partial[2][letterIndex[static_cast<std::uint8_t>(p[2])]];
            ++partial[3][letterIndex[static_cast<std::uint8_t>(p[3])]];
        }
        for (; chunk > 0; --chunk, ++p) {
            ++partial[0][letterIndex[static_cast<std::uint8_t>(*p)]];
        }
        for (auto& way : partial) {
            for (std::size_t letter = 0; letter < 26; ++letter) {
                counts[letter] += way[letter];
            }
            way.fill(0);
        }
    }
}

void narrowUtf16Scalar(std::span<const std::byte> units, bool bigEndian, std::byte* narrowed) {
    const std::size_t high = bigEndian ? 0 : 1;
    for (std::size_t i = 0; i + 1 < units.size(); i += 2) {
        narrowed[i / 2] = units[i + high] == std::byte{0} ? units[i + 1 - high] : std::byte{0xFF};
    }
}

const std::vector<LetterKernel>& supportedKernels() {
    static const std::vector<LetterKernel> kernels = detectKernels();
    return kernels;
}

const LetterKernel& chooseKernel(const char* requested) {
    const auto& kernels = supportedKernels();
    if (requested != nullptr) {
        for (const auto& kernel : kernels) {
            if (kernel.name == requested) {
                return kernel;
            }
        }
    }
    return kernels.back();
}

std::string kernelNameList() {
    std::string names;
    for (const std::string_view name : kernelNames) {
        names += (names.empty() ? "" : ", ") + std::string(name);
    }
    return names;
}

std::string kernelChoiceProblem(const char* requested) {
    if (requested == nullptr || *requested == '\0') {
        return {};
    }
    const std::string name = requested;
    if (std::find(kernelNames.begin(), kernelNames.end(), name) == kernelNames.end()) {
        return "unknown kernel '" + name + "' (" + kernelNameList() + ")";
    }
    const auto& kernels = supportedKernels();
    if (std::none_of(kernels.begin(), kernels.end(),
                     [&](const LetterKernel& kernel) { return kernel.name == name; })) {
        return "this processor does not support the kernel '" + name + "'";
    }
    return {};
}

const LetterKernel& activeKernel() {
    static const LetterKernel& kernel = chooseKernel(std::getenv("GLYPHMETER_KERNEL"));
    return kernel;
}

}  // namespace glyphmeter::analysis
