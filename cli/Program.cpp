// What glyphmeter-cli does: the environment checked, the files counted by the kind of count asked
// for, side by side, and their reports written in order.
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

#include "AlphabetKind.h"
#include "CommandLine.h"
#include "FileError.h"
#include "FileNameSource.h"
#include "InOrder.h"
#include "InputFile.h"
#include "LetterKernels.h"
#include "LetterKind.h"
#include "LetterTally.h"
#include "NgramKind.h"
#include "NgramTally.h"
#include "PathText.h"
#include "ReaderBuffers.h"
#include "Reports.h"

namespace glyphmeter::cli {

namespace {

constexpr std::string_view programName = "glyphmeter-cli";
constexpr const char* limitVariable = "GLYPHMETER_LETTER_LIMIT";
constexpr const char* kernelVariable = "GLYPHMETER_KERNEL";

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

// Opens the file `entry` names and hands it to `count`, with the sink for its messages and the
// name they give it. An entry with a problem, and every failure, becomes a line of `messages`
// instead; returns false then.
template <typename Count>
bool countEntry(const NamedFile& entry, std::string& messages, Count count) {
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

// What counting one file gives: its counts, or the reason it could not be counted, and what it
// says on standard error either way, to be written in its turn.
template <typename Kind>
struct FileOutcome {
    std::optional<typename Kind::Counts> counts;
    std::string name;
    std::string results;   // its report, made by the worker; empty when written in its turn
    std::string messages;  // for standard error, before the results
};

// Outcomes that may wait for an earlier file, per processor; results are written in batches of
// about 64 KiB (ReportSink) while later files are ready, and at once otherwise.
constexpr std::size_t waitingOutcomesPerWorker = 16;

// The files of a run, the first two read ahead: they decide between the shapes for one file
// and for several (for a list, several unless it names exactly one).
class FileQueue {
  public:
    explicit FileQueue(FileNameSource names) : names_(std::move(names)) {
        while (first_.size() < 2) {
            std::optional<NamedFile> entry = names_.next();
            if (!entry) {
                break;
            }
            first_.push_back(std::move(*entry));
        }
        several_ = first_.size() != 1;
    }
    bool several() const { return several_; }
    std::optional<NamedFile> next() {
        if (!first_.empty()) {
            NamedFile entry = std::move(first_.front());
            first_.pop_front();
            return entry;
        }
        return names_.next();
    }

  private:
    FileNameSource names_;
    std::deque<NamedFile> first_;
    bool several_ = false;
};

// Counts the files side by side and writes each file's results in the order given, as soon as
// the files before it are written, so a long run shows its progress; ends with the total when
// there are several files. A kind that counts one file at a time gets one worker with both
// readers and no results waiting, and its report is written in its turn rather than made ahead.
template <typename Kind>
int countFiles(const Kind& kind, OutputFormat format, std::int32_t limit, FileQueue& files) {
    const ReportFraming<Kind> report(kind, format, files.several());
    ReportSink out(writeOutput);
    report.start(out);
    if (!out.flush()) {
        return exitFailure;
    }
    std::optional<typename Kind::Counts> total;
    if (files.several()) {
        total.emplace(kind.emptyTotal());
    }
    const bool oneAtATime = kind.countsOneAtATime();
    const int workers = oneAtATime ? 1 : analysis::processorCount();
    const std::size_t window =
        oneAtATime ? 1 : waitingOutcomesPerWorker * static_cast<std::size_t>(workers);
    std::vector<analysis::ReaderBuffers> buffers(static_cast<std::size_t>(workers));
    std::size_t entries = 0;
    int filesCounted = 0;
    InOrder<NamedFile, FileOutcome<Kind>> run(
        window, [&] { return files.next(); },
        [&](NamedFile& entry, int worker) {
            FileOutcome<Kind> outcome;
            const auto count = [&](analysis::InputFile& input,
                                   const analysis::MessageSink& showMessage,
                                   const std::string& fileName) {
                outcome.counts.emplace(kind.count(input, showMessage, limit,
                                                  buffers[static_cast<std::size_t>(worker)]));
                if (oneAtATime) {
                    outcome.name = fileName;
                } else {
                    ReportSink text;
                    report.file(fileName, *outcome.counts, text);
                    outcome.results = text.take();
                }
            };
            if (!countEntry(entry, outcome.messages, count)) {
                outcome.counts.reset();
            }
            return outcome;
        },
        [&](FileOutcome<Kind>& outcome, bool moreReady) {
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
                if (oneAtATime) {
                    report.file(outcome.name, *outcome.counts, out);
                } else {
                    out.add(outcome.results);
                }
            }
            return moreReady && !out.failed() ? true : out.flush();
        });
    if (!run.run(workers)) {
        return exitFailure;
    }
    if (total) {
        report.finish(*total, filesCounted, out);
    }
    if (!out.flush()) {
        return exitFailure;
    }
    return static_cast<std::size_t>(filesCounted) == entries ? exitSuccess : exitFailure;
}

int countAsAsked(Options options) {
    const std::optional<std::int32_t> limit = letterLimit();
    if (!limit) {
        reportProblem(limitVariable,
                      "not a whole number from 1 to " + std::to_string(analysis::letterLimit));
        return exitUsage;
    }
    // A forced kernel that cannot be had is refused rather than quietly replaced: the run is
    // meant to measure or test that kernel.
    if (const std::string problem = analysis::kernelChoiceProblem(std::getenv(kernelVariable));
        !problem.empty()) {
        reportProblem(kernelVariable, problem);
        return exitUsage;
    }
    std::optional<FileQueue> files;
    try {
        files.emplace(options.fileList ? FileNameSource::fromList(*options.fileList)
                                       : FileNameSource(std::move(options.files)));
    } catch (const analysis::FileError& error) {
        reportProblem(error.displayPath(), error.reason());
        return exitFailure;
    }
    const OutputFormat format = options.report.format;
    if (options.ngramLength > 1) {
        const analysis::NgramOptions sequences{options.ngramLength, options.spanWords};
        return countFiles(NgramKind(options.report, sequences), format, *limit, *files);
    }
    if (options.alphabet) {
        return countFiles(AlphabetKind(options.report, std::move(*options.alphabet)), format,
                          *limit, *files);
    }
    return countFiles(LetterKind(options.report), format, *limit, *files);
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
    return countAsAsked(std::move(options));
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
