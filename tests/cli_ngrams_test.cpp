// glyphmeter-cli --ngrams run as a separate process: the exact output shapes, the orders and
// --top, several files, UTF-16 and the limit, the usage errors, and the sequences of alphabets
// other than A to Z.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "CliRun.h"
#include "TempDir.h"

namespace glyphmeter::testing {
namespace {

// "The theme, then.": bigrams TH HE, TH HE EM ME, TH HE EN: 9, TH 3, HE 3, EM, EN, ME 1 each;
// trigrams THE 3, HEM, EME, HEN; quadgrams THEM, HEME, THEN. Across words the letters
// THETHEMETHEN give ten trigrams, THE 3 and ETH 2 the most frequent.
const std::string theme = "The theme, then.";

TEST(CommandLineNgrams, outputs_list_the_sequences_that_occur_in_each_order_and_shape) {
    TempDir dir;
    const std::string file = dir.write("theme.txt", theme).string();
    const std::string jsonName = nlohmann::json(file).dump();
    const struct {
        std::vector<std::string> options;
        std::string output;
    } cases[] = {
        {{"--csv", "--ngrams=2"},
         "ngram,count,frequency\nHE,3,0.333333\nTH,3,0.333333\nEM,1,0.111111\nEN,1,0.111111\n"
         "ME,1,0.111111\n"},
        {{"--csv", "--ngrams", "2", "--sort=alpha"},
         "ngram,count,frequency\nEM,1,0.111111\nEN,1,0.111111\nHE,3,0.333333\nME,1,0.111111\n"
         "TH,3,0.333333\n"},
        {{"--csv", "--ngrams=2", "--top=3"},
         "ngram,count,frequency\nHE,3,0.333333\nTH,3,0.333333\nEM,1,0.111111\n"},
        {{"--csv", "--ngrams=2", "--top", "2", "--sort=alpha"},
         "ngram,count,frequency\nEM,1,0.111111\nEN,1,0.111111\n"},
        {{"--csv", "--ngrams=3", "--top=1"}, "ngram,count,frequency\nTHE,3,0.500000\n"},
        {{"--csv", "--ngrams=3", "--span-words", "--top=2"},
         "ngram,count,frequency\nTHE,3,0.300000\nETH,2,0.200000\n"},
        {{"--csv", "--ngrams=4"},
         "ngram,count,frequency\nHEME,1,0.333333\nTHEM,1,0.333333\nTHEN,1,0.333333\n"},
        {{"--ngrams=2", "--top=2"},
         "  Bigram        Count   Frequency\n"
         "      HE            3    0.333333  ###################################\n"
         "      TH            3    0.333333  ###################################\n"
         "\nTotal bigrams: 9\n"},
        {{"--json", "--ngrams=4", "--sort=count"},
         "{\n  \"file\": " + jsonName +
             ",\n  \"ngram_length\": 4,\n  \"total_ngrams\": 3,\n  \"limitReached\": false,\n"
             "  \"ngrams\": [\n"
             "    {\"ngram\": \"HEME\", \"count\": 1, \"frequency\": 0.333333},\n"
             "    {\"ngram\": \"THEM\", \"count\": 1, \"frequency\": 0.333333},\n"
             "    {\"ngram\": \"THEN\", \"count\": 1, \"frequency\": 0.333333}\n  ]\n}\n"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> arguments = c.options;
        arguments.push_back(file);
        const ProcessResult result = cli(arguments);
        EXPECT_EQ(result.exitStatus, 0);
        EXPECT_EQ(result.standardError, "");
        EXPECT_EQ(result.standardOutput, c.output) << c.options[1];
    }

    // No sequence: nothing listed, an empty list in JSON; --ngrams=1 is the letter count.
    const std::string none = dir.write("none.txt", "a b c").string();
    EXPECT_EQ(cli({"--csv", "--ngrams=2", none}).standardOutput, "ngram,count,frequency\n");
    const auto empty = nlohmann::json::parse(cli({"--json", "--ngrams=3", none}).standardOutput);
    EXPECT_EQ(empty["total_ngrams"], 0);
    EXPECT_EQ(empty["ngrams"], nlohmann::json::array());
    for (const char* format : {"--csv", "--json", "--sort=count"}) {
        EXPECT_EQ(cli({format, "--ngrams=1", file}).standardOutput,
                  cli({format, file}).standardOutput)
            << format;
    }
}

TEST(CommandLineNgrams, several_files_never_join_and_end_with_the_total) {
    TempDir dir;
    // "ab" + "cd" would make BC if the files ran together, even when spanning words.
    const std::string first = dir.write("1.txt", "ab").string();
    ProcessRun run;
    run.standardInput = "cd\xff\xfe";  // no byte-order mark where the file does not start with it
    const ProcessResult csv = cli({"--csv", "--ngrams=2", "--span-words", first, "-"}, run);
    EXPECT_EQ(csv.exitStatus, 0);
    EXPECT_EQ(csv.standardOutput, "file,ngram,count,frequency\n" + first +
                                      ",AB,1,1.000000\n-,CD,1,1.000000\n"
                                      "*total*,AB,1,0.500000\n*total*,CD,1,0.500000\n");

    const std::string missing = (dir.path() / "missing.txt").string();
    const ProcessResult json = cli({"--json", "--ngrams=2", first, missing, first});
    EXPECT_EQ(json.exitStatus, 1);
    EXPECT_TRUE(json.standardError.starts_with("glyphmeter-cli: " + missing + ": "));
    const auto parsed = nlohmann::json::parse(json.standardOutput);
    ASSERT_EQ(parsed.size(), 3u);
    EXPECT_EQ(parsed[2]["file"], "*total*");
    EXPECT_EQ(parsed[2]["total_ngrams"], 2);
    EXPECT_EQ(parsed[2]["ngrams"][0],
              nlohmann::json::parse(R"({"ngram": "AB", "count": 2, "frequency": 1.0})"));

    const ProcessResult table = cli({"--ngrams=3", first, first});
    EXPECT_NE(table.standardOutput.find("File: " + first + "\n"), std::string::npos);
    EXPECT_TRUE(table.standardOutput.ends_with(
        "Total of 2 files\n Trigram        Count   Frequency\n\nTotal trigrams: 0\n"))
        << table.standardOutput;
}

TEST(CommandLineNgrams, utf16_text_and_the_letter_limit_count_as_for_letters) {
    // "Tê te" in UTF-16LE: the ê breaks the run.
    std::string utf16 = "\xff\xfe";
    for (const char16_t unit : std::u16string(u"T\u00eate te")) {
        utf16 += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    }
    TempDir dir;
    const std::string file = dir.write("utf16.txt", utf16).string();
    EXPECT_EQ(cli({"--csv", "--ngrams=2", file}).standardOutput,
              "ngram,count,frequency\nTE,2,1.000000\n");

    // Stops after the fifth letter, the H of "theme": TH HE TH.
    ProcessRun limited;
    limited.environment.push_back({"GLYPHMETER_LETTER_LIMIT", "5"});
    const ProcessResult result =
        cli({"--json", "--ngrams=2", dir.write("theme.txt", theme).string()}, limited);
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_NE(result.standardError.find("maximum of 5 chars."), std::string::npos);
    const auto parsed = nlohmann::json::parse(result.standardOutput);
    EXPECT_EQ(parsed["total_ngrams"], 3);
    EXPECT_EQ(parsed["limitReached"], true);
}

TEST(CommandLineNgrams, wrong_sequence_options_are_usage_errors) {
    TempDir dir;
    const std::string file = dir.write("a.txt", "abc").string();
    const struct {
        std::vector<std::string> arguments;
        std::string message;
    } cases[] = {
        {{"--ngrams=5", file}, "'--ngrams' takes a sequence length from 2 to 4"},
        {{"--ngrams=0", file}, "'--ngrams' takes a sequence length from 2 to 4"},
        {{"--ngrams=2x", file}, "'--ngrams' takes a sequence length from 2 to 4"},
        {{file, "--ngrams"}, "option '--ngrams' needs a value"},
        {{"--ngrams=2", "--stats", file}, "--stats measures single letters"},
        {{"--ngrams=3", "--top=0", file}, "'--top' takes a positive whole number, not '0'"},
        {{"--ngrams=3", "--top=-4", file}, "'--top' takes a positive whole number"},
        {{"--ngrams=3", "--top=", file}, "'--top' takes a positive whole number"},
        {{"--top=5", file}, "--top lists letter sequences: it needs --ngrams=2, 3 or 4"},
        {{"--span-words", file}, "--span-words applies to --ngrams"},
    };
    for (const auto& c : cases) {
        const ProcessResult result = cli(c.arguments);
        EXPECT_EQ(result.exitStatus, 2) << c.message;
        EXPECT_TRUE(result.standardError.starts_with("glyphmeter-cli: " + c.message))
            << result.standardError;
        EXPECT_EQ(result.standardOutput, "");
    }
}

// German (with a decomposed ü and an invalid byte, which breaks a sequence) and Russian in every
// format, a custom alphabet named as its letters are given, --merge of such JSON, and A to Z
// through the alphabet options counting as without them.
TEST(CommandLineNgrams, sequences_of_an_alphabet_are_named_by_its_letters_in_every_format) {
    TempDir dir;
    const std::string german = dir.write("de.txt",
                                         "Mu\u0308he \xFF"
                                         "über \u00dcbel")
                                   .string();
    const std::string russian = dir.write("ru.txt", "Жили-были").string();
    const std::string commas = dir.write("commas.txt", "a,a").string();
    const struct {
        std::vector<std::string> arguments;
        std::string output;
    } cases[] = {
        {{"--csv", "--ngrams=2", "--alphabet=de", german},
         "ngram,count,frequency\nBE,2,0.222222\nÜB,2,0.222222\nEL,1,0.111111\nER,1,0.111111\n"
         "HE,1,0.111111\nMÜ,1,0.111111\nÜH,1,0.111111\n"},
        {{"--ngrams=2", "--alphabet=ru", "--top=2", russian},
         "  Bigram        Count   Frequency\n"
         "      ЛИ            2    0.333333  ###################################\n"
         "      БЫ            1    0.166667  ##################\n"
         "\nTotal bigrams: 6\n"},
        {{"--csv", "--ngrams=2", "--letters=a,", commas},
         "ngram,count,frequency\n\"a,\",1,0.500000\n\",a\",1,0.500000\n"},
    };
    for (const auto& c : cases) {
        const ProcessResult result = cli(c.arguments);
        EXPECT_EQ(result.exitStatus, 0);
        EXPECT_EQ(result.standardOutput, c.output) << c.arguments[2];
    }
    const ProcessResult reported = cli({"--csv", "--ngrams=2", "--alphabet=de", german});
    EXPECT_EQ(reported.standardError,
              "glyphmeter-cli: " + german + ": 1 invalid UTF-8 sequence, at byte 7\n");

    const ProcessResult json = cli({"--json", "--ngrams=2", "--alphabet=ru", "--top=1", russian});
    EXPECT_EQ(json.standardOutput, "{\n  \"file\": " + nlohmann::json(russian).dump() +
                                       ",\n  \"alphabet\": \"ru\",\n  \"ngram_length\": 2,\n"
                                       "  \"total_ngrams\": 6,\n  \"limitReached\": false,\n"
                                       "  \"ngrams\": [\n"
                                       "    {\"ngram\": \"ЛИ\", \"count\": 2, \"frequency\": "
                                       "0.333333}\n  ]\n}\n");

    // --merge adds up files of the first file's alphabet; a custom one needs the same letters.
    const auto write = [&](const std::string& name, const std::vector<std::string>& arguments) {
        return dir.write(name, cli(arguments).standardOutput).string();
    };
    const std::string both =
        write("both.json", {"--json", "--ngrams=2", "--alphabet=de", german, russian});
    const std::string one = write("de.json", {"--json", "--ngrams=2", "--alphabet=de", german});
    const auto total =
        nlohmann::json::parse(
            cli({"--json", "--ngrams=2", "--alphabet=de", german, german, russian}).standardOutput)
            .back();
    EXPECT_EQ(nlohmann::json::parse(cli({"--merge", "--json", one, both}).standardOutput), total);
    const std::string custom =
        write("custom.json", {"--json", "--ngrams=2", "--letters=a,", commas});
    EXPECT_NE(cli({"--merge", "--letters=ab", custom})
                  .standardError.find("not 2 letters of the alphabet \"custom\""),
              std::string::npos);
    EXPECT_EQ(cli({"--merge", "--csv", "--letters=a,", custom}).standardOutput, cases[2].output);

    // A to Z named, or read through an explicit encoding, counts as without the options.
    const std::string theme = dir.write("theme.txt", "The theme, then.").string();
    const std::string plain = cli({"--csv", "--ngrams=3", theme}).standardOutput;
    EXPECT_EQ(cli({"--csv", "--ngrams=3", "--alphabet=latin", theme}).standardOutput, plain);
    EXPECT_EQ(
        cli({"--csv", "--ngrams=3", "--alphabet=en", "--encoding=utf-8", theme}).standardOutput,
        plain);
}

}  // namespace
}  // namespace glyphmeter::testing
