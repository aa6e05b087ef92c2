// Every call the Python binding makes into the analysis library and glyphmeter-cli's code: when
// their interfaces change, this file is what follows them.
#include "Facade.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <deque>
#include <memory>
#include <new>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>

#include "AlphabetKind.h"
#include "CommandLine.h"
#include "FileBlockInput.h"
#include "FileError.h"
#include "InOrder.h"
#include "InputFile.h"
#include "LetterKind.h"
#include "LetterTally.h"
#include "LetterTotals.h"
#include "NgramCounter.h"
#include "NgramCounts.h"
#include "NgramKind.h"
#include "NgramTally.h"
#include "ReaderBuffers.h"
#include "Reports.h"
#include "UnicodeTables.h"

namespace glyphmeter::python {

struct AlphabetCounting {
    explicit AlphabetCounting(cli::AlphabetChoice choice) : kind(jsonReport(), std::move(choice)) {}

    static cli::ReportOptions jsonReport() {
        cli::ReportOptions report;
        report.format = cli::OutputFormat::json;
        return report;
    }

    // Counts files as glyphmeter-cli's alphabet kind does, and writes their JSON.
    const cli::AlphabetKind kind;
};

namespace {

using analysis::detail::BlockInput;
using Clock = std::chrono::steady_clock;

// Often enough that Ctrl+C feels immediate, seldom enough that taking the interpreter's lock to
// look costs nothing next to the counting.
constexpr auto pollInterval = std::chrono::milliseconds(100);

// Outcomes of glyphmeter-cli's many-file run that may wait for an earlier file, per worker.
constexpr std::size_t waitingOutcomesPerWorker = 16;

// The errno value of a system error, 0 when it has none.
int errorNumberOf(const std::error_code& code) {
    if (!code) {
        return 0;
    }
    if (code.category() == std::generic_category()) {
        return code.value();
    }
    const std::error_condition condition = code.default_error_condition();
    return condition.category() == std::generic_category() ? condition.value() : 0;
}

// Looked at before every block a count reads, by whichever reader reads it.
class StopCheck {
  public:
    explicit StopCheck(const StopRequest& request)
        : request_(request),
          owner_(std::this_thread::get_id()),
          nextPoll_(Clock::now() + pollInterval) {}

    void operator()() {
        if (stopped_.load(std::memory_order_relaxed) ||
            (request_.flag != nullptr && request_.flag->load(std::memory_order_relaxed))) {
            throw Cancelled();
        }
        if (request_.poll && std::this_thread::get_id() == owner_) {
            const Clock::time_point now = Clock::now();
            if (now >= nextPoll_) {
                nextPoll_ = now + pollInterval;
                if (request_.poll()) {
                    stopped_ = true;
                    throw Cancelled();
                }
            }
        }
    }

  private:
    const StopRequest& request_;
    const std::thread::id owner_;
    Clock::time_point nextPoll_;  // only the owner reads and writes it
    std::atomic<bool> stopped_{false};
};

// The tallies' reads of `inner`, each after a look at whether to stop.
class CheckedInput final : public BlockInput {
  public:
    CheckedInput(BlockInput& inner, StopCheck& check) : inner_(inner), check_(check) {}
    bool supportsPositionedReads() const override { return inner_.supportsPositionedReads(); }
    std::size_t readAt(std::uint64_t offset, std::span<std::byte> buffer) override {
        check_();
        return inner_.readAt(offset, buffer);
    }
    std::size_t read(std::span<std::byte> buffer) override {
        check_();
        return inner_.read(buffer);
    }
    std::optional<std::uint64_t> size() const override { return inner_.size(); }

  private:
    BlockInput& inner_;
    StopCheck& check_;
};

// Bytes in memory read as a regular file is, so both readers may share them.
class MemoryInput final : public BlockInput {
  public:
    explicit MemoryInput(std::span<const std::byte> data) : data_(data) {}
    bool supportsPositionedReads() const override { return true; }
    std::size_t readAt(std::uint64_t offset, std::span<std::byte> buffer) override {
        if (offset >= data_.size()) {
            return 0;
        }
        const std::size_t got = std::min<std::uint64_t>(buffer.size(), data_.size() - offset);
        std::memcpy(buffer.data(), data_.data() + offset, got);
        return got;
    }
    std::size_t read(std::span<std::byte> buffer) override {
        const std::size_t got = readAt(position_, buffer);
        position_ += got;
        return got;
    }
    std::optional<std::uint64_t> size() const override { return data_.size(); }

