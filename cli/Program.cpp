// What glyphmeter-cli does: the environment checked, the files counted by the kind of count asked
// for, side by side, and their reports written in order.
#include "Program.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <exception>
#include <limits>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>
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
#include "ReportReading.h"
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
    std::string results;  // its report, made by the worker, unless reportInTurn
    bool reportInTurn = false;
    std::string messages;  // for standard error, before the results
};

// Outcomes that may wait for an earlier file, per processor, in number and in bytes; results are
// written in batches of about 64 KiB (ReportSink) while later files are ready, and at once
// otherwise.
constexpr std::size_t waitingOutcomesPerWorker = 16;
constexpr std::size_t waitingBytesPerWorker = std::size_t{1} << 20;
// A worker makes a file's report ahead of its turn only for counts up to this size; larger
// counts (a big file's sequences: up to 26^4 lines) are reported in their turn, in batches, so
// a report never sits whole in memory.
constexpr std::size_t reportAheadBytes = std::size_t{64} << 10;

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
// there are several files.
//
// Peak memory is bounded whatever the number of files: per worker, what the kind keeps (reader
// buffers; for sequences two counters of up to 2 MiB each and their lists of touched slots) and
// the file in hand; the outcomes waiting, at most waitingOutcomesPerWorker per worker, weighing
// at most waitingBytesPerWorker per worker plus one outcome per worker (for quadgrams at most
// 26^4 listed sequences, 3.6 MB, and a report made ahead of at most reportAheadBytes of counts);
// and the total.
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
    const int workers = analysis::processorCount();
    const std::size_t window = waitingOutcomesPerWorker * static_cast<std::size_t>(workers);
    std::vector<typename Kind::Kept> kept(static_cast<std::size_t>(workers));
    std::size_t entries = 0;
    int filesCounted = 0;
    InOrder<NamedFile, FileOutcome<Kind>> run(
        window, [&] { return files.next(); },
        [&](NamedFile& entry, int worker) {
            FileOutcome<Kind> outcome;
            const auto count = [&](analysis::InputFile& input,
                                   const analysis::MessageSink& showMessage,
                                   const std::string& fileName) {
                outcome.counts.emplace(
                    kind.count(input, showMessage, limit, kept[static_cast<std::size_t>(worker)]));
                if (kind.countsBytes(*outcome.counts) > reportAheadBytes) {
                    outcome.name = fileName;
                    outcome.reportInTurn = true;
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
                if (outcome.reportInTurn) {
                    report.file(outcome.name, *outcome.counts, out);
                } else {
                    out.add(outcome.results);
                }
            }
            return moreReady && !out.failed() ? true : out.flush();
        },
        [&](const FileOutcome<Kind>& outcome) {
            return outcome.name.size() + outcome.results.size() + outcome.messages.size() +
                   (outcome.counts ? kind.countsBytes(*outcome.counts) : 0);
        },
        waitingBytesPerWorker * static_cast<std::size_t>(workers));
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

// --merge: one FILE's JSON, read and parsed, or why not.
struct MergeInput {
    std::string name;
    nlohmann::json report;
};

// A FILE of --merge refused as not being what is added up: the exit status of a wrong command
// line, after a message naming the file.
struct MergeRefusal {
    std::string subject;
    std::string reason;
};

// Reads the next FILE and parses its JSON. A FILE that cannot be read is reported on standard
// error and sets `unreadable`; JSON that does not parse throws MergeRefusal. Nullopt after the
// last FILE.
std::optional<MergeInput> nextMergeInput(FileQueue& files, bool& unreadable) {
    while (std::optional<NamedFile> entry = files.next()) {
        std::string messages;
        std::string text;
        std::string name;
        const bool read = countEntry(*entry, messages,
                                     [&](analysis::InputFile& input, const analysis::MessageSink&,
                                         const std::string& fileName) {
                                         name = fileName;
                                         std::byte block[64 * 1024];
                                         while (const std::size_t got = input.read(block)) {
                                             text.append(reinterpret_cast<const char*>(block), got);
                                         }
                                     });
        if (!read) {
            writeError(messages);
            unreadable = true;
            continue;
        }
        try {
            return MergeInput{name, nlohmann::json::parse(text)};
        } catch (const nlohmann::json::parse_error& error) {
            // "[json.exception.parse_error.101] parse error at line 1, column 3: ...": the place
            // and the reason are what a reader needs.
            const std::string_view what = error.what();
            const std::size_t place = what.find(" at line ");
            throw MergeRefusal{name, "not JSON:" + std::string(place == std::string_view::npos
                                                                   ? what
                                                                   : what.substr(place + 3))};
        }
    }
    return std::nullopt;
}

std::int64_t countedTotal(const LetterTotals& counts) {
    return counts.total;
}

std::int64_t countedTotal(const NgramCounts& counts) {
    return counts.total();
}

std::int64_t countedTotal(const AlphabetTotals& counts) {
    return counts.total;
}

bool limitMarked(const LetterTotals& counts) {
    return counts.limitReached;
}

bool limitMarked(const AlphabetTotals& counts) {
    return counts.limitReached;
}

bool limitMarked(const NgramCounts& counts) {
    return counts.limitReached();
}

// Whether `part` can be added to `sum` without passing 2^63 - 1; each count is at most its total.
template <typename Counts>
bool addsUp(const Counts& sum, const Counts& part) {
    return countedTotal(part) <= std::numeric_limits<std::int64_t>::max() - countedTotal(sum);
}

// The counts one FILE of --merge holds: its one object, or the sum of an array's files, which
// must be what the array's last entry, the total, holds.
template <typename Kind>
typename Kind::Counts reportCounts(const Kind& kind, const nlohmann::json& report) {
    if (report.is_object()) {
        return kind.fromJson(report);
    }
    if (!report.is_array() || report.empty()) {
        throw ForeignReport("neither an object nor an array of objects ending with the total");
    }
    const nlohmann::json& last = report.back();
    if (!last.is_object() || last.value("file", nlohmann::json()) != totalName) {
        throw ForeignReport("an array whose last entry is not the " + inQuotes(totalName) + " one");
    }
    const typename Kind::Counts total = kind.fromJson(last);
    typename Kind::Counts sum = kind.emptyTotal();
    for (std::size_t i = 0; i + 1 < report.size(); ++i) {
        const typename Kind::Counts file = kind.fromJson(report[i]);
        if (!addsUp(sum, file)) {
            throw ForeignReport("its files count more than 2^63 - 1");
        }
        sum.add(file);
    }
    if (!(sum == total)) {
        throw ForeignReport("its files do not add up to its " + inQuotes(totalName) + " entry");
    }
    return sum;
}

// Adds up `first` and the FILEs after it as results of `kind`, and writes the sum as the report
// of one file called *total*. Nothing is written when a FILE could not be read (`unreadable`
// says whether one before `first` could not).
template <typename Kind>
int mergeAs(const Kind& kind, OutputFormat format, MergeInput first, FileQueue& files,
            bool unreadable) {
    typename Kind::Counts total = kind.emptyTotal();
    for (std::optional<MergeInput> input = std::move(first); input;
         input = nextMergeInput(files, unreadable)) {
        typename Kind::Counts counts = [&] {
            try {
                return reportCounts(kind, input->report);
            } catch (const ForeignReport& problem) {
                throw MergeRefusal{input->name, "cannot be added: " + std::string(problem.what())};
            }
        }();
        if (!addsUp(total, counts)) {
            throw MergeRefusal{input->name, "cannot be added: the sum passes 2^63 - 1"};
        }
        if (limitMarked(counts)) {
            // As a count that stops at the limit says so on standard error, whatever the format.
            reportProblem(input->name, "holds a count that stopped at the letter limit");
        }
        total.add(counts);
    }
    if (unreadable) {
        return exitFailure;
    }
    ReportSink out(writeOutput);
    ReportFraming<Kind>(kind, format, false).file(totalName, total, out);
    return out.flush() ? exitSuccess : exitFailure;
}

// The sequence length of the results in `report` (its first object's): 1 when it names none
// (letters, or what the letters' kind then refuses); ForeignReport for a length not 2 to 4.
int sequenceLengthOf(const nlohmann::json& report) {
    const nlohmann::json& sample = report.is_array() && !report.empty() ? report.front() : report;
    if (!sample.is_object()) {
        return 1;
    }
    const auto length = sample.find("ngram_length");
    if (length == sample.end() || !length->is_number_unsigned()) {
        return 1;
    }
    const auto value = length->get<std::uint64_t>();
    if (value < 2 || value > 4) {
        throw ForeignReport("\"ngram_length\" is not 2, 3 or 4");
    }
    return static_cast<int>(value);
}

// The alphabet the results in `report` (its first object's) count: latinAlphabet when it names
// none.
std::string alphabetOf(const nlohmann::json& report) {
    const nlohmann::json& sample = report.is_array() && !report.empty() ? report.front() : report;
    if (!sample.is_object()) {
        return std::string(latinAlphabet);
    }
    const auto name = sample.find("alphabet");
    return name != sample.end() && name->is_string() ? name->get<std::string>()
                                                     : std::string(latinAlphabet);
}

// The FILEs of the command line or of --files0-from; nullopt, said on standard error, when the
// list cannot be opened.
std::optional<FileQueue> openFiles(Options& options) {
    try {
        return FileQueue(options.fileList ? FileNameSource::fromList(*options.fileList)
                                          : FileNameSource(std::move(options.files)));
    } catch (const analysis::FileError& error) {
        reportProblem(error.displayPath(), error.reason());
        return std::nullopt;
    }
}

// --merge: the kind of count is --ngrams's when given, else the first FILE's.
int mergeAsAsked(Options options) {
    std::optional<FileQueue> files = openFiles(options);
    if (!files) {
        return exitFailure;
    }
    try {
        bool unreadable = false;
        std::optional<MergeInput> first = nextMergeInput(*files, unreadable);
        if (!first) {
            return exitFailure;  // none could be read, and each has been reported
        }
        int length = options.ngramLength;
        if (!options.ngramsGiven) {
            try {
                length = sequenceLengthOf(first->report);
            } catch (const ForeignReport& problem) {
                throw MergeRefusal{first->name, "cannot be added: " + std::string(problem.what())};
            }
        }
        if (length == 1 && options.report.top != 0) {
            throw MergeRefusal{first->name, "holds single letters, which --top does not apply to"};
        }
        // Without --alphabet or --letters, the alphabet is the first FILE's.
        if (const std::string alphabet = alphabetOf(first->report);
            !options.alphabet && alphabet != latinAlphabet) {
            if (alphabet == "custom") {
                throw MergeRefusal{first->name,
                                   "counts a custom alphabet: give its letters with --letters"};
            }
            try {
                options.alphabet = builtInAlphabet(alphabet, options.report.statistics != nullptr,
                                                   options.language);
            } catch (const UsageError&) {
                throw MergeRefusal{first->name, "cannot be added: it counts the unknown alphabet " +
                                                    inQuotes(alphabet)};
            }
        }
        if (length > 1) {
            if (options.report.statistics != nullptr) {
                throw MergeRefusal{first->name,
                                   "holds letter sequences, which --stats does not measure"};
            }
            if (!options.orderGiven) {
                options.report.order = SortOrder::byCount;
            }
            return mergeAs(NgramKind(options.report, analysis::NgramOptions{length, false},
                                     std::move(options.alphabet)),
                           options.report.format, std::move(*first), *files, unreadable);
        }
        if (options.alphabet) {
            return mergeAs(AlphabetKind(options.report, std::move(*options.alphabet)),
                           options.report.format, std::move(*first), *files, unreadable);
        }
        return mergeAs(LetterKind(options.report), options.report.format, std::move(*first), *files,
                       unreadable);
    } catch (const MergeRefusal& refusal) {
        reportProblem(refusal.subject, refusal.reason);
        return exitUsage;
    }
}

int countAsAsked(Options options) {
    if (options.merge) {
        return mergeAsAsked(std::move(options));
    }
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
    std::optional<FileQueue> files = openFiles(options);
    if (!files) {
        return exitFailure;
    }
    const OutputFormat format = options.report.format;
    if (options.ngramLength > 1) {
        const analysis::NgramOptions sequences{options.ngramLength, options.spanWords};
        return countFiles(NgramKind(options.report, sequences, std::move(options.alphabet)), format,
                          *limit, *files);
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
