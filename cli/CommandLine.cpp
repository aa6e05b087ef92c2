#include "CommandLine.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <optional>
#include <string_view>

#include "Languages.h"
#include "LetterTally.h"
#include "NumberText.h"
#include "PathText.h"

namespace glyphmeter::cli {

namespace {

// Compares an argument with an ASCII option name, whatever the platform's native characters.
bool is(const Argument& native, std::string_view name) {
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

bool looksLikeOption(const Argument& argument) {
    return argument.size() > 1 && argument[0] == '-';
}

std::string displayText(const Argument& argument) {
    return utf8(std::filesystem::path(argument));
}

Options onlyAction(Action action) {
    Options options;
    options.action = action;
    return options;
}

void chooseFormat(Options& options, OutputFormat format) {
    if (options.report.format != OutputFormat::table && options.report.format != format) {
        throw UsageError("--csv and --json cannot be used together");
    }
    options.report.format = format;
}

// The value of the option `name` when arguments[at] is that option: the text after "NAME=", or
// the next argument, which is then used up. nullopt when arguments[at] is another option.
std::optional<std::string> optionValue(const std::vector<Argument>& arguments, std::size_t& at,
                                       std::string_view name) {
    if (is(arguments[at], name)) {
        if (at + 1 == arguments.size()) {
            throw UsageError("option '" + std::string(name) + "' needs a value");
        }
        return displayText(arguments[++at]);
    }
    const std::string text = displayText(arguments[at]);
    if (text.size() > name.size() && text.starts_with(name) && text[name.size()] == '=') {
        return text.substr(name.size() + 1);
    }
    return std::nullopt;
}

SortOrder sortOrder(const std::string& value) {
    if (value == "alpha") {
        return SortOrder::alphabetical;
    }
    if (value == "count") {
        return SortOrder::byCount;
    }
    throw UsageError("unknown sort order '" + value + "' (alpha or count)");
}

// "en, de, fr, ...": the codes of the languages there are tables for.
std::string languageCodes() {
    std::string codes;
    for (const LanguageTable& table : languageTables()) {
        codes += (codes.empty() ? "" : ", ") + std::string(table.code);
    }
    return codes;
}

int ngramLength(const std::string& value) {
    int length = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), length);
    if (error != std::errc{} || end != value.data() + value.size() || length < 1 || length > 4) {
        throw UsageError(
            "'--ngrams' takes a sequence length from 2 to 4 (1 counts single "
            "letters), not '" +
            value + "'");
    }
    return length;
}

std::size_t positiveCount(const std::string& value) {
    std::uint64_t count = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), count);
    if (error == std::errc::result_out_of_range) {
        return SIZE_MAX;  // more than there can be: all of them
    }
    if (error != std::errc{} || end != value.data() + value.size() || count == 0) {
        throw UsageError("'--top' takes a positive whole number, not '" + value + "'");
    }
    return static_cast<std::size_t>(std::min<std::uint64_t>(count, SIZE_MAX));
}

const LanguageTable& language(const std::string& code) {
    if (const LanguageTable* table = findLanguage(code)) {
        return *table;
    }
    throw UsageError("unknown language '" + code + "' (" + languageCodes() + ")");
}

// The options that only make sense with letter sequences, or only without them.
void checkSequenceOptions(Options& options, bool ngramsGiven, bool orderGiven, bool statistics) {
    if (options.ngramLength > 1) {
        if (statistics) {
            throw UsageError("--stats measures single letters and cannot be used with --ngrams=" +
                             std::to_string(options.ngramLength));
        }
        if (!orderGiven) {
            options.report.order = SortOrder::byCount;
        }
        return;
    }
    if (options.report.top != 0) {
        throw UsageError("--top lists letter sequences: it needs --ngrams=2, 3 or 4");
    }
    if (options.spanWords && !ngramsGiven) {
        throw UsageError("--span-words applies to --ngrams, which is not given");
    }
}

}  // namespace

Options parseCommandLine(std::vector<Argument> arguments) {
    Options options;
    bool optionsEnded = false;
    bool statistics = false;
    const LanguageTable* chosenLanguage = nullptr;
    bool orderGiven = false;
    bool ngramsGiven = false;
    for (std::size_t at = 0; at < arguments.size(); ++at) {
        Argument& argument = arguments[at];
        if (optionsEnded || !looksLikeOption(argument)) {
            options.files.push_back(std::move(argument));
            continue;
        }
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
        } else if (const auto order = optionValue(arguments, at, "--sort")) {
            options.report.order = sortOrder(*order);
            orderGiven = true;
        } else if (const auto length = optionValue(arguments, at, "--ngrams")) {
            options.ngramLength = ngramLength(*length);
            ngramsGiven = true;
        } else if (is(argument, "--span-words")) {
            options.spanWords = true;
        } else if (const auto top = optionValue(arguments, at, "--top")) {
            options.report.top = positiveCount(*top);
        } else if (is(argument, "--stats")) {
            statistics = true;
        } else if (const auto code = optionValue(arguments, at, "--language")) {
            chosenLanguage = &language(*code);
        } else if (const auto list = optionValue(arguments, at, "--files0-from")) {
            options.fileList = pathFromUtf8(*list);
        } else {
            throw UsageError("unknown option '" + displayText(argument) + "'");
        }
    }
    checkSequenceOptions(options, ngramsGiven, orderGiven, statistics);
    if (chosenLanguage != nullptr && !statistics) {
        throw UsageError("--language chooses the language of --stats, which is not given");
    }
    if (statistics) {
        options.report.statistics =
            chosenLanguage != nullptr ? chosenLanguage : &languageTables().front();
    }
    if (options.fileList && !options.files.empty()) {
        throw UsageError("FILE arguments cannot be combined with --files0-from");
    }
    if (options.files.empty() && !options.fileList) {
        throw UsageError("no FILE given");
    }
    if (std::count_if(options.files.begin(), options.files.end(),
                      [](const Argument& file) { return readsStandardInput(file); }) > 1) {
        throw UsageError("standard input ('-') can be read only once");
    }
    return options;
}