  private:
    std::span<const std::byte> data_;
    std::uint64_t position_ = 0;
};

// glyphmeter-cli's message, its options named as the Python keywords: "--fold-accents" becomes
// "fold_accents", "--alphabet=de" "alphabet=de".
std::string keywordWording(std::string_view message) {
    std::string text;
    for (std::size_t at = 0; at < message.size();) {
        if (message.compare(at, 2, "--") == 0 && at + 2 < message.size() &&
            message[at + 2] >= 'a' && message[at + 2] <= 'z') {
            at += 2;
            while (at < message.size() &&
                   ((message[at] >= 'a' && message[at] <= 'z') || message[at] == '-')) {
                text += message[at] == '-' ? '_' : message[at];
                ++at;
            }
        } else {
            text += message[at++];
        }
    }
    return text;
}

Counts alphabetCounts(const cli::AlphabetTotals& totals, std::string name,
                      std::shared_ptr<const AlphabetCounting> alphabet) {
    Counts counts;
    counts.alphabetName = std::move(name);
    counts.alphabet = std::move(alphabet);
    counts.counts.assign(totals.letters.begin(), totals.letters.end());
    counts.total = totals.total;
    counts.invalidSequences = totals.invalidSequences;
    counts.limitReached = totals.limitReached;
    return counts;
}

cli::AlphabetTotals alphabetTotals(const Counts& counts) {
    cli::AlphabetTotals totals;
    totals.letters.assign(counts.counts.begin(), counts.counts.end());
    totals.total = counts.total;
    totals.invalidSequences = counts.invalidSequences;
    totals.limitReached = counts.limitReached;
    return totals;
}

Counts tally(BlockInput& input, const CountOptions& options, analysis::ReaderBuffers& buffers) {
    const analysis::MessageSink ignoreMessage = [](const std::string&) {};
    if (options.alphabet) {
        // The limit is told by limitReached; what is left is the line on invalid sequences.
        const std::string limitText = analysis::limitMessage(options.limit);
        std::string warning;
        const analysis::MessageSink keepWarning = [&](const std::string& message) {
            if (message != limitText) {
                warning = message;
            }
        };
        Counts counts =
            alphabetCounts(options.alphabet->kind.count(input, keepWarning, options.limit, buffers),
                           options.alphabetName, options.alphabet);
        counts.warning = std::move(warning);
        return counts;
    }
    Counts counts;
    counts.ngramLength = options.ngramLength;
    counts.alphabetName = options.alphabetName;
    if (options.ngramLength == 1) {
        const analysis::LetterTally letters = analysis::detail::tallyLetters(
            input, ignoreMessage, options.limit, analysis::detail::defaultBlockSize,
            analysis::detail::readerThreads(), &buffers);
        counts.counts.assign(letters.letterCounts.begin(), letters.letterCounts.end());
        counts.total = letters.totalLetters;
        counts.limitReached = letters.limitReached;
    } else {
        const analysis::NgramTally sequences = analysis::detail::tallyNgrams(
            input, analysis::NgramOptions{options.ngramLength, options.spanWords}, ignoreMessage,
            options.limit, analysis::detail::defaultBlockSize, analysis::detail::readerThreads(),
            &buffers);
        counts.counts.assign(analysis::ngramSlots(options.ngramLength), 0);
        for (const analysis::NgramCount& sequence : sequences.counts) {
            counts.counts[sequence.index] = sequence.count;
        }
        counts.total = sequences.totalNgrams;
        counts.limitReached = sequences.limitReached;
    }
    return counts;
}

// One file, its failures turned into FileFailure with the reason glyphmeter-cli gives.
Counts countOneFile(const std::string& path, const CountOptions& options, StopCheck& check,
                    analysis::ReaderBuffers& buffers) {
    try {
        analysis::InputFile file = analysis::InputFile::open(std::filesystem::path(path));
        analysis::detail::FileBlockInput fileInput(file);
        CheckedInput input(fileInput, check);
        return tally(input, options, buffers);
    } catch (const Cancelled&) {
        throw;
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const analysis::FileError& error) {
        throw FileFailure(error.displayPath(), error.reason(), errorNumberOf(error.code()));
    } catch (const std::system_error& error) {
        throw FileFailure(path, analysis::failureReason(error), errorNumberOf(error.code()));
    } catch (const std::exception& failure) {
        throw FileFailure(path, analysis::failureReason(failure), 0);
    }
}

// Each calling thread keeps its readers' buffers from one count to the next, as glyphmeter-cli
// keeps them from one file to the next.
analysis::ReaderBuffers& threadBuffers(std::size_t worker) {
    thread_local std::deque<analysis::ReaderBuffers> buffers;
    while (buffers.size() <= worker) {
        buffers.emplace_back();
    }
    return buffers[worker];
}

cli::LetterTotals letterTotals(const Counts& counts) {
    cli::LetterTotals letters;
    for (std::size_t letter = 0; letter < letters.letters.size(); ++letter) {
        letters.letters[letter] = static_cast<std::int64_t>(counts.counts[letter]);
    }
    letters.total = counts.total;
    letters.limitReached = counts.limitReached;
    return letters;
}

cli::NgramCounts ngramCounts(const Counts& counts) {
    return cli::NgramCounts(counts.ngramLength, counts.counts, counts.total, counts.limitReached);
}

}  // namespace

std::int32_t defaultLetterLimit() {
    return analysis::letterLimit;
}

int processorCount() {
    return analysis::processorCount();
}

FileFailure::FileFailure(std::string path, std::string reason, int errorNumber)
    : std::runtime_error(path + ": " + reason),
      path_(std::move(path)),
      reason_(std::move(reason)),
      errorNumber_(errorNumber) {}

CountOptions countOptions(int ngramLength, bool spanWords, std::int32_t limit,
                          const AlphabetRequest& alphabet) {
    CountOptions options;
    options.ngramLength = ngramLength;
    options.spanWords = spanWords;
    options.limit = limit;
    cli::AlphabetRequest request;
    // "latin" is the keyword's default: taken as not given, as glyphmeter-cli takes no --alphabet.
    if (alphabet.name != "latin") {
        request.name = alphabet.name;
    }
    request.letters = alphabet.letters;
    request.foldAccents = alphabet.foldAccents;
    try {
        // In glyphmeter-cli's order: the encoding as the options are read, then the alphabet.
        if (alphabet.encoding) {
            request.encoding = cli::encodingNamed(*alphabet.encoding);
        }
        std::optional<cli::AlphabetChoice> choice = cli::alphabetChoice(request, false, nullptr);
        cli::refuseSequencesOfAlphabet(ngramLength, request, choice);
        if (choice) {
            options.alphabetName = choice->name;
            options.alphabet = std::make_shared<const AlphabetCounting>(std::move(*choice));
        } else {
            options.alphabetName = alphabet.name;
        }
    } catch (const cli::UsageError& error) {
        throw OptionError(keywordWording(error.what()));
    }
    return options;
}

Counts emptyCounts(const CountOptions& options) {
    if (options.alphabet) {
        return alphabetCounts(options.alphabet->kind.emptyTotal(), options.alphabetName,
                              options.alphabet);
    }
    Counts counts = emptyCounts(options.ngramLength);
    counts.alphabetName = options.alphabetName;
    return counts;
}

Counts emptyAlphabetCounts(const std::string& name, const std::vector<std::string>& letters) {
    AlphabetRequest request;
    if (name == "custom") {
        std::string list;
        for (const std::string& letter : letters) {
            list += letter;
        }
        request.letters = list;
    } else {
        request.name = name;
    }
    // Counts read back are not counted again: any encoding will do, and one is named so that A
    // to Z (latin, en, nl) is had as an alphabet too.
    request.encoding = "utf-8";
    Counts counts = emptyCounts(countOptions(1, false, defaultLetterLimit(), request));
    if (name == "custom" && letterNames(counts) != letters) {
        throw OptionError("letters: not a list of letters as a custom alphabet shows them");
    }
    return counts;
}

bool sameKind(const Counts& a, const Counts& b) {
    if (a.ngramLength != b.ngramLength || a.counts.size() != b.counts.size() ||
        (a.alphabet == nullptr) != (b.alphabet == nullptr)) {
        return false;
    }
    if (a.alphabet == nullptr || a.alphabet == b.alphabet) {
        return true;
    }
    return a.alphabetName == b.alphabetName && letterNames(a) == letterNames(b);
}

std::vector<std::string> letterNames(const Counts& counts) {
    if (counts.alphabet) {
        const auto shown = counts.alphabet->kind.choice().counting.alphabet.shownLetters();
        return {shown.begin(), shown.end()};
    }
    std::vector<std::string> names;
    for (int letter = 0; letter < analysis::letterCount; ++letter) {
        names.emplace_back(1, static_cast<char>('A' + letter));
    }
    return names;
}

std::optional<std::size_t> letterOf(const Counts& counts, std::u32string_view key) {
    if (!counts.alphabet) {
        return std::nullopt;
    }
    const std::u32string composed = analysis::unicode::toNfc(key);
    if (composed.size() != 1) {
        return std::nullopt;
    }
    const analysis::Alphabet& alphabet = counts.alphabet->kind.choice().counting.alphabet;
    return alphabet.letterOf(alphabet.fold(composed.front()));
}

Counts emptyCounts(int ngramLength) {
    if (ngramLength < 1 || ngramLength > 4) {
        throw std::invalid_argument("a sequence length from 1 to 4");
    }
    Counts counts;
    counts.ngramLength = ngramLength;
    counts.counts.assign(
        ngramLength == 1 ? analysis::letterCount : analysis::ngramSlots(ngramLength), 0);
    return counts;
}

void add(Counts& sum, const Counts& other) {
    if (!sameKind(sum, other)) {
        throw std::invalid_argument("counts of different kinds");
    }
    if (sum.alphabetName != other.alphabetName) {
        sum.alphabetName = "latin";  // A to Z counted as en, say, and as nl
    }
    sum.invalidSequences += other.invalidSequences;
    sum.warning.clear();
    for (std::size_t i = 0; i < sum.counts.size(); ++i) {
        sum.counts[i] += other.counts[i];
    }
    sum.total += other.total;
    sum.limitReached = sum.limitReached || other.limitReached;
}

Counts countFile(const std::string& path, const CountOptions& options, const StopRequest& stop) {
    StopCheck check(stop);
    return countOneFile(path, options, check, threadBuffers(0));
}

Counts countBytes(std::span<const std::byte> data, const CountOptions& options,
                  const StopRequest& stop) {
    StopCheck check(stop);
    MemoryInput memory(data);
    CheckedInput input(memory, check);
    return tally(input, options, threadBuffers(0));
}

std::vector<FileOutcome> countFiles(const std::vector<std::string>& paths,
                                    const CountOptions& options, int workers,
                                    const StopRequest& stop) {
    StopCheck check(stop);
    workers = std::max(1, workers);
    for (int worker = 0; worker < workers; ++worker) {
        threadBuffers(static_cast<std::size_t>(worker));  // made here: the deque is this thread's
    }
    std::vector<analysis::ReaderBuffers*> buffers;
    for (int worker = 0; worker < workers; ++worker) {
        buffers.push_back(&threadBuffers(static_cast<std::size_t>(worker)));
    }
    std::vector<FileOutcome> outcomes;
    outcomes.reserve(paths.size());
    std::size_t next = 0;
    cli::InOrder<std::size_t, std::optional<FileOutcome>> run(
        waitingOutcomesPerWorker * static_cast<std::size_t>(workers),
        [&]() -> std::optional<std::size_t> {
            if (next == paths.size()) {
                return std::nullopt;
            }
            return next++;
        },
        [&](std::size_t& index, int worker) -> std::optional<FileOutcome> {
            try {
                return countOneFile(paths[index], options, check,
                                    *buffers[static_cast<std::size_t>(worker)]);
            } catch (const FileFailure& failure) {
                return failure;
            }
        },
        [&](std::optional<FileOutcome>& outcome, bool) {
            outcomes.push_back(std::move(*outcome));
            return true;
        });
    run.run(workers);
    return outcomes;
}

std::vector<std::uint32_t> listedOrder(const Counts& counts) {
    if (counts.alphabet) {
        std::vector<std::uint32_t> order(counts.counts.size());
        for (std::uint32_t letter = 0; letter < order.size(); ++letter) {
            order[letter] = letter;
        }
        return order;
    }
    if (counts.ngramLength == 1) {
        const auto order = cli::letterOrder(letterTotals(counts), cli::SortOrder::alphabetical);
        return {order.begin(), order.end()};
    }
    std::vector<std::uint32_t> order;
    for (const cli::ListedNgram& sequence :
         cli::ngramOrder(ngramCounts(counts), cli::SortOrder::byCount, 0)) {
        order.push_back(sequence.index);
    }
    return order;
}

std::string keyName(const Counts& counts, std::uint32_t index) {
    if (counts.alphabet) {
        return counts.alphabet->kind.choice().counting.alphabet.shownLetters()[index];
    }
    if (counts.ngramLength == 1) {
        return std::string(1, static_cast<char>('A' + index));
    }
    return cli::ngramName(index, counts.ngramLength);
}

std::string toJson(std::string_view name, const Counts& counts) {
    cli::ReportOptions report;
    report.format = cli::OutputFormat::json;
    cli::ReportSink sink;
    if (counts.alphabet) {
        cli::ReportFraming<cli::AlphabetKind>(counts.alphabet->kind, report.format, false)
            .file(name, alphabetTotals(counts), sink);
    } else if (counts.ngramLength == 1) {
        const cli::LetterKind kind(report);
        cli::ReportFraming<cli::LetterKind>(kind, report.format, false)
            .file(name, letterTotals(counts), sink);
    } else {
        // The order glyphmeter-cli lists sequences in when no --sort is given.
        report.order = cli::SortOrder::byCount;
        const cli::NgramKind kind(report, analysis::NgramOptions{counts.ngramLength, false});
        cli::ReportFraming<cli::NgramKind>(kind, report.format, false)
            .file(name, ngramCounts(counts), sink);
    }
    return sink.take();
}

}  // namespace glyphmeter::python
