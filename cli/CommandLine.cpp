#include "CommandLine.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <string_view>

#include "Alphabet.h"
#include "Languages.h"
#include "LetterKernels.h"
#include "LetterTally.h"
#include "NumberText.h"
#include "PathText.h"
#include "TextEncoding.h"

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

// What each option does; the rows of the table below.
enum class OptionCode {
    tableFormat,
    csv,
    json,
    sort,
    stats,
    language,
    alphabet,
    letters,
    encoding,
    foldAccents,
    ngrams,
    spanWords,
    top,
    merge,
    fileList,
    help,
    version,
    endOfOptions
};

struct OptionRow {
    OptionCode code;
    // As the usage writes it: the name, and "=VALUE" when it takes a value ("--top=K"); empty
    // for a row of the help that is no option.
    std::string_view spelling;
    std::string_view shown;  // the help's spelling, when not `spelling`
    // The help's lines for it, none for a second spelling; "{languages}" stands for the codes of
    // the languages there are.
    std::string_view help;

    std::string_view name() const { return spelling.substr(0, spelling.find('=')); }
    bool takesValue() const { return spelling.find('=') != std::string_view::npos; }
};

// Every option, in the order the help lists them: the parser, the usage and the help all read
// their names here. An option listed twice (--sort, one row per value) is parsed by its first row.
// clang-format off
constexpr OptionRow optionRows[] = {
    {OptionCode::tableFormat, {}, "(no option)",
     "a table with a bar per letter, scaled to the most frequent\n"
     "letter, then the total of letters and the largest frequency"},
    {OptionCode::csv, "--csv", {}, "27 lines: letter,count,frequency and a line per letter A to Z"},
    {OptionCode::json, "--json", {}, "one JSON object with the file, the totals and every letter"},
    {OptionCode::sort, "--sort=alpha|count", "--sort=alpha", "letters from A to Z (the default)"},
    {OptionCode::sort, "--sort=alpha|count", "--sort=count",
     "letters by count, highest first; equal counts from A to Z"},
    {OptionCode::stats, "--stats", {},
     "add the index of coincidence, raw and times 26, and the\n"
     "chi-squared statistic of the counts against the letter\n"
     "frequencies of a language (table and JSON; not in CSV)"},
    {OptionCode::language, "--language=CODE", {},
     "that language: {languages}\n"
     "(default en)"},
    {OptionCode::alphabet, "--alphabet=NAME", {},
     "count the letters of that alphabet, in its order, instead\n"
     "of A to Z:\n"
     "{alphabets}\n"
     "(latin, en and nl are A to Z); the file is read as UTF-8, or\n"
     "UTF-16 after its byte-order mark, a letter written with\n"
     "combining marks counting as its precomposed form; --stats\n"
     "then compares with that language"},
    {OptionCode::letters, "--letters=LIST", {},
     "count the characters of LIST (UTF-8) instead, in that order,\n"
     "each with its other case"},
    {OptionCode::encoding, "--encoding=NAME", {},
     "read the files in that encoding: utf-8, utf-16le, utf-16be,\n"
     "windows-1250 to -1254, iso-8859-1, -2, -5, -7, -9, -15,\n"
     "koi8-r, koi8-u; it wins over a byte-order mark (a UTF-16\n"
     "mark of that same encoding is skipped)"},
    {OptionCode::foldAccents, "--fold-accents", {},
     "count an accented letter the alphabet lacks as its base\n"
     "letter (e for é under latin)"},
    {OptionCode::ngrams, "--ngrams=N", {},
     "count sequences of N letters instead (2 bigrams, 3 trigrams,\n"
     "4 quadgrams; 1 is the letter count above): every overlapping\n"
     "run of N letters standing next to each other, so any other\n"
     "byte (or UTF-16 character) between two letters breaks it;\n"
     "with --alphabet or --letters (and --encoding, --fold-accents)\n"
     "the letters of that alphabet as it counts them, any character\n"
     "that is no letter of it breaking a run;\n"
     "lists those that occur with count and frequency (count\n"
     "divided by the sequences counted, six decimals), by count\n"
     "unless --sort=alpha is given"},
    {OptionCode::spanWords, "--span-words", {},
     "with --ngrams: count in the letters alone, skipping every\n"
     "other byte or character, so 'a-b cd' gives AB, BC, CD and\n"
     "not only CD"},
    {OptionCode::top, "--top=K", {},
     "with --ngrams: list only the first K sequences (the totals\n"
     "still count all)"},
    {OptionCode::merge, "--merge", {},
     "add up what --json wrote for each FILE (a file's object, or\n"
     "the array of several files, its total left out) and write\n"
     "the sum as the report of one file named *total*"},
    {OptionCode::fileList, "--files0-from=F", {},
     "count the files named in F instead of FILE arguments,\n"
     "each name ended by a NUL byte (as 'find -print0' writes\n"
     "them); F '-' reads the names from standard input"},
    {OptionCode::help, "--help", {}, "show this help"},
    {OptionCode::help, "-h", {}, {}},
    {OptionCode::version, "--version", {}, "show the version"},
    {OptionCode::endOfOptions, "--", {}, "what follows is FILE, even if it starts with '-'"},
};
// clang-format on

