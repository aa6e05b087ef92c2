// The command line of glyphmeter-cli: what it asks for, and the texts that explain it.
#pragma once

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "AlphabetKind.h"
#include "Reports.h"

namespace glyphmeter::cli {

enum class Action { count, showHelp, showVersion };

// One command-line argument, in the platform's own characters. Kept as text, not as a path,
// because a path also holds its parsed parts: for ten thousand file names that is several times
// the memory of counting any one file.
using Argument = std::filesystem::path::string_type;

struct Options {
    Action action = Action::count;
    ReportOptions report;
    int ngramLength = 1;     // 1 counts single letters; 2 to 4 letter sequences
    bool spanWords = false;  // sequences run across everything that is not a letter
    // --merge: the FILEs are what --json wrote, to be added up rather than counted. Which kind of
    // count they hold is known only once they are read, so the options that depend on it are
    // checked then: whether --ngrams and --sort were given is kept for that.
    bool merge = false;
    bool ngramsGiven = false;
    bool orderGiven = false;
    // --alphabet beyond A to Z, --letters, --encoding or --fold-accents: the letters of that
    // alphabet are counted instead of A to Z.
    std::optional<AlphabetChoice> alphabet;
    // --language as given, for an alphabet --merge learns from its files.
    const LanguageTable* language = nullptr;
    std::vector<Argument> files;  // in the order given; "-" stands for standard input
    // --files0-from: the list of NUL-ended names to count instead of `files` ("-": standard input).
    std::optional<std::filesystem::path> fileList;
};

// A command line that asks for nothing sensible; what() says what is wrong with it.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Reads `arguments` (the program's name left out). "--help" and "--version" win over everything
// else; "--" ends the options, so a file may be called "--csv". An option with a value is written
// "--sort=count" or "--sort count". Throws UsageError for an unknown option or value, a missing
// value, both formats, no file, standard input named more than once, or FILE arguments together
// with --files0-from.
// --ngrams=N with N from 2 to 4 lists sequences by count unless --sort is given, and rules out
// --stats and the alphabet options; --top needs such an N, and --span-words needs --ngrams.
// --alphabet names a built-in alphabet, --letters lists one (not both); unknown alphabets and
// encodings, an empty list and a letter listed twice are usage errors.
// --merge rules out --span-words (the JSON does not say how it was counted) and leaves the checks
// that depend on the kind of count to the run, which learns it from the files.
// The FILE arguments are moved into the options, so ten thousand names are held once.
Options parseCommandLine(std::vector<Argument> arguments);

// What the alphabet options ask for, as given.
struct AlphabetRequest {
    std::optional<std::string> name;     // --alphabet
    std::optional<std::string> letters;  // --letters (UTF-8)
    std::optional<analysis::TextEncoding> encoding;
    bool foldAccents = false;
};

// The alphabet `request` asks for, with --stats and --language (`chosenLanguage`, or nullptr);
// nullopt when it is A to Z read as without alphabet options (latin, en or nl, no encoding, no
// folding). Throws UsageError for both a name and letters, an unknown name, or a list of letters
// customAlphabet refuses.
std::optional<AlphabetChoice> alphabetChoice(const AlphabetRequest& request, bool statistics,
                                             const LanguageTable* chosenLanguage);
// The encoding --encoding=NAME names; UsageError listing the known ones otherwise.
analysis::TextEncoding encodingNamed(const std::string& name);
// Throws UsageError when sequences (ngramLength above 1) are asked of an alphabet beyond A to Z:
// what the Python module, whose counts of sequences are of A to Z only, still refuses.
void refuseSequencesOfAlphabet(int ngramLength, const AlphabetRequest& request,
                               const std::optional<AlphabetChoice>& choice);

// The built-in alphabet `name` as --alphabet=NAME chooses it (A to Z included), with --stats if
// `statistics` and --language's table if `language` (else the alphabet's own). Throws UsageError
// for a name that is no built-in alphabet.
AlphabetChoice builtInAlphabet(const std::string& name, bool statistics,
                               const LanguageTable* language);

bool readsStandardInput(const Argument& file);
bool readsStandardInput(const std::filesystem::path& file);

// "Usage: glyphmeter-cli [--csv | --json] ... FILE...", and the form with --files0-from.
std::string usageText();
// The usage followed by what the options, exit statuses and environment variables mean.
std::string helpText();

}  // namespace glyphmeter::cli
