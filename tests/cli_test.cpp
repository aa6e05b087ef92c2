// glyphmeter-cli run as a separate process: its output, error texts and exit statuses.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "CliRun.h"
#include "LetterKernels.h"
#include "TempDir.h"

namespace glyphmeter::testing {
namespace {

const std::string limitText =
    " chars.  Counting stopped at this point, but results will be valid up to this point.";

ProcessRun withLimit(const std::string& limit) {
    ProcessRun run;
    run.environment.push_back({"GLYPHMETER_LETTER_LIMIT", limit});
    return run;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        result.push_back(text.substr(start, end - start));
    }
    return result;
}

// A path as JSON writes it: the backslashes of Windows paths are doubled.
std::string jsonPath(const std::filesystem::path& path) {
    std::string text;
    for (const char c : path.string()) {
        text += c == '\\' ? "\\\\" : std::string(1, c);
    }
    return text;
}

std::string lineStartingWith(const std::string& text, const std::string& prefix) {
    for (const std::string& line : lines(text)) {
        if (line.starts_with(prefix)) {
            return line;
        }
    }
    return "(no line starts with '" + prefix + "')";
}

TEST(CommandLineTool, csv_is_exactly_the_27_lines) {
    TempDir dir;
    const ProcessResult result = cli({"--csv", dir.write("hello.txt", "Hello, World").string()});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.standardOutput, helloCsv);
    EXPECT_EQ(result.standardError, "");
}

TEST(CommandLineTool, table_shows_counts_four_decimals_bars_scaled_to_the_top_letter_and_totals) {
    TempDir dir;
    const ProcessResult result = cli({dir.write("hello.txt", "Hello, World").string()});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.standardError, "");
    // Bars as on screen at 100 twips a column: L grows 3500 twips, O 2333.3, D 1166.7.
    EXPECT_EQ(lineStartingWith(result.standardOutput, "     L"),
              "     L           3     0.3000  " + std::string(35, '#'));
    EXPECT_EQ(lineStartingWith(result.standardOutput, "     O"),
              "     O           2     0.2000  " + std::string(23, '#'));
    EXPECT_EQ(lineStartingWith(result.standardOutput, "     D"),
              "     D           1     0.1000  " + std::string(12, '#'));
    EXPECT_EQ(lineStartingWith(result.standardOutput, "     A"), "     A           0     0.0000");
    EXPECT_EQ(lineStartingWith(result.standardOutput, "Total"), "Total letters: 10");
    EXPECT_EQ(lineStartingWith(result.standardOutput, "Largest"), "Largest frequency: 0.3");

    // Mississippi: the top letters' bar figure 364 exceeds 1000 * 4/11, yet the bar stays full.
    const ProcessResult mississippi = cli({dir.write("m.txt", "Mississippi").string()});
    EXPECT_EQ(lineStartingWith(mississippi.standardOutput, "     S"),
              "     S           4     0.3636  " + std::string(35, '#'));
    EXPECT_EQ(lineStartingWith(mississippi.standardOutput, "Largest"),
              "Largest frequency: 0.363636363636364");
}

TEST(CommandLineTool, json_holds_file_totals_and_every_letter) {
    TempDir dir;
    const auto file = dir.write("m.txt", "Mississippi");
    const ProcessResult result = cli({"--json", file.string()});
    EXPECT_EQ(result.exitStatus, 0);
    const std::string& json = result.standardOutput;
    EXPECT_TRUE(json.starts_with("{\n")) << json;
    EXPECT_TRUE(json.ends_with("}\n")) << json;
    EXPECT_NE(json.find("\"file\": \"" + jsonPath(file) + "\","), std::string::npos) << json;
    EXPECT_NE(json.find("\"total\": 11,"), std::string::npos) << json;
    EXPECT_NE(json.find("\"largestFrequency\": 0.363636363636364,"), std::string::npos) << json;
    EXPECT_NE(json.find("\"limitReached\": false,"), std::string::npos) << json;
    EXPECT_NE(json.find("\"A\": {\"count\": 0, \"frequency\": 0.0000},"), std::string::npos);
    EXPECT_NE(json.find("\"M\": {\"count\": 1, \"frequency\": 0.0909},"), std::string::npos);
    EXPECT_NE(json.find("\"Z\": {\"count\": 0, \"frequency\": 0.0000}\n"), std::string::npos);
    std::size_t letters = 0;
    for (std::size_t at = 0; (at = json.find("\"count\"", at)) != std::string::npos; ++at) {
        ++letters;
    }
    EXPECT_EQ(letters, 26u);
}