const OptionRow& row(OptionCode code) {
    return *std::find_if(std::begin(optionRows), std::end(optionRows),
                         [&](const OptionRow& row) { return row.code == code; });
}

// "--sort=alpha|count", "--csv": an option as the usage writes it.
std::string_view spelled(OptionCode code) {
    return row(code).spelling;
}

// "[TEXT]": a part of the usage that may be left out.
std::string bracketed(std::string_view text) {
    std::string part(1, '[');
    part.append(text).push_back(']');
    return part;
}

// The option arguments[at] is, and its value if it takes one: the text after "NAME=", or the
// next argument, which is then used up. Null when arguments[at] is no option there is.
const OptionRow* findOption(const std::vector<Argument>& arguments, std::size_t& at,
                            std::string& value) {
    const Argument& argument = arguments[at];
    for (const OptionRow& option : optionRows) {
        const std::string_view name = option.name();
        if (name.empty()) {
            continue;
        }
        if (is(argument, name)) {
            if (option.takesValue()) {
                if (at + 1 == arguments.size()) {
                    throw UsageError("option '" + std::string(name) + "' needs a value");
                }
                value = displayText(arguments[++at]);
            }
            return &option;
        }
        if (option.takesValue() && argument.size() > name.size() &&
            is(argument.substr(0, name.size() + 1), std::string(name) + "=")) {
            value = displayText(argument).substr(name.size() + 1);
            return &option;
        }
    }
    return nullptr;
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

// "latin, de, ...": the built-in alphabets, on lines of at most `width` characters.
std::string alphabetList(std::size_t width = std::string::npos) {
    std::string names;
    std::size_t lineStart = 0;
    for (const std::string_view name : analysis::alphabetNames()) {
        if (!names.empty()) {
            names += ',';
            if (names.size() - lineStart + 1 + name.size() + 1 > width) {
                names += '\n';
                lineStart = names.size();
            } else {
                names += ' ';
            }
        }
        names += name;
    }
    return names;
}

// The alphabet options as asked, A to Z too.
AlphabetChoice choiceOf(const AlphabetRequest& request, bool statistics,
                        const LanguageTable* chosenLanguage) {
    if (request.name && request.letters) {
        throw UsageError("--alphabet and --letters cannot be used together");
    }
    AlphabetChoice choice;
    if (request.letters) {
        try {
            choice.counting.alphabet = analysis::customAlphabet(*request.letters);
        } catch (const std::invalid_argument& error) {
            throw UsageError(std::string("--letters: ") + error.what());
        }
        choice.name = "custom";
    } else {
        choice.name = request.name.value_or("latin");
        const auto alphabet = analysis::findAlphabet(choice.name);
        if (!alphabet) {
            throw UsageError("unknown alphabet '" + choice.name + "' (" + alphabetList() + ")");
        }
        choice.counting.alphabet = *alphabet;
    }
    choice.counting.encoding = request.encoding;
    choice.counting.foldAccents = request.foldAccents;
    choice.statistics = statistics;
    if (chosenLanguage != nullptr) {
        choice.language = chosenLanguage;
        choice.languageCode = chosenLanguage->code;
    } else if (choice.name == "latin") {
        choice.language = &languageTables().front();
        choice.languageCode = choice.language->code;
    } else {
        choice.language = findLanguage(choice.name);
        choice.languageCode = choice.name;
    }
    return choice;
}

}  // namespace

