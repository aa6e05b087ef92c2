// glyphmeter-cli over many files: counted side by side yet exactly as one by one, the names from
// --files0-from (for letters and sequences), and a reader thread's failure reported like any other.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <new>
#include <string>
#include <vector>

#include "CliRun.h"
#include "LetterTally.h"
#include "Program.h"
#include "TempDir.h"

namespace glyphmeter::testing {
namespace {

// Splits CSV output of several files into each file's 26 lines, by the file field.
std::string linesOf(const std::string& csv, const std::string& file) {
    std::string out;
    std::size_t start = 0;
    for (std::size_t end; (end = csv.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string line = csv.substr(start, end - start + 1);
        if (line.starts_with(file + ",")) {
            out += line.substr(file.size() + 1);
        }
    }
    return out;
}

// More files than workers and waiting outcomes, of every size from empty to several blocks read
// by two readers, with missing files, a folder, standard input and the letter limit among them:
// the results and messages are those of counting each file alone, in command-line order.
TEST(CommandLineFiles, many_files_give_the_results_of_counting_each_alone_in_order) {
    TempDir dir;
    std::vector<std::string> files;
    for (int i = 0; i < 70; ++i) {
        const std::string number = std::to_string(i);
        if (i % 17 == 5) {
            files.push_back((dir.path() / ("missing" + number)).string());
        } else if (i == 40) {
            files.push_back("-");
        } else if (i == 60) {
            files.push_back(dir.path().string());
        } else {
            // Sizes from 0 up; every thirtieth file spans three blocks of a megabyte.
            const std::size_t size = i % 30 == 7 ? (std::size_t{3} << 20) + 11 : i * i * 13;
            std::string text;
            for (std::size_t at = 0; at < size; ++at) {
                text += "The quick brown fox jumps over the lazy dog.\n"[(at * 7 + i) % 45];
            }
            files.push_back(dir.write("f" + number, text).string());
        }
    }
    ProcessRun run = {};
    run.standardInput = "Standard input, in the middle";
    run.environment = {{"GLYPHMETER_LETTER_LIMIT", "1000000"}};

    std::vector<std::string> arguments = files;
    arguments.insert(arguments.begin(), "--csv");
    const ProcessResult all = cli(arguments, run);
    EXPECT_EQ(all.exitStatus, 1);

    std::string expectedErrors;
    for (const std::string& file : files) {
        const ProcessResult alone = cli({"--csv", file}, run);
        expectedErrors += alone.standardError;
        const std::string letters =
            alone.exitStatus == 0 ? alone.standardOutput.substr(alone.standardOutput.find('\n') + 1)
                                  : "";
        ASSERT_EQ(linesOf(all.standardOutput, file), letters) << file;
    }
    EXPECT_EQ(all.standardError, expectedErrors);
    const std::size_t lineCount = static_cast<std::size_t>(
        std::count(all.standardOutput.begin(), all.standardOutput.end(), '\n'));
    const std::size_t failures = 5;  // four missing files and the folder
    EXPECT_EQ(lineCount, 1 + 26 * (files.size() - failures) + 26);
}

// Names with spaces, line ends and (where names are bytes) bytes that are not UTF-8, an empty name
// and names read from a file or standard input: the same as the names given as arguments.
TEST(CommandLineFiles, files0_from_reads_nul_ended_names_from_a_file_or_standard_input) {
    TempDir dir;
    std::vector<std::string> names = {"plain.txt", "with space.txt"};
#ifndef _WIN32
    // Not file names on Windows.
    names.push_back("line\nend.txt");
    names.push_back("latin1-\xe9t\xe9.txt");
#endif
    std::string list;
    std::vector<std::string> arguments = {"--csv"};
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string path = dir.write(names[i], std::string(i + 1, 'a') + "bc").string();
        list += path + '\0';
        arguments.push_back(path);
    }
    const ProcessResult asArguments = cli(arguments);
    ASSERT_EQ(asArguments.exitStatus, 0) << asArguments.standardError;

    const std::string listFile = dir.write("list", list).string();
    ProcessRun fromInput;
    fromInput.standardInput = list;
    for (const ProcessResult& result : {cli({"--csv", "--files0-from=" + listFile}),
                                        cli({"--csv", "--files0-from", "-"}, fromInput)}) {
        EXPECT_EQ(result.exitStatus, 0) << result.standardError;
        EXPECT_EQ(result.standardOutput, asArguments.standardOutput);
        EXPECT_EQ(result.standardError, "");
    }

    // An empty name is reported with its place in the list, and the rest are counted; so is a
    // "-" among names read from standard input. The last name needs no NUL.
    const std::string first = arguments[1];
    const std::string last = arguments.back();
    fromInput.standardInput = first + '\0' + '\0' + "-" + '\0' + last;
    const ProcessResult gaps = cli({"--csv", "--files0-from=-"}, fromInput);
    EXPECT_EQ(gaps.exitStatus, 1);
    EXPECT_EQ(gaps.standardError,
              "glyphmeter-cli: -:2: invalid zero-length file name\n"
              "glyphmeter-cli: -:3: file name '-' not allowed when the names are read from "
              "standard input\n");
    EXPECT_EQ(linesOf(gaps.standardOutput, first), linesOf(asArguments.standardOutput, first));
    EXPECT_EQ(linesOf(gaps.standardOutput, last), linesOf(asArguments.standardOutput, last));

    // A list naming one file gives that file's own shape; an empty list, the total of none.
    const ProcessResult one = cli({"--csv", "--files0-from=" + dir.write("one", first).string()});
    EXPECT_EQ(one.standardOutput, cli({"--csv", first}).standardOutput);
    const ProcessResult none = cli({"--csv", "--files0-from=" + dir.write("none", "").string()});
    EXPECT_EQ(none.exitStatus, 0);
    EXPECT_EQ(linesOf(none.standardOutput, "*total*").substr(0, 9), "A,0,0.000");

    const std::string missing = (dir.path() / "no-list").string();
    const ProcessResult unreadable = cli({"--files0-from=" + missing});
    EXPECT_EQ(unreadable.exitStatus, 1);
    EXPECT_TRUE(unreadable.standardError.starts_with("glyphmeter-cli: " + missing + ": "))
        << unreadable.standardError;
    EXPECT_EQ(unreadable.standardOutput, "");
}

// --ngrams over names read with --files0-from: files of every size (one several blocks long, one
// UTF-16), a missing one and an empty name among them, counted side by side (bigrams) or one at a
// time (quadgrams): each file's sequences are those of counting it alone, the messages come in
// list order, and the total adds up every file's sequences.
TEST(CommandLineFiles, ngrams_of_listed_files_are_those_of_each_file_counted_alone) {
    TempDir dir;
    std::vector<std::string> files;
    std::string list;
    for (int i = 0; i < 30; ++i) {
        std::string file;
        if (i == 9) {
            file = (dir.path() / "missing").string();
        } else if (i == 17) {
            file = dir.write("utf16", std::string("\xff\xfeT\0h\0e\0 \0e\0n\0d\0", 16)).string();
        } else if (i == 27) {
            // Letters at random: nearly every quadgram of the file is a different one, more than
            // a report made ahead of its turn may hold.
            std::string text(20000, 'a');
            std::uint32_t state = 12345;
            for (char& c : text) {
                state = state * 1103515245 + 12345;
                c = static_cast<char>('a' + (state >> 16) % 26);
            }
            file = dir.write("random", text).string();
        } else {
            const std::size_t size = i == 23 ? (std::size_t{5} << 19) + 3 : i * i * 7;
            std::string text;
            for (std::size_t at = 0; at < size; ++at) {
                text += "Sphinx of black quartz, judge my vow!\n"[(at * 5 + i) % 38];
            }
            file = dir.write("f" + std::to_string(i), text).string();
        }
        files.push_back(file);
        list += file + '\0' + (i == 12 ? std::string(1, '\0') : "");
    }
    ProcessRun fromInput;
    fromInput.standardInput = list;
    // Quadgram files, small and of several blocks, are counted side by side as the others are.
    const std::vector<std::vector<std::string>> optionSets{
        {"--ngrams=2"}, {"--ngrams=4"}, {"--ngrams=4", "--span-words", "--sort=alpha"}};
    for (const std::vector<std::string>& options : optionSets) {
        std::vector<std::string> arguments = options;
        arguments.insert(arguments.end(), {"--csv", "--files0-from=-"});
        const ProcessResult all = cli(arguments, fromInput);
        EXPECT_EQ(all.exitStatus, 1);
        std::string expectedErrors;
        std::uint64_t sequences = 0;
        for (std::size_t i = 0; i < files.size(); ++i) {
            std::vector<std::string> one = options;
            one.insert(one.end(), {"--csv", files[i]});
            const ProcessResult alone = cli(one);
            expectedErrors += alone.standardError;
            if (i == 12) {
                expectedErrors += "glyphmeter-cli: -:14: invalid zero-length file name\n";
            }
            const std::string lines =
                alone.standardOutput.substr(alone.standardOutput.find('\n') + 1);
            ASSERT_EQ(linesOf(all.standardOutput, files[i]), lines) << options[0] << files[i];
            for (std::size_t at = 0; (at = lines.find(',', at)) != std::string::npos;) {
                sequences += std::stoull(lines.substr(at + 1));
                at = lines.find('\n', at);
            }
        }
        EXPECT_EQ(all.standardError, expectedErrors) << options[0];
        const std::string total = linesOf(all.standardOutput, "*total*");
        std::uint64_t totalSequences = 0;
        for (std::size_t at = 0; (at = total.find(',', at)) != std::string::npos;) {
            totalSequences += std::stoull(total.substr(at + 1));
            at = total.find('\n', at);
        }
        EXPECT_EQ(totalSequences, sequences) << options[0];
        EXPECT_GT(sequences, 0u);
    }
}

// The second reader of a large file fails as it starts, as when no memory is left for its buffer:
// that file is reported with the reason, the next is still counted, and the status is 1; for
// letters and sequences alike.
TEST(CommandLineFiles, failure_in_a_reader_thread_is_that_files_failure) {
    if (analysis::processorCount() < 2) {
        GTEST_SKIP() << "one processor: the tally never starts a second reader";
    }
    TempDir dir;
    const std::string large =
        dir.write("large.txt", std::string(std::size_t{3} << 20, 'a')).string();
    const std::string small = dir.write("small.txt", "Hello, World").string();
    const struct {
        std::vector<std::string> options;
        std::string smallLines;
    } cases[] = {
        {{"--csv"}, helloCsv.substr(helloCsv.find('\n') + 1)},
        {{"--csv", "--ngrams=2"},
         "EL,1,0.125000\nHE,1,0.125000\nLD,1,0.125000\nLL,1,0.125000\nLO,1,0.125000\n"
         "OR,1,0.125000\nRL,1,0.125000\nWO,1,0.125000\n"},
        {{"--csv", "--ngrams=4"},
         "ELLO,1,0.250000\nHELL,1,0.250000\nORLD,1,0.250000\nWORL,1,0.250000\n"},
    };
    for (const auto& c : cases) {
        std::vector<cli::Argument> arguments;
        for (const std::string& argument : c.options) {
            arguments.push_back(std::filesystem::path(argument).native());
        }
        for (const std::string& file : {large, small}) {
            arguments.push_back(std::filesystem::path(file).native());
        }
        analysis::detail::secondReaderStarting = [] { throw std::bad_alloc(); };
        ::testing::internal::CaptureStdout();
        ::testing::internal::CaptureStderr();
        const int status = cli::runProgram(arguments);
        const std::string output = ::testing::internal::GetCapturedStdout();
        const std::string errors = ::testing::internal::GetCapturedStderr();
        analysis::detail::secondReaderStarting = nullptr;
        EXPECT_EQ(status, cli::exitFailure) << c.options.back();
        EXPECT_EQ(errors, "glyphmeter-cli: " + large + ": " +
                              std::generic_category().message(ENOMEM) + "\n");
        EXPECT_EQ(linesOf(output, small), c.smallLines) << c.options.back();
        EXPECT_EQ(linesOf(output, large), "") << c.options.back();
    }
}

}  // namespace
}  // namespace glyphmeter::testing
