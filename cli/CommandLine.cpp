#include "CommandLine.h"

#include <string_view>

#include "LetterTally.h"
#include "NumberText.h"

namespace glyphmeter::cli {

namespace {

// Compares an argument with an ASCII option name, whatever the platform's native characters.
bool is(const std::filesystem::path& argument, std::string_view name) {
    const auto& native = argument.native();
    if (native.size() != name.size()) {
        return false;
    }
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (native[i] != static_cast<unsigned char>(name[i])) {
            return false;
        }
    }
    return true;
}

bool looksLikeOption(const std::filesystem::path& argument) {
    const auto& native = argument.native();
    return native.size() > 1 && native[0] == '-';
}

std::string displayText(const std::filesystem::path& argument) {
    const std::u8string text = argument.u8string();
    return std::string(text.begin(), text.end());
}

Options onlyAction(Action action) {
    Options options;
    options.action = action;
    return options;
}

void chooseFormat(Options& options, OutputFormat format) {
    if (options.format != OutputFormat::table && options.format != format) {
        throw UsageError("--csv and --json cannot be used together");
    }
    options.format = format;
}

}  // namespace

Options parseCommandLine(const std::vector<std::filesystem::path>& arguments) {
    Options options;
    bool haveFile = false;
    bool optionsEnded = false;
    for (const std::filesystem::path& argument : arguments) {
        if (!optionsEnded && looksLikeOption(argument)) {
            if (is(argument, "--help") || is(argument, "-h")) {
                return onlyAction(Action::showHelp);
            }
            if (is(argument, "--version")) {
                return onlyAction(Action::showVersion);
            }
            if (is(argument, "--")) {
                optionsEnded = true;
            } else if (is(argument, "--csv")) {
                chooseFormat(options, OutputFormat::csv);
            } else if (is(argument, "--json")) {
                chooseFormat(options, OutputFormat::json);
            } else {
                throw UsageError("unknown option '" + displayText(argument) + "'");
            }
            continue;
        }
        if (haveFile) {
            throw UsageError("only one FILE may be given");
        }
        options.file = argument;
        haveFile = true;
    }
    if (!haveFile) {
        throw UsageError("no FILE given");
    }
    return options;
}

bool readsStandardInput(const Options& options) {
    return is(options.file, "-");
}

std::string usageText() {
    return "Usage: glyphmeter-cli [--csv | --json] FILE\n";
}

std::string helpText() {
    const std::string limit = analysis::plainNumberText(analysis::letterLimit);
    return usageText() +
           "\n"
           "Counts the letters A to Z in FILE, upper and lower case together, and shows for\n"
           "each letter its count and its frequency. Every other byte is read and ignored.\n"
           "With FILE '-' it reads standard input; write './-' for a file of that name.\n"
           "\n"
           "  (no option)  a table with a bar per letter, scaled to the most frequent letter,\n"
           "               then the total of letters and the largest frequency\n"
           "  --csv        27 lines: letter,count,frequency and one line per letter A to Z\n"
           "  --json       one JSON object with the file, the totals and every letter\n"
           "  --help       show this help\n"
           "  --version    show the version\n"
           "  --           what follows is FILE, even if it starts with '-'\n"
           "\n"
           "Counting stops after " +
           limit +
           " letters: a message on standard error says so and the\n"
           "results up to that point follow.\n"
           "\n"
           "Exit status: 0 when the results were written (also when counting stopped at the\n"
           "limit), 1 when FILE could not be read or the results not written, 2 for a wrong\n"
           "command line.\n"
           "\n"
           "Environment, as testing aids:\n"
           "  GLYPHMETER_LETTER_LIMIT  stop counting after this many letters instead (1 to " +
           limit +
           ")\n"
           "  GLYPHMETER_KERNEL        scalar or avx2: count with that kernel\n";
}

}  // namespace glyphmeter::cli
