// Throughput of the alphabet counter in memory, per core (rates are taken from CPU time): German,
// French, Polish, Russian and Greek text, in UTF-8 and in a code page, with each kernel, counted
// as the reading engine counts a file: blocks of 1 MiB counted alone and committed in order.
//
//   build/release/bench/alphabet_bench
//   build/release/bench/alphabet_bench --write-texts DIR   (the same texts as files, for
//                                                           bench/compare-alphabet-counts)
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "AlphabetCounter.h"
#include "UnicodeTables.h"

namespace {

using namespace glyphmeter::analysis;

struct Sample {
    const char* language;
    TextEncoding codePage;
    const char* text;
};

// Sentences written for this benchmark, repeated.
const Sample samples[] = {
    {"de", TextEncoding::windows1252,
     "Am Montag fuhren wir mit dem Zug nach Hamburg, um unsere Freunde zu besuchen. Das Wetter"
     " war kalt und windig, aber wir gingen trotzdem lange am Hafen spazieren und sahen den gr"
     "o\u00dfen Schiffen zu. Am Abend a\u00dfen wir in einem kleinen Restaurant in der N\u00e4"
     "he des Bahnhofs, wo es frischen Fisch und warme Kartoffeln gab. Sp\u00e4ter erz\u00e4hlt"
     "e uns Anna von ihrer neuen Arbeit in der Stadtbibliothek, die ihr sehr gut gef\u00e4llt."
     "\n"},
    {"fr", TextEncoding::windows1252,
     "Lundi matin, nous avons pris le train pour Lyon afin de rendre visite \u00e0 nos amis. I"
     "l faisait froid et le vent soufflait fort, mais nous nous sommes promen\u00e9s longtemps"
     " le long du fleuve en regardant passer les bateaux. Le soir, nous avons d\u00een\u00e9 d"
     "ans un petit restaurant pr\u00e8s de la gare, o\u00f9 l'on servait du poisson frais et d"
     "es l\u00e9gumes du march\u00e9. Ensuite, Claire nous a parl\u00e9 de son nouveau travail"
     " \u00e0 la biblioth\u00e8que de la ville.\n"},
    {"pl", TextEncoding::windows1250,
     "W poniedzia\u0142ek rano pojechali\u015bmy poci\u0105giem do Krakowa, \u017ceby odwiedzi"
     "\u0107 naszych przyjaci\u00f3\u0142. By\u0142o zimno i mocno wia\u0142o, ale i tak d"
     "\u0142ugo spacerowali\u015bmy nad rzek\u0105, patrz\u0105c na przep\u0142ywaj\u0105ce st"
     "atki. Wieczorem zjedli\u015bmy kolacj\u0119 w ma\u0142ej restauracji niedaleko dworca, g"
     "dzie podawano \u015bwie\u017ce ryby i ciep\u0142e ziemniaki. Potem Anna opowiedzia\u0142"
     "a nam o swojej nowej pracy w miejskiej bibliotece.\n"},
    {"ru", TextEncoding::windows1251,
     "\u0412 \u043f\u043e\u043d\u0435\u0434\u0435\u043b\u044c\u043d\u0438\u043a \u0443\u0442"
     "\u0440\u043e\u043c \u043c\u044b \u043f\u043e\u0435\u0445\u0430\u043b\u0438 \u043d\u0430 "
     "\u043f\u043e\u0435\u0437\u0434\u0435 \u0432 \u041a\u0430\u0437\u0430\u043d\u044c, \u0447"
     "\u0442\u043e\u0431\u044b \u043d\u0430\u0432\u0435\u0441\u0442\u0438\u0442\u044c \u043d"
     "\u0430\u0448\u0438\u0445 \u0434\u0440\u0443\u0437\u0435\u0439. \u0411\u044b\u043b\u043e "
     "\u0445\u043e\u043b\u043e\u0434\u043d\u043e \u0438 \u0434\u0443\u043b \u0441\u0438\u043b"
     "\u044c\u043d\u044b\u0439 \u0432\u0435\u0442\u0435\u0440, \u043d\u043e \u043c\u044b "
     "\u0432\u0441\u0451 \u0440\u0430\u0432\u043d\u043e \u0434\u043e\u043b\u0433\u043e \u0433"
     "\u0443\u043b\u044f\u043b\u0438 \u0432\u0434\u043e\u043b\u044c \u0440\u0435\u043a\u0438 "
     "\u0438 \u0441\u043c\u043e\u0442\u0440\u0435\u043b\u0438 \u043d\u0430 \u043f\u0440\u043e"
     "\u0445\u043e\u0434\u044f\u0449\u0438\u0435 \u043a\u043e\u0440\u0430\u0431\u043b\u0438. "
     "\u0412\u0435\u0447\u0435\u0440\u043e\u043c \u043c\u044b \u0443\u0436\u0438\u043d\u0430"
     "\u043b\u0438 \u0432 \u043c\u0430\u043b\u0435\u043d\u044c\u043a\u043e\u043c \u0440\u0435"
     "\u0441\u0442\u043e\u0440\u0430\u043d\u0435 \u043d\u0435\u0434\u0430\u043b\u0435\u043a"
     "\u043e \u043e\u0442 \u0432\u043e\u043a\u0437\u0430\u043b\u0430, \u0433\u0434\u0435 "
     "\u043f\u043e\u0434\u0430\u0432\u0430\u043b\u0438 \u0441\u0432\u0435\u0436\u0443\u044e "
     "\u0440\u044b\u0431\u0443 \u0438 \u0433\u043e\u0440\u044f\u0447\u0443\u044e \u043a\u0430"
     "\u0440\u0442\u043e\u0448\u043a\u0443. \u041f\u043e\u0442\u043e\u043c \u0410\u043d\u043d"
     "\u0430 \u0440\u0430\u0441\u0441\u043a\u0430\u0437\u0430\u043b\u0430 \u043d\u0430\u043c "
     "\u043e \u0441\u0432\u043e\u0435\u0439 \u043d\u043e\u0432\u043e\u0439 \u0440\u0430\u0431"
     "\u043e\u0442\u0435 \u0432 \u0433\u043e\u0440\u043e\u0434\u0441\u043a\u043e\u0439 \u0431"
     "\u0438\u0431\u043b\u0438\u043e\u0442\u0435\u043a\u0435.\n"},
    {"el", TextEncoding::windows1253,
     "\u03a4\u03b7 \u0394\u03b5\u03c5\u03c4\u03ad\u03c1\u03b1 \u03c4\u03bf \u03c0\u03c1\u03c9"
     "\u03af \u03c0\u03ae\u03c1\u03b1\u03bc\u03b5 \u03c4\u03bf \u03c4\u03c1\u03ad\u03bd\u03bf "
     "\u03b3\u03b9\u03b1 \u03c4\u03b7 \u0398\u03b5\u03c3\u03c3\u03b1\u03bb\u03bf\u03bd\u03af"
     "\u03ba\u03b7 \u03b3\u03b9\u03b1 \u03bd\u03b1 \u03b5\u03c0\u03b9\u03c3\u03ba\u03b5\u03c6"
     "\u03c4\u03bf\u03cd\u03bc\u03b5 \u03c4\u03bf\u03c5\u03c2 \u03c6\u03af\u03bb\u03bf\u03c5"
     "\u03c2 \u03bc\u03b1\u03c2. \u0388\u03ba\u03b1\u03bd\u03b5 \u03ba\u03c1\u03cd\u03bf "
     "\u03ba\u03b1\u03b9 \u03c6\u03c5\u03c3\u03bf\u03cd\u03c3\u03b5 \u03b4\u03c5\u03bd\u03b1"
     "\u03c4\u03cc\u03c2 \u03b1\u03ad\u03c1\u03b1\u03c2, \u03b1\u03bb\u03bb\u03ac \u03c0\u03b5"
     "\u03c1\u03c0\u03b1\u03c4\u03ae\u03c3\u03b1\u03bc\u03b5 \u03c0\u03bf\u03bb\u03bb\u03ae "
     "\u03ce\u03c1\u03b1 \u03b4\u03af\u03c0\u03bb\u03b1 \u03c3\u03c4\u03b7 \u03b8\u03ac\u03bb"
     "\u03b1\u03c3\u03c3\u03b1 \u03ba\u03bf\u03b9\u03c4\u03ac\u03b6\u03bf\u03bd\u03c4\u03b1"
     "\u03c2 \u03c4\u03b1 \u03ba\u03b1\u03c1\u03ac\u03b2\u03b9\u03b1. \u03a4\u03bf \u03b2"
     "\u03c1\u03ac\u03b4\u03c5 \u03c6\u03ac\u03b3\u03b1\u03bc\u03b5 \u03c3\u03b5 \u03bc\u03b9"
     "\u03b1 \u03bc\u03b9\u03ba\u03c1\u03ae \u03c4\u03b1\u03b2\u03ad\u03c1\u03bd\u03b1 \u03ba"
     "\u03bf\u03bd\u03c4\u03ac \u03c3\u03c4\u03bf \u03c3\u03c4\u03b1\u03b8\u03bc\u03cc, \u03cc"
     "\u03c0\u03bf\u03c5 \u03c3\u03ad\u03c1\u03b2\u03b9\u03c1\u03b1\u03bd \u03c6\u03c1\u03ad"
     "\u03c3\u03ba\u03bf \u03c8\u03ac\u03c1\u03b9 \u03ba\u03b1\u03b9 \u03b6\u03b5\u03c3\u03c4"
     "\u03ad\u03c2 \u03c0\u03b1\u03c4\u03ac\u03c4\u03b5\u03c2. \u039c\u03b5\u03c4\u03ac \u03b7"
     " \u0386\u03bd\u03bd\u03b1 \u03bc\u03b1\u03c2 \u03bc\u03af\u03bb\u03b7\u03c3\u03b5 \u03b3"
     "\u03b9\u03b1 \u03c4\u03b7 \u03bd\u03ad\u03b1 \u03c4\u03b7\u03c2 \u03b4\u03bf\u03c5\u03bb"
     "\u03b5\u03b9\u03ac \u03c3\u03c4\u03b7 \u03b4\u03b7\u03bc\u03bf\u03c4\u03b9\u03ba\u03ae "
     "\u03b2\u03b9\u03b2\u03bb\u03b9\u03bf\u03b8\u03ae\u03ba\u03b7.\n"},
};

constexpr std::size_t textSize = std::size_t{64} << 20;
constexpr std::size_t blockSize = std::size_t{1} << 20;

std::string repeated(std::string_view sentence) {
    std::string text;
    text.reserve(textSize);
    while (text.size() + sentence.size() <= textSize) {
        text += sentence;
    }
    return text;
}

// The UTF-8 text in a code page, through the code page's own table.
std::string inCodePage(std::string_view utf8, TextEncoding codePage) {
    const auto upper = codePageUpperHalf(codePage);
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        const int length = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        char32_t c = length == 1 ? b : b & (0x7F >> length);
        for (int k = 1; k < length; ++k) {
            c = c << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        }
        i += length;
        if (c < 0x80) {
            out += static_cast<char>(c);
            continue;
        }
        for (unsigned byte = 0; byte < 128; ++byte) {
            if (upper[byte] == c) {
                out += static_cast<char>(0x80 + byte);
                break;
            }
        }
    }
    return out;
}