TEST(CommandLineTool, file_without_letters_gives_zero_figures) {
    TempDir dir;
    const auto file = dir.write("digits.txt", "0123 456\r\n");
    const ProcessResult csv = cli({"--csv", file.string()});
    EXPECT_EQ(csv.exitStatus, 0);
    EXPECT_EQ(lines(csv.standardOutput).size(), 27u);
    EXPECT_EQ(lineStartingWith(csv.standardOutput, "E,"), "E,0,0.0000");
    const ProcessResult json = cli({"--json", file.string()});
    EXPECT_NE(json.standardOutput.find("\"largestFrequency\": 0,"), std::string::npos);
    const ProcessResult table = cli({file.string()});
    EXPECT_EQ(lineStartingWith(table.standardOutput, "Total"), "Total letters: 0");
}

TEST(CommandLineTool, dash_reads_standard_input) {
    ProcessRun run;
    run.standardInput = "Hello, World";
    const ProcessResult result = cli({"--csv", "-"}, run);
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.standardOutput, helloCsv);

    run.standardInput = "abc";
    const ProcessResult json = cli({"--json", "-"}, run);
    EXPECT_NE(json.standardOutput.find("\"file\": \"-\","), std::string::npos);
    EXPECT_NE(json.standardOutput.find("\"total\": 3,"), std::string::npos);
}

TEST(CommandLineTool, several_files_give_each_file_then_the_total_and_skip_an_unreadable_one) {
    TempDir dir;
    const std::string hello = dir.write("hello.txt", "Hello, World").string();
    const std::string missing = (dir.path() / "missing.txt").string();
    ProcessRun run;
    run.standardInput = "Mississippi";
    const std::vector<std::string> files = {hello, missing, "-"};
    const auto withFormat = [&](const char* format) {
        std::vector<std::string> arguments = files;
        arguments.insert(arguments.begin(), format);
        return arguments;
    };

    // Hello, World and Mississippi: 21 letters, S 4, L 3.
    const ProcessResult csv = cli(withFormat("--csv"), run);
    EXPECT_EQ(csv.exitStatus, 1);
    EXPECT_TRUE(csv.standardError.starts_with("glyphmeter-cli: " + missing + ": "))
        << csv.standardError;
    const std::vector<std::string> rows = lines(csv.standardOutput);
    ASSERT_EQ(rows.size(), 1u + 3 * 26) << csv.standardOutput;
    EXPECT_EQ(rows[0], "file,letter,count,frequency");
    EXPECT_EQ(rows[1 + 11], hello + ",L,3,0.3000");
    EXPECT_EQ(rows[1 + 26 + 18], "-,S,4,0.3636");
    EXPECT_EQ(rows[1 + 52 + 11], "*total*,L,3,0.1429");
    EXPECT_EQ(rows[1 + 52 + 18], "*total*,S,4,0.1905");

    const ProcessResult json = cli(withFormat("--json"), run);
    EXPECT_EQ(json.exitStatus, 1);
    const auto parsed = nlohmann::json::parse(json.standardOutput);
    ASSERT_EQ(parsed.size(), 3u) << json.standardOutput;
    EXPECT_EQ(parsed[0]["file"], hello);
    EXPECT_EQ(parsed[1]["file"], "-");
    EXPECT_EQ(parsed[1]["total"], 11);
    EXPECT_EQ(parsed[2]["file"], "*total*");
    EXPECT_EQ(parsed[2]["total"], 21);
    EXPECT_EQ(parsed[2]["letters"]["S"]["count"], 4);

    const ProcessResult table = cli(withFormat("--sort=alpha"), run);
    EXPECT_EQ(table.exitStatus, 1);
    const std::vector<std::string> shown = lines(table.standardOutput);
    for (const std::string& heading :
         {"File: " + hello, std::string("File: -"), std::string("Total of 2 files"),
          std::string("Total letters: 21")}) {
        EXPECT_NE(std::find(shown.begin(), shown.end(), heading), shown.end()) << heading;
    }
}

