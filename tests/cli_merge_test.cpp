// glyphmeter-cli --merge run as a separate process: the sum of what --json wrote for parts of a
// corpus against one run's total over all of it, the letter limit mark, and the refusals.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "CliRun.h"
#include "TempDir.h"

namespace glyphmeter::testing {
namespace {

std::vector<std::string> joined(std::vector<std::string> first,
                                const std::vector<std::string>& more) {
    first.insert(first.end(), more.begin(), more.end());
    return first;
}

// `json` with the first `from` in it replaced by `to`.
std::string edited(std::string json, const std::string& from, const std::string& to) {
    return json.replace(json.find(from), from.size(), to);
}

// The total's part of a run over several files, shaped as the report of one file: the table
// after "Total of N files", the *total* CSV lines without their first field, the last object.
std::string totalPart(const std::string& output, const std::string& format) {
    if (format == "--json") {
        return nlohmann::json::parse(output).back().dump();
    }
    if (format == "--csv") {
        std::string part =
            output.substr(output.find(',') + 1, output.find('\n') - output.find(','));
        for (std::size_t at = output.find("\n*total*,"); at != std::string::npos;
             at = output.find("\n*total*,", at + 1)) {
            const std::size_t start = at + 9;
            part += output.substr(start, output.find('\n', start) + 1 - start);
        }
        return part;
    }
    const std::size_t heading = output.find("Total of ");
    return output.substr(output.find('\n', heading) + 1);
}

TEST(CommandLineMerge, sum_of_per_file_json_is_the_total_of_one_run_over_all_files) {
    TempDir dir;
    const std::vector<std::string> files = {
        dir.write("one.txt", "The theme, then. Quizzical jackdaws vex my big sphinx.").string(),
        dir.write("two.txt", "Hello, World: Größe Äpfel über Straße — Привет, мир!").string(),
        dir.write("empty.txt", "").string(),
        dir.write("three.txt", "A zebra's quartz-blue ox, then the theme again.").string()};
    // How the parts are counted, the report options both the run and the merge are given, and
    // what the merge alone is given.
    const struct {
        std::vector<std::string> counting;
        std::vector<std::string> report;
        std::vector<std::string> merging;
    } cases[] = {
        {{}, {}, {}},
        {{}, {"--sort=count"}, {}},
        {{}, {"--stats", "--language=de"}, {}},
        {{"--ngrams=2"}, {}, {}},
        {{"--ngrams=2"}, {"--sort=alpha", "--top=3"}, {}},
        {{"--ngrams=4"}, {}, {}},
        {{"--ngrams=3", "--span-words"}, {"--top=2"}, {}},
        // Other alphabets: named by the files, or by the merge's options.
        {{"--alphabet=de"}, {"--sort=count"}, {}},
        {{"--alphabet=ru"}, {"--stats"}, {"--alphabet=ru"}},
        {{"--letters=eèh"}, {}, {"--letters=eèh"}},
    };
    for (const auto& c : cases) {
        // Parts as a merge meets them: one file's object, an array of two files (with its
        // total), and one file's object from standard input; listed in --sort=count order.
        const ProcessResult first =
            cli(joined(joined({"--json", "--sort=count"}, c.counting), {files[0]}));
        const ProcessResult pair =
            cli(joined(joined({"--json"}, c.counting), {files[1], files[2]}));
        const ProcessResult last = cli(joined(joined({"--json"}, c.counting), {files[3]}));
        ASSERT_EQ(first.exitStatus, 0) << first.standardError;
        const std::string firstJson = dir.write("first.json", first.standardOutput).string();
        const std::string pairJson = dir.write("pair.json", pair.standardOutput).string();
        for (const std::string format : {"", "--csv", "--json"}) {
            std::vector<std::string> shape = c.report;
            if (!format.empty()) {
                shape.push_back(format);
            }
            const ProcessResult run = cli(joined(joined(shape, c.counting), files));
            ProcessRun merging;
            merging.standardInput = last.standardOutput;
            const ProcessResult merged = cli(
                joined(joined(joined({"--merge"}, c.merging), shape), {firstJson, "-", pairJson}),
                merging);
            const std::string label = c.counting.empty() ? "letters" : c.counting.front();
            ASSERT_EQ(merged.exitStatus, 0) << label << ' ' << format << merged.standardError;
            EXPECT_EQ(merged.standardError, "");
            if (format == "--json") {
                const nlohmann::json sum = nlohmann::json::parse(merged.standardOutput);
                EXPECT_EQ(sum.dump(), totalPart(run.standardOutput, format)) << label;
                // What --merge writes it reads again, as one file's object (not after --top,
                // which leaves sequences out).
                const std::string sumJson = dir.write("sum.json", merged.standardOutput).string();
                if (c.report.empty() || c.report.back().rfind("--top", 0) != 0) {
                    EXPECT_EQ(cli(joined(joined(joined({"--merge"}, c.merging), shape), {sumJson}))
                                  .standardOutput,
                              merged.standardOutput);
                }
            } else {
                EXPECT_EQ(merged.standardOutput, totalPart(run.standardOutput, format))
                    << label << ' ' << format;
            }
        }
    }
}

TEST(CommandLineMerge, a_count_stopped_at_the_limit_stays_marked_in_the_sum) {
    TempDir dir;
    const std::string text = dir.write("text.txt", "Hello, World").string();
    for (const std::string counting : {"--ngrams=1", "--ngrams=2"}) {
        ProcessRun limited;
        limited.environment = {{"GLYPHMETER_LETTER_LIMIT", "4"}};
        const std::string stopped =
            dir.write("stopped.json", cli({"--json", counting, text}, limited).standardOutput)
                .string();
        const std::string whole =
            dir.write("whole.json", cli({"--json", counting, text}).standardOutput).string();
        const ProcessResult merged = cli({"--merge", "--json", whole, stopped});
        EXPECT_EQ(merged.exitStatus, 0);
        EXPECT_TRUE(nlohmann::json::parse(merged.standardOutput)["limitReached"]) << counting;
        EXPECT_EQ(merged.standardError, "glyphmeter-cli: " + stopped +
                                            ": holds a count that stopped at the letter limit\n");
        EXPECT_FALSE(nlohmann::json::parse(
            cli({"--merge", "--json", whole}).standardOutput)["limitReached"]);
    }
}

TEST(CommandLineMerge, counts_past_32_bits_add_up_in_64) {
    TempDir dir;
    const std::string text = dir.write("text.txt", "Hello, World").string();
    const std::string object = cli({"--json", text}).standardOutput;
    const std::string big =
        dir.write("big.json", edited(edited(object, "\"total\": 10", "\"total\": 3000000007"),
                                     "\"count\": 3", "\"count\": 3000000000"))
            .string();
    const ProcessResult merged = cli({"--merge", "--csv", big, big});
    EXPECT_EQ(merged.exitStatus, 0) << merged.standardError;
    EXPECT_NE(merged.standardOutput.find("\nL,6000000000,1.0000\n"), std::string::npos);
}

TEST(CommandLineMerge, refuses_json_it_did_not_write_or_of_another_kind_naming_the_file) {
    TempDir dir;
    const std::string text = dir.write("text.txt", "Hello, World").string();
    const std::string letters =
        dir.write("letters.json", cli({"--json", text}).standardOutput).string();
    const std::string bigrams =
        dir.write("bigrams.json", cli({"--json", "--ngrams=2", text}).standardOutput).string();
    const std::string top =
        dir.write("top.json", cli({"--json", "--ngrams=2", "--top=1", text}).standardOutput)
            .string();
    const std::string german =
        dir.write("de.json", cli({"--json", "--alphabet=de", text}).standardOutput).string();
    const std::string custom =
        dir.write("custom.json", cli({"--json", "--letters=lo", text}).standardOutput).string();
    const std::string pair = cli({"--json", text, text}).standardOutput;
    const std::string object = cli({"--json", text}).standardOutput;
    const std::string listed = cli({"--json", "--ngrams=2", text}).standardOutput;
    const struct {
        std::string content;  // of the second FILE, after letters.json
        std::vector<std::string> options;
        std::string reason;
    } cases[] = {
        {"[1", {}, "not JSON: line 1, column 3: syntax error"},
        {"42", {}, "neither an object nor an array"},
        {listed, {}, "counts letter sequences, not single letters"},
        {edited(object, "\"total\": 10", "\"sum\": 10"), {}, "unknown key \"sum\""},
        {edited(object, "\"count\": 3", "\"count\": -3"), {}, "the count of L is negative"},
        {edited(object, "\"count\": 3", "\"count\": 3.0"), {}, "the count of L is not a whole"},
        {edited(object, "\"count\": 3", "\"count\": 4"), {}, "add up to 11, not to \"total\" 10"},
        {edited(object, "\"file\"", "\"alphabet\": \"greek\", \"file\""),
         {},
         "alphabet \"greek\", not \"latin\""},
        {edited(pair, "\"*total*\"", "\"t\""), {}, "last entry is not the \"*total*\" one"},
        {edited(pair, "\"total\": 10", "\"total\": 11"), {}, "not to \"total\" 11"},
        {edited(edited(pair, "\"count\": 3", "\"count\": 4"), "\"total\": 10", "\"total\": 11"),
         {},
         "do not add up to its \"*total*\" entry"},
        {"{}", {"--ngrams=2"}, "counts single letters, not letter sequences"},
    };
    for (const auto& c : cases) {
        const std::string second = dir.write("second.json", c.content).string();
        const ProcessResult merged = cli(joined(joined({"--merge"}, c.options), {letters, second}));
        const std::string culprit = c.options.empty() ? second : letters;
        EXPECT_EQ(merged.exitStatus, 2) << c.reason;
        EXPECT_EQ(merged.standardOutput, "");
        EXPECT_NE(merged.standardError.find("glyphmeter-cli: " + culprit + ": "), std::string::npos)
            << merged.standardError;
        EXPECT_NE(merged.standardError.find(c.reason), std::string::npos) << merged.standardError;
    }
    const struct {
        std::vector<std::string> arguments;
        std::string reason;
    } kinds[] = {
        {{"--ngrams=3", bigrams}, "counts sequences of 2 letters, not of 3"},
        {{bigrams, letters}, "counts single letters, not letter sequences"},
        {{"--stats", bigrams}, "--stats does not measure"},
        {{"--top=2", letters}, "--top does not apply to"},
        {{top}, "(--json --top lists only some of them)"},
        {{"--alphabet=ru", german}, "counts the alphabet \"de\", not \"ru\""},
        {{german, letters}, "counts the alphabet \"latin\", not \"de\""},
        {{"--alphabet=de", bigrams}, "counts the alphabet \"latin\", not \"de\""},
        {{custom}, "give its letters with --letters"},
        {{"--letters=lox", custom}, "is not an object with the letters of the alphabet custom"},
        {{"--encoding=koi8-r", letters}, "--encoding cannot be used with --merge"},
    };
    for (const auto& c : kinds) {
        const ProcessResult merged = cli(joined({"--merge"}, c.arguments));
        EXPECT_EQ(merged.exitStatus, 2) << c.reason;
        EXPECT_NE(merged.standardError.find(c.reason), std::string::npos) << merged.standardError;
    }
    // A FILE that cannot be read is an ordinary failure, and nothing is written.
    const std::string missing = (dir.path() / "missing.json").string();
    const ProcessResult unread = cli({"--merge", letters, missing});
    EXPECT_EQ(unread.exitStatus, 1);
    EXPECT_EQ(unread.standardOutput, "");
    // Named as when counting; the reason is the system's own words (Windows words it otherwise).
    EXPECT_EQ(unread.standardError.rfind("glyphmeter-cli: " + missing + ": ", 0), 0u)
        << unread.standardError;
#ifndef _WIN32
    EXPECT_EQ(unread.standardError, "glyphmeter-cli: " + missing + ": No such file or directory\n");
#endif
    EXPECT_EQ(cli({"--merge", "--ngrams=2", "--span-words", bigrams}).exitStatus, 2);
}

}  // namespace
}  // namespace glyphmeter::testing