void countText(benchmark::State& state, const Sample* sample, bool codePage, LetterKernel kernel) {
    const std::string text =
        codePage ? inCodePage(repeated(sample->text), sample->codePage) : repeated(sample->text);
    const auto bytes = std::as_bytes(std::span(text.data(), text.size()));
    const AlphabetCounter counter(*findAlphabet(sample->language),
                                  codePage ? sample->codePage : TextEncoding::utf8, false, kernel);
    AlphabetPiece piece;
    for (auto _ : state) {
        AlphabetSeam seam = counter.start();
        AlphabetCounts totals = counter.emptyCounts();
        for (std::size_t at = 0; at < bytes.size(); at += blockSize) {
            const auto block = bytes.subspan(at, std::min(blockSize, bytes.size() - at));
            counter.count(block, piece);
            counter.commit(seam, block, piece, totals);
        }
        counter.finish(seam, totals);
        benchmark::DoNotOptimize(totals);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(bytes.size()));
}

void registerAll() {
    for (const Sample& sample : samples) {
        for (const bool codePage : {false, true}) {
            for (const LetterKernel& kernel : supportedKernels()) {
                const std::string name =
                    std::string("alphabet/") + sample.language + "/" +
                    std::string(codePage ? encodingName(sample.codePage) : "utf-8") + "/" +
                    std::string(kernel.name);
                benchmark::RegisterBenchmark(name.c_str(), countText, &sample, codePage, kernel)
                    ->MeasureProcessCPUTime()
                    ->Unit(benchmark::kMillisecond);
            }
        }
    }
}

int writeTexts(const char* folder) {
    std::filesystem::create_directories(folder);
    for (const Sample& sample : samples) {
        const std::string text = repeated(sample.text);
        std::ofstream(std::filesystem::path(folder) / (std::string(sample.language) + ".txt"),
                      std::ios::binary)
            .write(text.data(), static_cast<std::streamsize>(text.size()));
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--write-texts") == 0) {
        return writeTexts(argv[2]);
    }
    registerAll();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