TEST(CommandLineTool, sort_by_count_puts_the_most_frequent_first_and_ties_alphabetically) {
    TempDir dir;
    const std::string file = dir.write("hello.txt", "Hello, World").string();
    const std::string byCount = "LODEHRWABCFGIJKMNPQSTUVXYZ";
    const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    const struct {
        std::vector<std::string> options;
        std::string letterPattern;  // finds one letter of the results in each line
        std::string order;
    } cases[] = {
        {{"--sort=count"}, "^     ([A-Z]) ", byCount},
        {{"--csv", "--sort", "count"}, "^([A-Z]),", byCount},
        {{"--json", "--sort=count"}, "^    \"([A-Z])\": \\{", byCount},
        {{"--csv", "--sort=alpha"}, "^([A-Z]),", alphabet},
    };
    for (const auto& c : cases) {
        std::vector<std::string> arguments = c.options;
        arguments.push_back(file);
        const ProcessResult result = cli(arguments);
        EXPECT_EQ(result.exitStatus, 0);
        std::string order;
        const std::regex pattern(c.letterPattern);
        for (const std::string& line : lines(result.standardOutput)) {
            std::smatch match;
            if (std::regex_search(line, match, pattern)) {
                order += match.str(1);
            }
        }
        EXPECT_EQ(order, c.order) << c.options.front();
    }
}

// Worked by hand. "EEET": N = 4, E 3, T 1.
//   Index of coincidence: (3 * 2 + 1 * 0) / (4 * 3) = 0.5, times 26 = 13.
//   Chi-squared, sum over A to Z of (O - E)^2 / E with E = N * share: as O and E both sum to N,
//   this is the sum of O^2 / E over the letters seen, minus N. The English table's A to Z sum to
//   99.999 per cent, E 12.702, T 9.056:
//     9 / (4 * 12.702 / 99.999) + 1 / (4 * 9.056 / 99.999) - 4
//     = 17.71357 + 2.76057 - 4 = 16.47414
//   German, A to Z 97.679 per cent (the rest is ä, ö, ü, ß), E 16.396, T 6.154:
//     13.40435 + 3.96811 - 4 = 13.37246
// "a" alone: no index (one letter); chi-squared 1 / (8.167 / 99.999) - 1 = 11.24428.
// No letters: neither is defined.
TEST(CommandLineTool, stats_give_index_of_coincidence_and_chi_squared_against_a_language) {
    TempDir dir;
    const struct {
        std::string text;
        std::vector<std::string> options;
        std::string coincidenceLine;
        std::string chiSquaredLine;
        nlohmann::json jsonFields;
    } cases[] = {
        {"EEET",
         {"--stats"},
         "Index of coincidence: 0.5000 (x26: 13.0000)",
         "Chi-squared against English: 16.4741",
         {{"indexOfCoincidence", 0.5},
          {"indexOfCoincidenceNormalised", 13.0},
          {"chiSquared", 16.4741},
          {"language", "en"}}},
        {"eeet",
         {"--stats", "--language=de"},
         "Index of coincidence: 0.5000 (x26: 13.0000)",
         "Chi-squared against German: 13.3725",
         {{"indexOfCoincidence", 0.5},
          {"indexOfCoincidenceNormalised", 13.0},
          {"chiSquared", 13.3725},
          {"language", "de"}}},
        {"a",
         {"--language", "en", "--stats"},
         "Index of coincidence: not defined below 2 letters",
         "Chi-squared against English: 11.2443",
         {{"indexOfCoincidence", nullptr},
          {"indexOfCoincidenceNormalised", nullptr},
          {"chiSquared", 11.2443},
          {"language", "en"}}},
        {"123",
         {"--stats"},
         "Index of coincidence: not defined below 2 letters",
         "Chi-squared against English: not defined without letters",
         {{"indexOfCoincidence", nullptr},
          {"indexOfCoincidenceNormalised", nullptr},
          {"chiSquared", nullptr},
          {"language", "en"}}},
    };
    for (const auto& c : cases) {
        const std::string file = dir.write("text.txt", c.text).string();
        std::vector<std::string> arguments = c.options;
        arguments.push_back(file);
        const ProcessResult table = cli(arguments);
        EXPECT_EQ(table.exitStatus, 0) << c.text;
        EXPECT_TRUE(table.standardOutput.ends_with("\n" + c.coincidenceLine + "\n" +
                                                   c.chiSquaredLine + "\n"))
            << table.standardOutput;

        arguments.insert(arguments.begin(), "--json");
        const auto json = nlohmann::json::parse(cli(arguments).standardOutput);
        for (const auto& [key, value] : c.jsonFields.items()) {
            EXPECT_EQ(json[key], value) << c.text << " " << key;
        }

        // CSV has letters only.
        arguments.front() = "--csv";
        EXPECT_EQ(lines(cli(arguments).standardOutput).size(), 27u) << c.text;
    }
}

