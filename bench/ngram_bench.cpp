// Throughput of the sequence counter in memory, and of the whole sequence tally on a cached file,
// for bigrams to quadgrams with and without spanning words. Rates are per core: they are taken
// from CPU time (the tally's two readers add up their time).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "NgramCounter.h"
#include "NgramTally.h"

namespace {

using namespace glyphmeter::analysis;

// English-like text: words of a few common letters' frequencies, spaces, punctuation, line ends.
std::vector<std::byte> englishLikeText(std::size_t size) {
    static const char* const words[] = {
        "the",     "of",   "and",  "to",         "in",     "is",      "was",      "that",  "for",
        "it",      "with", "as",   "his",        "on",     "be",      "at",       "by",    "had",
        "not",     "are",  "but",  "from",       "or",     "have",    "an",       "they",  "which",
        "one",     "you",  "were", "her",        "all",    "she",     "there",    "would", "their",
        "quickly", "jazz", "fox",  "lighthouse", "keeper", "harbour", "schooner", "winter"};
    static const char* const gaps[] = {" ", " ", " ", " ", " ", ", ", ". ", ".\n"};
    std::mt19937 engine(1);
    std::uniform_int_distribution<std::size_t> word(0, std::size(words) - 1);
    std::uniform_int_distribution<std::size_t> gap(0, std::size(gaps) - 1);
    std::string text;
    while (text.size() < size) {
        text += words[word(engine)];
        text += gaps[gap(engine)];
    }
    text.resize(size);
    const auto bytes = std::as_bytes(std::span(text.data(), text.size()));
    return {bytes.begin(), bytes.end()};
}

void counterThroughput(benchmark::State& state) {
    const NgramOptions options{static_cast<int>(state.range(0)), state.range(1) != 0};
    const auto text = englishLikeText(std::size_t{1} << 20);
    NgramCounter counter(options);
    for (auto _ : state) {
        benchmark::DoNotOptimize(counter.count(text));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(text.size()));
}

void tallyCachedFile(benchmark::State& state) {
    const NgramOptions options{static_cast<int>(state.range(0)), state.range(1) != 0};
    const std::size_t size = std::size_t{256} << 20;
    const auto path = std::filesystem::temp_directory_path() / "glyphmeter-bench-ngrams.txt";
    {
        const auto bytes = englishLikeText(size);
        std::FILE* out = std::fopen(path.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), out);
        std::fclose(out);
    }
    for (auto _ : state) {
        InputFile file = InputFile::open(path);
        benchmark::DoNotOptimize(tallyNgrams(file, options, {}));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(size));
    std::filesystem::remove(path);
}

// Arguments: the sequence length, then 1 to span words.
BENCHMARK(counterThroughput)->ArgsProduct({{2, 3, 4}, {0, 1}});
BENCHMARK(tallyCachedFile)
    ->ArgsProduct({{2, 3, 4}, {0, 1}})
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
