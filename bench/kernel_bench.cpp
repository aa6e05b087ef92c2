// Throughput of each counting kernel in memory (bytes, and UTF-16 characters), and of the whole
// tally on a cached file. Rates are per core: they are taken from CPU time.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "LetterKernels.h"
#include "LetterTally.h"

namespace {

using namespace glyphmeter::analysis;

// English-like bytes: letters with English frequencies, spaces, punctuation and line ends.
std::vector<std::byte> englishLikeText(std::size_t size) {
    static const char weighted[] =
        "eeeeeeeeeeeetttttttttaaaaaaaaoooooooiiiiiiinnnnnnnsssssshhhhhhrrrrrrddddlllluuucccmmmwwff"
        "ggyyppbbvkjxqzEETTAAOOII           ,.\n";
    std::mt19937 engine(1);
    std::uniform_int_distribution<std::size_t> pick(0, sizeof weighted - 2);
    std::vector<std::byte> bytes(size);
    for (auto& b : bytes) {
        b = static_cast<std::byte>(weighted[pick(engine)]);
    }
    return bytes;
}

void kernelThroughput(benchmark::State& state, LetterKernel kernel) {
    const auto bytes = englishLikeText(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        LetterAccumulators counts{};
        kernel.add(bytes, counts);
        benchmark::DoNotOptimize(counts);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

// The same characters as UTF-16LE code units: the speed per character is comparable with the
// byte kernels' bytes per second.
void utf16KernelThroughput(benchmark::State& state, LetterKernel kernel) {
    const auto text = englishLikeText(static_cast<std::size_t>(state.range(0)));
    std::vector<std::byte> units;
    for (const std::byte b : text) {
        units.insert(units.end(), {b, std::byte{0}});
    }
    for (auto _ : state) {
        LetterAccumulators counts{};
        kernel.addUtf16(units, false, counts);
        benchmark::DoNotOptimize(counts);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

void tallyCachedFile(benchmark::State& state) {
    const auto path = std::filesystem::temp_directory_path() / "glyphmeter-bench-tally.txt";
    const auto bytes = englishLikeText(static_cast<std::size_t>(state.range(0)));
    {
        std::FILE* out = std::fopen(path.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), out);
        std::fclose(out);
    }
    for (auto _ : state) {
        InputFile file = InputFile::open(path);
        benchmark::DoNotOptimize(tallyLetters(file, {}));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
    std::filesystem::remove(path);
}

const int registered = [] {
    for (const auto& kernel : supportedKernels()) {
        benchmark::RegisterBenchmark(("kernel/" + std::string(kernel.name)).c_str(),
                                     kernelThroughput, kernel)
            ->Arg(1 << 20)
            ->Arg(16 << 20);
        benchmark::RegisterBenchmark(("kernel_utf16/" + std::string(kernel.name)).c_str(),
                                     utf16KernelThroughput, kernel)
            ->Arg(1 << 20);
    }
    benchmark::RegisterBenchmark("tally/cached_file", tallyCachedFile)
        ->Arg(256 << 20)
        ->Unit(benchmark::kMillisecond);
    return 0;
}();

}  // namespace

BENCHMARK_MAIN();
