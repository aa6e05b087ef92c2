#include "Program.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <exception>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "CommandLine.h"
#include "FileError.h"
#include "FileNames.h"
#include "InOrder.h"
#include "InputFile.h"
#include "LetterCounts.h"
#include "LetterTally.h"
#include "NgramReports.h"
#include "NgramTally.h"
#include "ReaderBuffers.h"
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

// "glyphmeter-cli: SUBJECT: reason" and a line end, for standard error.
std::string problemLine(std::string_view subject, std::string_view reason) {
    return std::string(programName) + ": " + std::string(subject) + ": " + std::string(reason) +
           "\n";
}

void reportProblem(std::string_view subject, std::string_view reason) {
    writeError(problemLine(subject, reason));
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

// What counting one file gives: its results, or the reason it could not be counted, and what it
// says on standard error either way, to be written in its turn.
struct FileOutcome {
    std::optional<LetterTally> tally;
    std::string results;   // for standard output
    std::string messages;  // for standard error, before the results
};

// Opens the file `entry` names and hands it to `count`, with the sink for its messages and the
// name they give it. An entry with a problem, and every failure, becomes a line of `messages`
// instead; returns false then.
template <typename Count>
bool countEntry(const FileEntry& entry, std::string& messages, Count count) {
    if (entry.problem) {
        messages = problemLine(entry.problem->subject, entry.problem->reason);
        return false;
    }
    const std::string fileName = utf8(entry.file);
    const analysis::MessageSink showMessage = [&](const std::string& message) {
        messages += problemLine(fileName, message);
    };
    try {
        analysis::InputFile input = readsStandardInput(entry.file)
                                        ? analysis::InputFile::standardInput()
                                        : analysis::InputFile::open(entry.file);
        count(input, showMessage, fileName);
        return true;
    } catch (const analysis::FileError& error) {
        messages += problemLine(error.displayPath(), error.reason());
    } catch (const std::exception& failure) {
        messages += problemLine(fileName, analysis::failureReason(failure));
    }
    return false;
}

// Counts one file into `buffers`; every failure becomes that file's message.
FileOutcome countFile(const FileEntry& entry, std::int32_t limit, const ReportWriter& writer,
                      analysis::ReaderBuffers& buffers) {
    FileOutcome outcome;
    const auto count = [&](analysis::InputFile& input, const analysis::MessageSink& showMessage,
                           const std::string& fileName) {
        outcome.tally = analysis::tallyLetters(input, showMessage, limit, &buffers);
        LetterCounts counts;
        counts.add(*outcome.tally);
        outcome.results = writer.file(fileName, counts);
    };
    if (!countEntry(entry, outcome.messages, count)) {
        outcome.tally.reset();
    }
    return outcome;
}

// The sequences of one file, counted into `buffers`; every failure becomes that file's message.
struct NgramOutcome {
    std::string name;
    std::optional<NgramCounts> counts;
    std::string messages;  // for standard error, before the results
};

NgramOutcome countNgramsOfFile(const FileEntry& entry, analysis::NgramOptions sequences,
                               std::int32_t limit, analysis::ReaderBuffers& buffers) {
    NgramOutcome outcome;
    const auto count = [&](analysis::InputFile& input, const analysis::MessageSink& showMessage,
                           const std::string& fileName) {
        outcome.name = fileName;
        outcome.counts.emplace(
            analysis::tallyNgrams(input, sequences, showMessage, limit, &buffers));
    };
    if (!countEntry(entry, outcome.messages, count)) {
        outcome.counts.reset();
    }
    return outcome;
}

// Outcomes that may wait for an earlier file, per processor; results are written in batches of
// about this many bytes while later files are ready, and at once otherwise.
constexpr std::size_t waitingOutcomesPerWorker = 16;
constexpr std::size_t outputBatch = std::size_t{64} << 10;

// The entries of a run, the first two read ahead: they decide between the shapes for one file
// and for several (for a list, several unless it names exactly one).
class Entries {
  public:
    explicit Entries(FileNames names) : names_(std::move(names)) {
        while (first_.size() < 2) {
            std::optional<FileEntry> entry = names_.next();
            if (!entry) {
                break;
            }
            first_.push_back(std::move(*entry));
        }
        several_ = first_.size() != 1;
    }
    bool several() const { return several_; }
    std::optional<FileEntry> next() {
        if (!first_.empty()) {
            FileEntry entry = std::move(first_.front());
            first_.pop_front();
            return entry;
        }
        return names_.next();
    }

  private:
    FileNames names_;
    std::deque<FileEntry> first_;
    bool several_ = false;
};

// Counts the files side by side and writes each file's results in the order given, as soon as
// the files before it are written, so a long run shows its progress; ends with the total when
// there are several files.
int countLetterFiles(const Options& options, std::int32_t limit, Entries& names) {
    const ReportWriter writer(options.report, names.several());
    if (!writeOutput(writer.start())) {
        return exitFailure;
    }

    const int workers = analysis::processorCount();
    std::vector<analysis::ReaderBuffers> buffers(static_cast<std::size_t>(workers));
    LetterCounts total;
    std::size_t entries = 0;
    std::size_t filesCounted = 0;
    std::string pending;
    const auto flush = [&] { return writeOutput(std::exchange(pending, {})); };
    InOrder<FileEntry, FileOutcome> run(
        waitingOutcomesPerWorker * static_cast<std::size_t>(workers), [&] { return names.next(); },
        [&](FileEntry& entry, int worker) {
            return countFile(entry, limit, writer, buffers[static_cast<std::size_t>(worker)]);
        },
        [&](FileOutcome& outcome, bool moreReady) {
            ++entries;
            if (!outcome.messages.empty()) {
                // Standard error in its place between the results, as when counted one by one.
                if (!pending.empty() && !flush()) {
                    return false;
                }
                writeError(outcome.messages);
            }
            if (outcome.tally) {
                total.add(*outcome.tally);
                ++filesCounted;
                pending += outcome.results;
            }
            return moreReady && pending.size() < outputBatch ? true : flush();
        });
    if (!run.run(workers)) {
        return exitFailure;
    }
    if (!writeOutput(writer.finish(total, static_cast<int>(filesCounted)))) {
        return exitFailure;
    }
    return filesCounted == entries ? exitSuccess : exitFailure;
}

// --ngrams: as countLetterFiles, with sequences instead of letters. A quadgram table is a few
// megabytes (the counter's, each file's results, the total's), so quadgrams are counted one file
// at a time, each with both readers, and with no results waiting: peak memory stays that of one
// file and the total however many files there are. Shorter sequences' tables are small, and their
// files are counted side by side as letters are.
int countNgramFiles(const Options& options, std::int32_t limit, Entries& names) {
    const analysis::NgramOptions sequences{options.ngramLength, options.spanWords};
    const NgramReportWriter writer(options.report, names.several());
    ReportSink out(writeOutput);
    writer.start(out);
    if (!out.flush()) {
        return exitFailure;
    }
    // Only several files have a total: a quadgram count is a few megabytes.
    std::optional<NgramCounts> total;
    if (names.several()) {
        total.emplace(sequences.length);
    }
    const bool bigTables = sequences.length >= 4;
    const int workers = bigTables ? 1 : analysis::processorCount();
    const std::size_t window =
        bigTables ? 1 : waitingOutcomesPerWorker * static_cast<std::size_t>(workers);
    std::vector<analysis::ReaderBuffers> buffers(static_cast<std::size_t>(workers));
    std::size_t entries = 0;
    int filesCounted = 0;
    InOrder<FileEntry, NgramOutcome> run(
        window, [&] { return names.next(); },
        [&](FileEntry& entry, int worker) {
            return countNgramsOfFile(entry, sequences, limit,
                                     buffers[static_cast<std::size_t>(worker)]);
        },
        [&](NgramOutcome& outcome, bool moreReady) {
            ++entries;
            if (!outcome.messages.empty()) {
                // Standard error in its place between the results, as when counted one by one.
                if (!out.flush()) {
                    return false;
                }
                writeError(outcome.messages);
            }
            if (outcome.counts) {
                if (total) {
                    total->add(*outcome.counts);
                }
                ++filesCounted;
                writer.file(outcome.name, *outcome.counts, out);
            }
            return moreReady && !out.failed() ? true : out.flush();
        });
    if (!run.run(workers)) {
        return exitFailure;
    }
    if (total) {
        writer.finish(*total, filesCounted, out);
    }
    if (!out.flush()) {
        return exitFailure;
    }
    return static_cast<std::size_t>(filesCounted) == entries ? exitSuccess : exitFailure;
}

int countFiles(Options options) {
    const std::optional<std::int32_t> limit = letterLimit();
    if (!limit) {
        reportProblem(limitVariable,
                      "not a whole number from 1 to " + std::to_string(analysis::letterLimit));
        return exitUsage;
    }
    std::optional<Entries> names;
    try {
        names.emplace(options.fileList ? FileNames::fromList(*options.fileList)
                                       : FileNames(std::move(options.files)));
    } catch (const analysis::FileError& error) {
        reportProblem(error.displayPath(), error.reason());
        return exitFailure;
    }
    return options.ngramLength > 1 ? countNgramFiles(options, *limit, *names)
                                   : countLetterFiles(options, *limit, *names);
}

int run(std::vector<Argument> arguments) {
    Options options;
    try {
        options = parseCommandLine(std::move(arguments));
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
    return countFiles(std::move(options));
}

}  // namespace

int runProgram(std::vector<Argument> arguments) {
    try {
        return run(std::move(arguments));
    } catch (const std::exception& error) {
        // Out of memory, no thread to be had: say so rather than end without a word.
        writeError(std::string(programName) + ": " + error.what() + "\n");
        return exitFailure;
    }
}

}  // namespace glyphmeter::cli
