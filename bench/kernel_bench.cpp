// Throughput of each counting kernel in memory, and of the whole tally on a cached file.
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
        LetterCounters counts{};
        kernel.add(bytes, counts);
        benchmark::DoNotOptimize(counts);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
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
        benchmark::DoNotOptimize(tallyLetters(path, {}));
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
    }
    benchmark::RegisterBenchmark("tally/cached_file", tallyCachedFile)
        ->Arg(256 << 20)
        ->Unit(benchmark::kMillisecond);
    return 0;
}();

}  // namespace

BENCHMARK_MAIN();
