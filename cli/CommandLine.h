// The command line of glyphmeter-cli: what it asks for, and the texts that explain it.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace glyphmeter::cli {

enum class OutputFormat { table, csv, json };
enum class Action { count, showHelp, showVersion };

struct Options {
    Action action = Action::count;
    OutputFormat format = OutputFormat::table;
    std::filesystem::path file;  // "-" stands for standard input
};

// A command line that asks for nothing sensible; what() says what is wrong with it.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Reads `arguments` (the program's name left out). "--help" and "--version" win over everything
// else; "--" ends the options, so a file may be called "--csv". Throws UsageError for an unknown
// option, both formats, no file or more than one file.
Options parseCommandLine(const std::vector<std::filesystem::path>& arguments);

bool readsStandardInput(const Options& options);

// One line: "Usage: glyphmeter-cli [--csv | --json] FILE".
std::string usageText();
// The usage followed by what the options, exit statuses and environment variables mean.
std::string helpText();

}  // namespace glyphmeter::cli