std::optional<AlphabetChoice> alphabetChoice(const AlphabetRequest& request, bool statistics,
                                             const LanguageTable* chosenLanguage) {
    const bool aToZ = !request.letters && (!request.name || *request.name == "latin" ||
                                           *request.name == "en" || *request.name == "nl");
    if (aToZ && !request.encoding && !request.foldAccents) {
        return std::nullopt;  // A to Z: today's reading, byte for byte, with no alphabet built
    }
    return choiceOf(request, statistics, chosenLanguage);
}

analysis::TextEncoding encodingNamed(const std::string& name) {
    const auto encoding = analysis::findEncoding(name);
    if (!encoding) {
        throw UsageError("unknown encoding '" + name +
                         "' (utf-8, utf-16le, utf-16be, windows-1250 to "
                         "windows-1254, iso-8859-1, -2, -5, -7, -9, -15, koi8-r, "
                         "koi8-u)");
    }
    return *encoding;
}

void refuseSequencesOfAlphabet(int ngramLength, const AlphabetRequest& request,
                               const std::optional<AlphabetChoice>& choice) {
    if (ngramLength > 1 && choice) {
        throw UsageError("--ngrams counts sequences of A–Z only; not with " +
                         (request.letters    ? std::string("--letters")
                          : request.name     ? "--alphabet=" + *request.name
                          : request.encoding ? std::string("--encoding")
                                             : std::string("--fold-accents")));
    }
}

AlphabetChoice builtInAlphabet(const std::string& name, bool statistics,
                               const LanguageTable* language) {
    AlphabetRequest request;
    request.name = name;
    return choiceOf(request, statistics, language);
}

namespace {

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

// One form of the usage: "glyphmeter-cli" and `pieces` after `lead`, wrapped before a piece
// that would run past the 79th column, with the continuation lines indented under the first piece.
std::string usageLine(std::string_view lead, std::initializer_list<std::string> pieces) {
    constexpr std::size_t width = 79;
    std::string line = std::string(lead) + "glyphmeter-cli";
    const std::size_t indent = line.size() + 1;
    std::string text;
    bool firstOnLine = true;
    for (const std::string& piece : pieces) {
        if (!firstOnLine && line.size() + 1 + piece.size() > width) {
            text += line + "\n";
            line.assign(indent - 1, ' ');
        }
        line += " " + piece;
        firstOnLine = false;
    }
    return text + line + "\n";
}

// The help's list of options: each spelling in a column of 17, its lines beside it.
std::string optionHelp() {
    constexpr std::size_t column = 17;
    const std::string continuation(2 + column, ' ');
    std::string text;
    for (const OptionRow& option : optionRows) {
        if (option.help.empty()) {
            continue;
        }
        std::string shown(option.shown.empty() ? option.spelling : option.shown);
        shown.resize(std::max(shown.size(), column), ' ');
        std::string lines(option.help);
        if (const auto at = lines.find("{languages}"); at != std::string::npos) {
            lines.replace(at, std::string_view("{languages}").size(), languageCodes());
        }
        if (const auto at = lines.find("{alphabets}"); at != std::string::npos) {
            lines.replace(at, std::string_view("{alphabets}").size(), alphabetList(60));
        }
        for (std::size_t at = 0; (at = lines.find('\n', at)) != std::string::npos; ++at) {
            lines.insert(at + 1, continuation);
        }
        text += "  " + shown + lines + "\n";
    }
    return text;
}

}  // namespace

