// What the Python binding asks of the analysis library and of glyphmeter-cli's code, in one place:
// choosing an alphabet as glyphmeter-cli's options do, counting a file, many files or bytes in
// memory, stopping a count between blocks, and writing a result as glyphmeter-cli's JSON.
// Nothing here knows of Python.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace glyphmeter::python {

// The letter limit of one file when nothing lowers it.
std::int32_t defaultLetterLimit();
// How many processors this process may run on.
int processorCount();

// An alphabet beyond A to Z as glyphmeter-cli's alphabet options choose it: its letters, how files
// are read for it and how its counts are written. Defined in Facade.cpp.
struct AlphabetCounting;

// What glyphmeter-cli's --alphabet, --letters, --encoding and --fold-accents would say.
struct AlphabetRequest {
    std::string name = "latin";
    std::optional<std::string> letters;  // UTF-8; rules out a name other than "latin"
    std::optional<std::string> encoding;
    bool foldAccents = false;
};

// Options glyphmeter-cli refuses; what() is its message, the options named by their Python
// keywords (letters, not --letters).
class OptionError : public std::invalid_argument {
  public:
    using std::invalid_argument::invalid_argument;
};

struct CountOptions {
    int ngramLength = 1;     // 1: the letters A..Z; 2 to 4: sequences of that many letters
    bool spanWords = false;  // sequences run across everything that is not a letter
    std::int32_t limit = 0;  // the letter limit of each file, 1..defaultLetterLimit()
    std::string alphabetName = "latin";  // as given; "custom" for a list of letters
    // Null for A to Z read as glyphmeter-cli reads them without alphabet options.
    std::shared_ptr<const AlphabetCounting> alphabet;
};

// The options checked as glyphmeter-cli checks its command line: unknown alphabets and
// encodings, a name with letters, an empty list or a letter listed twice, and sequences of any
// alphabet beyond A to Z throw OptionError. The letter limit and length are the caller's to check.
CountOptions countOptions(int ngramLength, bool spanWords, std::int32_t limit,
                          const AlphabetRequest& alphabet);

// The counts of one file, or of several added together. `counts` has 26 slots for letters (A is
// slot 0) or 26^N for sequences (the letters as base-26 digits, the first the most significant);
// with an alphabet, a slot per letter in the alphabet's order.
struct Counts {
    int ngramLength = 1;
    std::string alphabetName = "latin";
    std::shared_ptr<const AlphabetCounting> alphabet;  // as in CountOptions
    std::vector<std::uint64_t> counts;
    std::int64_t total = 0;     // the letters or sequences counted: the sum of counts
    bool limitReached = false;  // counting stopped at the letter limit (in one of the files)
    std::uint64_t invalidSequences = 0;  // with an alphabet: text not valid in its encoding
    // What glyphmeter-cli writes on standard error after the file's name when a file had invalid
    // sequences; empty otherwise, and for sums.
    std::string warning;
};

// Zero counts for letters (1) or sequences of 2 to 4 letters; std::invalid_argument otherwise.
Counts emptyCounts(int ngramLength);
// Zero counts of what `options` count.
Counts emptyCounts(const CountOptions& options);
// Zero counts of the alphabet called `name` (read back from JSON or a pickle): a built-in one, or
// "custom" with `letters` as shown. Throws OptionError for an unknown name or a bad list.
Counts emptyAlphabetCounts(const std::string& name, const std::vector<std::string>& letters);
// Counts of A to Z, or of the same alphabet (the same letters for a custom one): those can be
// added.
bool sameKind(const Counts& a, const Counts& b);
// Adds `other` into `sum`, as glyphmeter-cli adds the files of a run into their total. Throws
// std::invalid_argument when the two count different things (letters and sequences, or two
// alphabets). A to Z counted as latin, en or nl add up to A to Z named latin.
void add(Counts& sum, const Counts& other);
// The letters as shown, in order: A to Z, or the alphabet's.
std::vector<std::string> letterNames(const Counts& counts);
// The letter (its slot) that the character `key` counts as with this alphabet, as the counting
// folds case; nullopt when it is none, or not one character. For alphabet counts only.
std::optional<std::size_t> letterOf(const Counts& counts, std::u32string_view key);

// A file that could not be counted: the path as UTF-8 text, the system's reason as glyphmeter-cli
// words it, and the matching errno value (0 when the reason is no system error).
class FileFailure : public std::runtime_error {
  public:
    FileFailure(std::string path, std::string reason, int errorNumber);
    const std::string& path() const noexcept { return path_; }
    const std::string& reason() const noexcept { return reason_; }
    int errorNumber() const noexcept { return errorNumber_; }

  private:
    std::string path_;
    std::string reason_;
    int errorNumber_;
};

// Thrown out of a count that was asked to stop.
class Cancelled : public std::exception {
  public:
    const char* what() const noexcept override { return "counting was stopped"; }
};

// How a running count learns that it should stop. Both are looked at before each block is read.
struct StopRequest {
    // Set by any thread to stop every count that shares it.
    const std::atomic<bool>* flag = nullptr;
    // Called only on the thread that started the count, at most every pollInterval; returning true
    // stops it. May be empty.
    std::function<bool()> poll;
};

// Counts the file at `path` (any bytes; on Linux a file name need not be UTF-8). Throws
// FileFailure when it cannot be opened or read, Cancelled when stopped. Blocks until done;
// may read with a second thread.
Counts countFile(const std::string& path, const CountOptions& options, const StopRequest& stop);

// Counts `data` as the contents of a file: the same result as a file holding those bytes.
Counts countBytes(std::span<const std::byte> data, const CountOptions& options,
                  const StopRequest& stop);

// Counts the files with up to `workers` threads side by side; each outcome, in the order given,
// is the file's counts or why it could not be counted. Throws Cancelled when stopped.
using FileOutcome = std::variant<Counts, FileFailure>;
std::vector<FileOutcome> countFiles(const std::vector<std::string>& paths,
                                    const CountOptions& options, int workers,
                                    const StopRequest& stop);

// The keys that occur, as indexes into counts, in the order glyphmeter-cli lists them: A to Z
// or the alphabet's order for letters (all of them), by count for sequences (highest first, equal
// counts alphabetically, only those counted at least once).
std::vector<std::uint32_t> listedOrder(const Counts& counts);
// "E", "Ä" or "TH" for an index into counts.
std::string keyName(const Counts& counts, std::uint32_t index);

// Exactly what `glyphmeter-cli --json` writes for one file called `name` with these counts.
std::string toJson(std::string_view name, const Counts& counts);

}  // namespace glyphmeter::python
