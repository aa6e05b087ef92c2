// What the Python binding asks of the analysis library and of glyphmeter-cli's code, in one place:
// counting a file, many files or bytes in memory, stopping a count between blocks, and writing a
// result as glyphmeter-cli's JSON. Nothing here knows of Python.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
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

struct CountOptions {
    int ngramLength = 1;     // 1: the letters A..Z; 2 to 4: sequences of that many letters
    bool spanWords = false;  // sequences run across everything that is not a letter
    std::int32_t limit = 0;  // the letter limit of each file, 1..defaultLetterLimit()
};

// The counts of one file, or of several added together. `counts` has 26 slots for letters (A is
// slot 0) or 26^N for sequences (the letters as base-26 digits, the first the most significant).
struct Counts {
    int ngramLength = 1;
    std::vector<std::uint64_t> counts;
    std::int64_t total = 0;     // the letters or sequences counted: the sum of counts
    bool limitReached = false;  // counting stopped at the letter limit (in one of the files)
};

// Zero counts for letters (1) or sequences of 2 to 4 letters; std::invalid_argument otherwise.
Counts emptyCounts(int ngramLength);
// Adds `other` into `sum`, as glyphmeter-cli adds the files of a run into their total. Throws
// std::invalid_argument when the two count different things (letters and sequences, say).
void add(Counts& sum, const Counts& other);

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
// for letters (all 26), by count for sequences (highest first, equal counts alphabetically, only
// those counted at least once).
std::vector<std::uint32_t> listedOrder(const Counts& counts);
// "E" or "TH" for an index into counts.
std::string keyName(std::uint32_t index, int ngramLength);

// Exactly what `glyphmeter-cli --json` writes for one file called `name` with these counts.
std::string toJson(std::string_view name, const Counts& counts);

}  // namespace glyphmeter::python