bool readsStandardInput(const Argument& file) {
    return is(file, "-");
}

bool readsStandardInput(const std::filesystem::path& file) {
    return readsStandardInput(file.native());
}

std::string usageText() {
    return "Usage: glyphmeter-cli [--csv | --json] [--sort=alpha|count]\n"
           "                      [--stats [--language=CODE]] FILE...\n"
           "  or:  glyphmeter-cli [--csv | --json] [--sort=alpha|count] --ngrams=N\n"
           "                      [--span-words] [--top=K] FILE...\n"
           "  or:  glyphmeter-cli [OPTION]... --files0-from=F\n";
}

std::string helpText() {
    const std::string limit = analysis::plainNumberText(analysis::letterLimit);
    return usageText() +
           "\n"
           "Counts the letters A to Z in each FILE, upper and lower case together, and\n"
           "shows for each letter its count and its frequency. Every other byte is read and\n"
           "ignored.\n"
           "With FILE '-' it reads standard input; write './-' for a file of that name.\n"
           "\n"
           "  (no option)      a table with a bar per letter, scaled to the most frequent\n"
           "                   letter, then the total of letters and the largest frequency\n"
           "  --csv            27 lines: letter,count,frequency and a line per letter A to Z\n"
           "  --json           one JSON object with the file, the totals and every letter\n"
           "  --sort=alpha     letters from A to Z (the default)\n"
           "  --sort=count     letters by count, highest first; equal counts from A to Z\n"
           "  --stats          add the index of coincidence, raw and times 26, and the\n"
           "                   chi-squared statistic of the counts against the letter\n"
           "                   frequencies of a language (table and JSON; not in CSV)\n"
           "  --language=CODE  that language: " +
           languageCodes() +
           "\n"
           "                   (default en)\n"
           "  --ngrams=N       count sequences of N letters instead (2 bigrams, 3 trigrams,\n"
           "                   4 quadgrams; 1 is the letter count above): every overlapping\n"
           "                   run of N letters standing next to each other, so any other\n"
           "                   byte (or UTF-16 character) between two letters breaks it;\n"
           "                   lists those that occur with count and frequency (count\n"
           "                   divided by the sequences counted, six decimals), by count\n"
           "                   unless --sort=alpha is given\n"
           "  --span-words     with --ngrams: count in the letters alone, skipping every\n"
           "                   other byte, so 'a-b cd' gives AB, BC, CD and not only CD\n"
           "  --top=K          with --ngrams: list only the first K sequences (the totals\n"
           "                   still count all)\n"
           "  --files0-from=F  count the files named in F instead of FILE arguments,\n"
           "                   each name ended by a NUL byte (as 'find -print0' writes\n"
           "                   them); F '-' reads the names from standard input\n"
           "  --help           show this help\n"
           "  --version        show the version\n"
           "  --               what follows is FILE, even if it starts with '-'\n"
           "\n"
           "With several files the table has a block for each file and one for all of them\n"
           "together; --csv writes file,letter,count,frequency: 26 lines for each file,\n"
           "then 26 with the file *total*; --json writes an array of the files' objects and\n"
           "one for the total, whose file is \"*total*\". A FILE that cannot be read is\n"
           "reported and left out; the others are still counted. So is an empty name in\n"
           "the list of --files0-from, reported with its place in the list as F:N. Files\n"
           "are counted side by side on all processors; the results keep the order given.\n"
           "\n"
           "With --ngrams the table has a line per sequence and the number counted;\n"
           "--csv writes ngram,count,frequency (with several files file,ngram,count,\n"
           "frequency and the *total* lines); --json gives each object ngram_length,\n"
           "total_ngrams and ngrams, a list of {\"ngram\", \"count\", \"frequency\"}.\n"
           "Sequences never run from one FILE into the next.\n"
           "\n"
           "Examples:\n"
           "  glyphmeter-cli --csv part1.txt part2.txt\n"
           "      both files, then their total, as CSV\n"
           "  glyphmeter-cli --sort=count letter.txt\n"
           "      the most frequent letters first\n"
           "  glyphmeter-cli --stats --language=de brief.txt\n"
           "      index of coincidence, and chi-squared against German\n"
           "  glyphmeter-cli --ngrams=2 --top=10 book.txt\n"
           "      the ten most frequent letter pairs\n"
           "  glyphmeter-cli --ngrams=4 --span-words --csv cipher.txt\n"
           "      every quadgram of the letters, across spaces and punctuation, as CSV\n"
           "  find letters -name '*.txt' -print0 | glyphmeter-cli --csv --files0-from=-\n"
           "      every text file under letters, however many there are\n"
           "\n"
           "Counting stops after " +
           limit +
           " letters of a file: a message on standard error\n"
           "says so and the results up to that point follow (with --ngrams too).\n"
           "\n"
           "Exit status: 0 when the results were written (also when counting stopped at the\n"
           "limit), 1 when a FILE (or F, or a name in it) could not be read or the results\n"
           "not written, 2 for a wrong command line.\n"
           "\n"
           "Environment, as testing aids:\n"
           "  GLYPHMETER_LETTER_LIMIT  stop counting after this many letters instead (1 to " +
           limit +
           ")\n"
           "  GLYPHMETER_KERNEL        scalar, avx2, avx512bw, avx512vbmi: that kernel\n";
}

}  // namespace glyphmeter::cli