TEST(CommandLineTool, utf16_text_counts_by_character_from_a_file_and_standard_input) {
    // "Привет, мир! abc" saved as UTF-16LE: the "т" (42 04) is no phantom B.
    std::string utf16 = "\xff\xfe";
    for (const char16_t unit : std::u16string(u"Привет, мир! abc")) {
        utf16 += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    }
    TempDir dir;
    ProcessRun fromInput;
    fromInput.standardInput = utf16;
    for (const ProcessResult& result : {cli({"--csv", dir.write("russian.txt", utf16).string()}),
                                        cli({"--csv", "-"}, fromInput)}) {
        EXPECT_EQ(result.exitStatus, 0);
        EXPECT_EQ(lineStartingWith(result.standardOutput, "A,"), "A,1,0.3333");
        EXPECT_EQ(lineStartingWith(result.standardOutput, "B,"), "B,1,0.3333");
        EXPECT_EQ(lineStartingWith(result.standardOutput, "C,"), "C,1,0.3333");
    }
}

#ifdef __linux__
TEST(CommandLineTool, json_file_name_is_escaped_and_always_valid_utf8) {
    TempDir dir;
    // A quote, a backslash, control characters, a stray byte 0xFF, the first two bytes of a
    // three-byte "€" (one replacement character for both) and a valid UTF-8 "é".
    const auto file = dir.write("q\"b\\n\nt\t\x01-\xff-\xe2\x82-\xc3\xa9", "x");
    const ProcessResult result = cli({"--json", file.string()});
    EXPECT_EQ(result.exitStatus, 0);
    const std::string expected = "\"file\": \"" + dir.path().string() +
                                 "/q\\\"b\\\\n\\nt\\t\\u0001-\xef\xbf\xbd-\xef\xbf\xbd-\xc3\xa9\",";
    EXPECT_NE(result.standardOutput.find(expected), std::string::npos) << result.standardOutput;
}
#endif

#ifndef _WIN32
// Windows words its reasons differently: see cli_windows_test.cpp.
TEST(CommandLineTool, unreadable_files_exit_1_naming_the_file_and_reason) {
    TempDir dir;
    struct Case {
        std::string path;
        std::string reason;
    };
    std::vector<Case> cases = {
        {(dir.path() / "missing.txt").string(), "No such file or directory"},
        {dir.path().string(), "Is a directory"},
    };
#ifdef __linux__
    // Reading /proc/self/mem from offset 0 fails in the middle of reading, even as root.
    cases.push_back({"/proc/self/mem", "Input/output error"});
#endif
    for (const Case& c : cases) {
        for (const char* format : {"--csv", "--json"}) {
            const ProcessResult result = cli({format, c.path});
            EXPECT_EQ(result.exitStatus, 1) << c.path;
            EXPECT_EQ(result.standardError, "glyphmeter-cli: " + c.path + ": " + c.reason + "\n");
            EXPECT_EQ(result.standardOutput, "") << c.path;
        }
    }
}
#endif

TEST(CommandLineTool, usage_errors_exit_2_with_the_usage_on_standard_error) {
    TempDir dir;
    const std::string file = dir.write("a.txt", "a").string();
    const std::vector<std::vector<std::string>> commandLines = {
        {},
        {"--csv"},
        {"-", file, "-"},
        {"--frobnicate", file},
        {"-x", file},
        {"--csv", "--json", file},
        {"--sort=size", file},
        {file, "--sort"},
        {"--language=de", file},
        {"--stats", "--language=xx", file},
        {"--files0-from=list", file},
        {file, "--files0-from", "list"},
        {"--files0-from"},
    };
    for (const auto& arguments : commandLines) {
        const ProcessResult result = cli(arguments);
        const std::string shown = arguments.empty() ? "(none)" : arguments.front();
        EXPECT_EQ(result.exitStatus, 2) << shown;
        EXPECT_NE(result.standardError.find("\nUsage: glyphmeter-cli [--csv | --json] "),
                  std::string::npos)
            << shown << ": " << result.standardError;
        EXPECT_EQ(result.standardOutput, "") << shown;
    }
}

TEST(CommandLineTool, help_and_version_write_to_standard_output) {
    const ProcessResult help = cli({"--help"});
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_TRUE(help.standardOutput.starts_with(
        "Usage: glyphmeter-cli [--csv | --json] [--sort=alpha|count]\n"
        "                      [--stats [--language=CODE]] FILE...\n"));
    EXPECT_NE(help.standardOutput.find("GLYPHMETER_LETTER_LIMIT"), std::string::npos);
    EXPECT_EQ(help.standardError, "");

    const ProcessResult version = cli({"--version"});
    EXPECT_EQ(version.exitStatus, 0);
    EXPECT_EQ(version.standardOutput, "glyphmeter-cli 1.05\n");
}

