#include "Program.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

#include "CommandLine.h"
#include "FileError.h"
#include "InputFile.h"
#include "LetterCounts.h"
#include "LetterTally.h"
#include "NgramReports.h"
#include "NgramTally.h"
#include "Reports.h"

namespace glyphmeter::cli {

namespace {

using analysis::LetterTally;

constexpr std::string_view programName = "glyphmeter-cli";
constexpr const char* limitVariable = "GLYPHMETER_LETTER_LIMIT";

void writeError(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

void reportProblem(std::string_view subject, std::string_view reason) {
    writeError(std::string(programName) + ": " + std::string(subject) + ": " + std::string(reason) +
               "\n");
}

// Writes all of `text` and flushes it, so a full disk or closed pipe is noticed here and not
// lost at exit. On failure says so, with the system's reason, and returns false.
bool writeOutput(std::string_view text) {
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), stdout) == text.size() &&
        std::fflush(stdout) == 0) {
        return true;
    }
    reportProblem("standard output", std::generic_category().message(errno != 0 ? errno : EIO));
    return false;
}

int finish(std::string_view output) {
    return writeOutput(output) ? exitSuccess : exitFailure;
}

// The letter limit, lowered by GLYPHMETER_LETTER_LIMIT when that is set (so tests can reach the
// limit with a small file); nullopt when the variable holds no whole number in 1..letterLimit.
std::optional<std::int32_t> letterLimit() {
    const char* value = std::getenv(limitVariable);
    if (value == nullptr || *value == '\0') {
        return analysis::letterLimit;
    }
    const std::string_view text = value;
    std::int32_t limit = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), limit);
    if (error != std::errc{} || end != text.data() + text.size() || limit < 1 ||
        limit > analysis::letterLimit) {
        return std::nullopt;
    }
    return limit;
}

std::string utf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// Counts one file; nullopt, with the reason on standard error, when it cannot be read.
std::optional<LetterTally> countFile(const std::filesystem::path& file, std::int32_t limit) {
    const std::string fileName = utf8(file);
    const auto showMessage = [&](const std::string& message) { reportProblem(fileName, message); };
    try {
        if (readsStandardInput(file)) {
            analysis::InputFile input = analysis::InputFile::standardInput();
            return analysis::tallyLetters(input, showMessage, limit);
        }
        return analysis::tallyLetters(file, showMessage, limit);
    } catch (const analysis::FileError& error) {
        reportProblem(error.displayPath(), error.reason());
        return std::nullopt;
    }
}

// The letter sequences of one file; nullopt, with the reason on standard error, when it cannot be
// read.
std::optional<analysis::NgramTally> countNgramsOfFile(const std::filesystem::path& file,
                                                      analysis::NgramOptions sequences,
                                                      std::int32_t limit) {
    const std::string fileName = utf8(file);
    const auto showMessage = [&](const std::string& message) { reportProblem(fileName, message); };
    try {
        if (readsStandardInput(file)) {
            analysis::InputFile input = analysis::InputFile::standardInput();
            return analysis::tallyNgrams(input, sequences, showMessage, limit);
        }
        return analysis::tallyNgrams(file, sequences, showMessage, limit);
    } catch (const analysis::FileError& error) {
        reportProblem(error.displayPath(), error.reason());
        return std::nullopt;
    }
}

// --ngrams: as countFiles, with sequences instead of letters.
int countNgramFiles(const Options& options, std::int32_t limit) {
    const analysis::NgramOptions sequences{options.ngramLength, options.spanWords};
    const bool several = options.files.size() > 1;
    const NgramReportWriter writer(options.report, several);
    ReportSink out(writeOutput);
    writer.start(out);
    if (!out.flush()) {
        return exitFailure;
    }
    // Only several files have a total: a quadgram count is a few megabytes.
    std::optional<NgramCounts> total;
    if (several) {
        total.emplace(sequences.length);
    }
    int filesCounted = 0;
    for (const std::filesystem::path& file : options.files) {
        std::optional<analysis::NgramTally> tally = countNgramsOfFile(file, sequences, limit);
        if (!tally) {
            continue;
        }
        const NgramCounts counts(std::move(*tally));
        if (total) {
            total->add(counts);
        }
        ++filesCounted;
        writer.file(utf8(file), counts, out);
        if (!out.flush()) {
            return exitFailure;
        }
    }
    if (total) {
        writer.finish(*total, filesCounted, out);
        if (!out.flush()) {
            return exitFailure;
        }
    }
    return filesCounted == static_cast<int>(options.files.size()) ? exitSuccess : exitFailure;
}

// Writes each file's results as soon as it is counted, so a long run shows its progress, and
// ends with the total when there are several files.
int countFiles(const Options& options) {
    const std::optional<std::int32_t> limit = letterLimit();
    if (!limit) {
        reportProblem(limitVariable,
                      "not a whole number from 1 to " + std::to_string(analysis::letterLimit));
        return exitUsage;
    }
    if (options.ngramLength > 1) {
        return countNgramFiles(options, *limit);
    }
    const ReportWriter writer(options.report, options.files.size() > 1);
    if (!writeOutput(writer.start())) {
        return exitFailure;
    }
    LetterCounts total;
    int filesCounted = 0;
    for (const std::filesystem::path& file : options.files) {
        const std::optional<LetterTally> tally = countFile(file, *limit);
        if (!tally) {
            continue;
        }
        LetterCounts counts;
        counts.add(*tally);
        total.add(*tally);
        ++filesCounted;
        if (!writeOutput(writer.file(utf8(file), counts))) {
            return exitFailure;
        }
    }
    if (!writeOutput(writer.finish(total, filesCounted))) {
        return exitFailure;
    }
    return filesCounted == static_cast<int>(options.files.size()) ? exitSuccess : exitFailure;
}

int run(const std::vector<std::filesystem::path>& arguments) {
    Options options;
    try {
        options = parseCommandLine(arguments);
    } catch (const UsageError& error) {
        writeError(std::string(programName) + ": " + error.what() + "\n" + usageText() +
                   "Try 'glyphmeter-cli --help' for more information.\n");
        return exitUsage;
    }
    switch (options.action) {
        case Action::showHelp:
            return finish(helpText());
        case Action::showVersion:
            return finish(std::string(programName) + " " GLYPHMETER_VERSION_TEXT "\n");
        case Action::count:
            break;
    }
    return countFiles(options);
}

}  // namespace

int runProgram(const std::vector<std::filesystem::path>& arguments) {
    try {
        return run(arguments);
    } catch (const std::exception& error) {
        // Out of memory, no thread to be had: say so rather than end without a word.
        writeError(std::string(programName) + ": " + error.what() + "\n");
        return exitFailure;
    }
}

}  // namespace glyphmeter::cli