Options parseCommandLine(std::vector<Argument> arguments) {
    Options options;
    bool optionsEnded = false;
    bool statistics = false;
    const LanguageTable* chosenLanguage = nullptr;
    bool orderGiven = false;
    bool ngramsGiven = false;
    AlphabetRequest alphabet;
    for (std::size_t at = 0; at < arguments.size(); ++at) {
        Argument& argument = arguments[at];
        if (optionsEnded || !looksLikeOption(argument)) {
            options.files.push_back(std::move(argument));
            continue;
        }
        std::string value;
        const OptionRow* option = findOption(arguments, at, value);
        if (option == nullptr) {
            throw UsageError("unknown option '" + displayText(argument) + "'");
        }
        switch (option->code) {
            case OptionCode::help:
                return onlyAction(Action::showHelp);
            case OptionCode::version:
                return onlyAction(Action::showVersion);
            case OptionCode::endOfOptions:
                optionsEnded = true;
                break;
            case OptionCode::csv:
                chooseFormat(options, OutputFormat::csv);
                break;
            case OptionCode::json:
                chooseFormat(options, OutputFormat::json);
                break;
            case OptionCode::sort:
                options.report.order = sortOrder(value);
                orderGiven = true;
                break;
            case OptionCode::alphabet:
                alphabet.name = value;
                break;
            case OptionCode::letters:
                alphabet.letters = value;
                break;
            case OptionCode::encoding:
                alphabet.encoding = encodingNamed(value);
                break;
            case OptionCode::foldAccents:
                alphabet.foldAccents = true;
                break;
            case OptionCode::ngrams:
                options.ngramLength = ngramLength(value);
                ngramsGiven = true;
                break;
            case OptionCode::spanWords:
                options.spanWords = true;
                break;
            case OptionCode::top:
                options.report.top = positiveCount(value);
                break;
            case OptionCode::merge:
                options.merge = true;
                break;
            case OptionCode::stats:
                statistics = true;
                break;
            case OptionCode::language:
                chosenLanguage = &language(value);
                break;
            case OptionCode::fileList:
                options.fileList = pathFromUtf8(value);
                break;
            case OptionCode::tableFormat:
                break;  // no option: never found
        }
    }
    options.ngramsGiven = ngramsGiven;
    options.orderGiven = orderGiven;
    if (options.merge && options.spanWords) {
        throw UsageError(
            "--span-words cannot be used with --merge: the JSON does not say how its "
            "sequences were counted");
    }
    // Without --ngrams, --merge learns the kind of count from its files.
    if (!options.merge || ngramsGiven) {
        checkSequenceOptions(options, ngramsGiven, orderGiven, statistics);
    }
    if (options.merge && (alphabet.encoding || alphabet.foldAccents)) {
        throw UsageError(std::string(alphabet.encoding ? "--encoding" : "--fold-accents") +
                         " cannot be used with --merge: the JSON holds counts, not text");
    }
    options.alphabet = alphabetChoice(alphabet, statistics, chosenLanguage);
    options.language = chosenLanguage;
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
    const std::string format = bracketed(
        std::string(spelled(OptionCode::csv)).append(" | ").append(spelled(OptionCode::json)));
    const std::string order = bracketed(spelled(OptionCode::sort));
    const std::string statistics = bracketed(std::string(spelled(OptionCode::stats))
                                                 .append(" ")
                                                 .append(bracketed(spelled(OptionCode::language))));
    return usageLine("Usage: ", {format, order, statistics, "FILE..."}) +
           usageLine("  or:  ", {format, order, std::string(spelled(OptionCode::ngrams)),
                                 bracketed(spelled(OptionCode::spanWords)),
                                 bracketed(spelled(OptionCode::top)), "FILE..."}) +
           usageLine("  or:  ", {std::string(spelled(OptionCode::merge)), format, order, statistics,
                                 bracketed(spelled(OptionCode::top)), "FILE..."}) +
           usageLine("  or:  ",
                     {bracketed(std::string(spelled(OptionCode::alphabet))
                                    .append(" | ")
                                    .append(spelled(OptionCode::letters))),
                      bracketed(spelled(OptionCode::encoding)),
                      bracketed(spelled(OptionCode::foldAccents)), "[OPTION]...", "FILE..."}) +
           usageLine("  or:  ", {"[OPTION]...", std::string(spelled(OptionCode::fileList))});
}

