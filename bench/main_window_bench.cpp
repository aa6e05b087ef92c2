// What the main window adds to a calculation: the Calculate command on a cached 100 MiB file
// against the letter tally alone on the same file. The window's share (reset, path check, 26 rows
// of texts and bars) should not be measurable next to reading the file.
//
//   main_window_bench [--benchmark_...]   (offscreen unless QT_QPA_PLATFORM says otherwise)
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLineEdit>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>

#include "LetterTally.h"
#include "main/MainWindow.h"

namespace {

namespace fs = std::filesystem;

fs::path benchFile;

// 100 MiB of English-like bytes (letters with English frequencies, spaces, punctuation, line
// ends), read once afterwards so that every timed run finds it in the page cache.
fs::path writeCachedFile() {
    static const char weighted[] =
        "eeeeeeeeeeeetttttttttaaaaaaaaoooooooiiiiiiinnnnnnnsssssshhhhhhrrrrrrddddlllluuucccmmmwwff"
        "ggyyppbbvkjxqzEETTAAOOII           ,.\n";
    const fs::path path = fs::temp_directory_path() / "glyphmeter-bench-100m.txt";
    std::mt19937 engine(1);
    std::uniform_int_distribution<std::size_t> pick(0, sizeof weighted - 2);
    std::string block(std::size_t{1} << 20, ' ');
    std::ofstream out(path, std::ios::binary);
    for (int mebibyte = 0; mebibyte < 100; ++mebibyte) {
        for (char& c : block) {
            c = weighted[pick(engine)];
        }
        out.write(block.data(), static_cast<std::streamsize>(block.size()));
    }
    out.close();
    auto file = glyphmeter::analysis::InputFile::open(path);
    glyphmeter::analysis::tallyLetters(file, [](const std::string&) {});
    return path;
}

void tallyAlone(benchmark::State& state) {
    for (auto _ : state) {
        auto file = glyphmeter::analysis::InputFile::open(benchFile);
        auto tally = glyphmeter::analysis::tallyLetters(file, [](const std::string&) {});
        benchmark::DoNotOptimize(tally);
    }
    state.SetBytesProcessed(state.iterations() *
                            static_cast<std::int64_t>(fs::file_size(benchFile)));
}

void calculateCommand(benchmark::State& state) {
    glyphmeter::ui::MainWindow::Services services;
    services.messageBox = [](QWidget*, const QString&) {};
    glyphmeter::ui::MainWindow window(services);
    window.findChild<QLineEdit*>(QStringLiteral("txtSourceFile"))
        ->setText(QString::fromStdString(benchFile.string()));
    for (auto _ : state) {
        window.calculate();
    }
    state.SetBytesProcessed(state.iterations() *
                            static_cast<std::int64_t>(fs::file_size(benchFile)));
}

// The window's own share: the same command on a file of a few letters.
void calculateCommandSmallFile(benchmark::State& state) {
    const fs::path small = fs::temp_directory_path() / "glyphmeter-bench-small.txt";
    std::ofstream(small) << "Hello, World";
    glyphmeter::ui::MainWindow::Services services;
    services.messageBox = [](QWidget*, const QString&) {};
    glyphmeter::ui::MainWindow window(services);
    window.findChild<QLineEdit*>(QStringLiteral("txtSourceFile"))
        ->setText(QString::fromStdString(small.string()));
    for (auto _ : state) {
        window.calculate();
    }
    fs::remove(small);
}

}  // namespace

BENCHMARK(calculateCommandSmallFile)->Unit(benchmark::kMicrosecond);
BENCHMARK(tallyAlone)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(calculateCommand)->Unit(benchmark::kMillisecond)->MinTime(2.0);

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchFile = writeCachedFile();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fs::remove(benchFile);
    return 0;
}
