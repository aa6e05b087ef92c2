// The command line of glyphmeter-cli: what it asks for, and the texts that explain it.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "Reports.h"

namespace glyphmeter::cli {

enum class Action { count, showHelp, showVersion };

struct Options {
    Action action = Action::count;
    ReportOptions report;
    int ngramLength = 1;     // 1 counts single letters; 2 to 4 letter sequences
    bool spanWords = false;  // sequences run across everything that is not a letter
    std::vector<std::filesystem::path> files;  // in the order given; "-" stands for standard input
};

// A command line that asks for nothing sensible; what() says what is wrong with it.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Reads `arguments` (the program's name left out). "--help" and "--version" win over everything
// else; "--" ends the options, so a file may be called "--csv". An option with a value is written
// "--sort=count" or "--sort count". Throws UsageError for an unknown option or value, a missing
// value, both formats, no file, or standard input named more than once.
// --ngrams=N with N from 2 to 4 lists sequences by count unless --sort is given, and rules out
// --stats; --top needs such an N, and --span-words needs --ngrams.
Options parseCommandLine(const std::vector<std::filesystem::path>& arguments);

bool readsStandardInput(const std::filesystem::path& file);

// Two lines: "Usage: glyphmeter-cli [--csv | --json] ... FILE...".
std::string usageText();
// The usage followed by what the options, exit statuses and environment variables mean.
std::string helpText();

}  // namespace glyphmeter::cli