TEST(CommandLineTool, limit_is_reported_on_standard_error_then_partial_results_follow) {
    TempDir dir;
    const std::string file = dir.write("hello.txt", "Hello, World").string();
    // Stops right after "Hello": H 1, E 1, L 2, O 1.
    const ProcessResult csv = cli({"--csv", file}, withLimit("5"));
    EXPECT_EQ(csv.exitStatus, 0);
    EXPECT_EQ(csv.standardError, "glyphmeter-cli: " + file +
                                     ": Input file size exceeds this programs maximum of 5" +
                                     limitText + "\n");
    EXPECT_EQ(lineStartingWith(csv.standardOutput, "H,"), "H,1,0.2000");
    EXPECT_EQ(lineStartingWith(csv.standardOutput, "L,"), "L,2,0.4000");
    EXPECT_EQ(lineStartingWith(csv.standardOutput, "W,"), "W,0,0.0000");

    // Each file has its own limit: both stop after "Hello".
    const ProcessResult twice = cli({"--csv", file, file}, withLimit("5"));
    EXPECT_EQ(twice.exitStatus, 0);
    EXPECT_EQ(lines(twice.standardError).size(), 2u) << twice.standardError;
    EXPECT_EQ(lineStartingWith(twice.standardOutput, "*total*,L,"), "*total*,L,4,0.4000");

    const ProcessResult json = cli({"--json", file}, withLimit("5"));
    EXPECT_NE(json.standardOutput.find("\"total\": 5,"), std::string::npos);
    EXPECT_NE(json.standardOutput.find("\"limitReached\": true,"), std::string::npos);

    const ProcessResult notReached = cli({"--json", file}, withLimit("11"));
    EXPECT_EQ(notReached.standardError, "");
    EXPECT_NE(notReached.standardOutput.find("\"limitReached\": false,"), std::string::npos);

    for (const char* wrong : {"0", "-1", "5x", "2100000001", "99999999999"}) {
        const ProcessResult result = cli({"--csv", file}, withLimit(wrong));
        EXPECT_EQ(result.exitStatus, 2) << wrong;
        EXPECT_TRUE(result.standardError.starts_with("glyphmeter-cli: GLYPHMETER_LETTER_LIMIT:"))
            << wrong << ": " << result.standardError;
        EXPECT_EQ(result.standardOutput, "") << wrong;
    }
}

// The rounding --help and the manual describe, at the ties they name.
TEST(CommandLineTool, figures_round_as_documented_at_ties) {
    TempDir dir;
    // 3 / 20000 is a little below 0.00015 as a double; 19997 / 20000 times 10000 is 9998.5.
    const std::string letters = dir.write("letters.txt", "AAA" + std::string(19997, 'B')).string();
    // 1 of 128 pairs is 0.0078125 exactly, 127 of them 0.9921875.
    const std::string pairs = dir.write("pairs.txt", "Q" + std::string(128, 'Z')).string();
    // 21 letters 3 times and one once: the index is 126 / 4032 = 0.03125 exactly.
    std::string spread = "Z";
    for (char letter = 'A'; letter < 'A' + 21; ++letter) {
        spread += std::string(3, letter);
    }
    const std::string coincidence = dir.write("spread.txt", spread).string();
    const struct {
        std::vector<std::string> arguments;
        std::string line;
    } cases[] = {
        {{"--csv", letters}, "A,3,0.0001"},
        {{"--csv", letters}, "B,19997,0.9998"},
        {{"--csv", "--ngrams=2", pairs}, "QZ,1,0.007812"},
        {{"--csv", "--ngrams=2", pairs}, "ZZ,127,0.992188"},
        {{"--stats", coincidence}, "Index of coincidence: 0.0312 (x26: 0.8125)"},
    };
    for (const auto& [arguments, line] : cases) {
        const std::vector<std::string> written = lines(cli(arguments).standardOutput);
        EXPECT_NE(std::find(written.begin(), written.end(), line), written.end()) << line;
    }
}