std::string helpText() {
    const std::string limit = analysis::plainNumberText(analysis::letterLimit);
    return usageText() +
           "\n"
           "Counts the letters A to Z in each FILE, upper and lower case together, and\n"
           "shows for each letter its count and its frequency. Every other byte is read and\n"
           "ignored. With --alphabet or --letters it counts the letters of that alphabet\n"
           "instead, reading the text as characters (UTF-8 unless told otherwise).\n"
           "With FILE '-' it reads standard input; write './-' for a file of that name.\n"
           "\n" +
           optionHelp() +
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
           "Sequences never run from one FILE into the next. Sequences of an alphabet\n"
           "are named by its letters (UTF-8, the table aligned by their width), and JSON\n"
           "adds \"alphabet\" as for its letters.\n"
           "\n"
           "With --merge each FILE ('-': standard input) is what --json wrote for letters,\n"
           "or for sequences of one length (--ngrams=N, when given, must match). Letters\n"
           "or sequences of another alphabet than latin are added as that alphabet's,\n"
           "named by the first FILE or by --alphabet; a custom one needs the same\n"
           "--letters. The sum is what a run over all the files counted writes as its\n"
           "total, shaped as the report of one file: the table without its \"Total of\"\n"
           "line, CSV without the file column, JSON one object with the file \"*total*\",\n"
           "which --merge reads again. JSON not written by --json, written with --top, or\n"
           "of another kind than the first FILE is refused; nothing is written unless\n"
           "every FILE is read.\n"
           "A count stopped at the letter limit is said so on standard error and keeps\n"
           "\"limitReached\": true in the sum.\n"
           "\n"
           "Rounding: a letter's frequency is the quotient count / letters as a double,\n"
           "then times 10000 rounded half to even, as the window shows it: 3 A in 20,000\n"
           "letters give 0.0001, where the exact quotient 0.00015 would give 0.0002. The\n"
           "largest frequency is that double to at most 15 significant digits, without\n"
           "trailing zeros. A sequence's frequency (six decimals), the index of\n"
           "coincidence, raw and times 26, and chi-squared (four decimals) are the decimal\n"
           "nearest to the double; one exactly halfway goes to the even digit.\n"
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
           "  glyphmeter-cli --ngrams=2 --alphabet=ru --top=10 roman.txt\n"
           "      the ten most frequent pairs of Russian letters\n"
           "  find letters -name '*.txt' -print0 | glyphmeter-cli --csv --files0-from=-\n"
           "      every text file under letters, however many there are\n"
           "  glyphmeter-cli --merge --sort=count part1.json part2.json\n"
           "      the letters of both runs together, the most frequent first\n"
           "  printf 'Größe Äpfel über Straße — naïve café\\n' |\n"
           "      glyphmeter-cli --stats --alphabet=de -\n"
           "      the German letters with Ä, Ö, Ü and ß, and chi-squared against German\n"
           "  glyphmeter-cli --csv --alphabet=ru --encoding=koi8-r pismo.txt\n"
           "      the 33 Russian letters of a KOI8-R file\n"
           "  glyphmeter-cli --alphabet=el --fold-accents keimeno.txt\n"
           "      the 24 Greek letters, accented ones counted as their base letter\n"
           "\n"
           "With an alphabet, invalid UTF-8 is read as U+FFFD and reported once per file on\n"
           "standard error; the exit status stays 0.\n"
           "\n"
           "Counting stops after " +
           limit +
           " letters of a file: a message on standard error\n"
           "says so and the results up to that point follow (with --ngrams too).\n"
           "\n"
           "Exit status: 0 when the results were written (also when counting stopped at the\n"
           "limit), 1 when a FILE (or F, or a name in it) could not be read or the results\n"
           "not written, 2 for a wrong command line, a wrong value of a variable below, or\n"
           "a --merge FILE refused.\n"
           "\n"
           "Environment, as testing aids:\n"
           "  GLYPHMETER_LETTER_LIMIT  stop counting after this many letters instead (1 to " +
           limit +
           ")\n"
           "  GLYPHMETER_KERNEL        " +
           analysis::kernelNameList() + ": that kernel\n";
}

}  // namespace glyphmeter::cli
