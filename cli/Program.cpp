#include "Program.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "CommandLine.h"
#include "FileError.h"
#include "InputFile.h"
#include "LetterTally.h"
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
// lost at exit. Returns the system's reason on failure.
std::optional<std::string> writeOutput(std::string_view text) {
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), stdout) == text.size() &&
        std::fflush(stdout) == 0) {
        return std::nullopt;
    }
    return std::generic_category().message(errno != 0 ? errno : EIO);
}

int finish(std::string_view output) {
    if (const auto reason = writeOutput(output)) {
        reportProblem("standard output", *reason);
        return exitFailure;
    }
    return exitSuccess;
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

int countFile(const Options& options) {
    const std::optional<std::int32_t> limit = letterLimit();
    if (!limit) {
        reportProblem(limitVariable,
                      "not a whole number from 1 to " + std::to_string(analysis::letterLimit));
        return exitUsage;
    }
    const std::string fileName = utf8(options.file);
    const auto showMessage = [&](const std::string& message) { reportProblem(fileName, message); };

    LetterTally tally;
    try {
        if (readsStandardInput(options)) {
            analysis::InputFile input = analysis::InputFile::standardInput();
            tally = analysis::tallyLetters(input, showMessage, *limit);
        } else {
            tally = analysis::tallyLetters(options.file, showMessage, *limit);
        }
    } catch (const analysis::FileError& error) {
        reportProblem(error.displayPath(), error.reason());
        return exitFailure;
    }

    switch (options.format) {
        case OutputFormat::csv:
            return finish(csvReport(tally));
        case OutputFormat::json:
            return finish(jsonReport(tally, fileName));
        case OutputFormat::table:
            break;
    }
    return finish(tableReport(tally));
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
    return countFile(options);
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