TEST(CommandLineTool, a_forced_kernel_counts_alike_or_is_refused_with_exit_2) {
    TempDir dir;
    const std::string file = dir.write("hello.txt", "Hello, World").string();
    const auto withKernel = [](const std::string& name) {
        ProcessRun run;
        run.environment = {{"GLYPHMETER_LETTER_LIMIT", ""}, {"GLYPHMETER_KERNEL", name}};
        return run;
    };
    for (const std::string_view name : analysis::kernelNames) {
        const auto& kernels = analysis::supportedKernels();
        const bool supported =
            std::any_of(kernels.begin(), kernels.end(),
                        [&](const analysis::LetterKernel& kernel) { return kernel.name == name; });
        const ProcessResult result = cli({"--csv", file}, withKernel(std::string(name)));
        if (supported) {
            EXPECT_EQ(result.exitStatus, 0) << name;
            EXPECT_EQ(result.standardOutput, helloCsv) << name;
        } else {
            EXPECT_EQ(result.exitStatus, 2) << name;
            EXPECT_EQ(result.standardError,
                      "glyphmeter-cli: GLYPHMETER_KERNEL: this processor does not support the "
                      "kernel '" +
                          std::string(name) + "'\n");
        }
    }
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"--csv", file}, {"--ngrams=2", file}}) {
        const ProcessResult result = cli(arguments, withKernel("AVX2"));
        EXPECT_EQ(result.exitStatus, 2);
        EXPECT_EQ(result.standardOutput, "");
        EXPECT_EQ(result.standardError,
                  "glyphmeter-cli: GLYPHMETER_KERNEL: unknown kernel 'AVX2' (scalar, avx2, "
                  "avx512bw, avx512vbmi)\n");
    }
}

#ifdef __linux__
#ifdef GLYPHMETER_READ_FAILURE_SHIM
// An 8 MiB file read in 1 MiB blocks whose reads fail from a chosen offset on: before, inside and
// after the block where a letter limit falls (block 4), with and without that limit.
TEST(CommandLineTool,
     read_failing_in_the_middle_exits_1_naming_the_file_unless_the_limit_stops_first) {
    TempDir dir;
    constexpr std::size_t mebibyte = std::size_t{1} << 20;
    std::string text;
    while (text.size() < 8 * mebibyte) {
        text += "Hello, World\n";  // 10 letters in 13 bytes
    }
    const std::string file = dir.write("large.txt", text).string();
    // Whole lines of "Hello, World" up to about 4.5 MiB, so L is three tenths of them.
    const std::size_t limitLetters = (4 * mebibyte + mebibyte / 2) / 13 * 10;
    const std::string limitInBlock4 = std::to_string(limitLetters);
    for (const std::size_t failAt : {mebibyte + 5, 4 * mebibyte + mebibyte / 4, 6 * mebibyte}) {
        for (const std::string& letterLimit : {std::string(), limitInBlock4}) {
            ProcessRun run;
            run.environment = {{"GLYPHMETER_LETTER_LIMIT", letterLimit},
                               {"LD_PRELOAD", GLYPHMETER_READ_FAILURE_SHIM},
                               {"ASAN_OPTIONS", "verify_asan_link_order=0"},
                               {"GLYPHMETER_FAIL_READ_PATH", file},
                               {"GLYPHMETER_FAIL_READ_AT", std::to_string(failAt)}};
            const ProcessResult result = cli({"--csv", file}, run);
            const std::string where = "failing at " + std::to_string(failAt) + " limit '" +
                                      letterLimit + "': " + result.standardError;
            if (!letterLimit.empty() && failAt >= 5 * mebibyte) {
                EXPECT_EQ(result.exitStatus, 0) << where;
                EXPECT_EQ(lineStartingWith(result.standardOutput, "L,"),
                          "L," + std::to_string(limitLetters * 3 / 10) + ",0.3000")
                    << where;
            } else {
                EXPECT_EQ(result.exitStatus, 1) << where;
                EXPECT_EQ(result.standardError,
                          "glyphmeter-cli: " + file + ": Input/output error\n");
                EXPECT_EQ(result.standardOutput, "") << where;
            }
        }
    }
}
#endif

TEST(CommandLineTool, failing_to_write_the_results_exits_1) {
    TempDir dir;
    const std::string file = dir.write("hello.txt", "Hello, World").string();
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"--csv", file}, {"--json", file}, {file}, {"--help"}}) {
        ProcessRun run;
        run.standardOutputFile = "/dev/full";
        const ProcessResult result = cli(arguments, run);
        EXPECT_EQ(result.exitStatus, 1) << arguments.front();
        EXPECT_EQ(result.standardError,
                  "glyphmeter-cli: standard output: No space left on device\n");
    }
}
#endif

}  // namespace
}  // namespace glyphmeter::testing
