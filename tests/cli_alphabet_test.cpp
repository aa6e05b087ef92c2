// glyphmeter-cli counting the letters of other alphabets: real sentences written as UTF-8, as
// NFD, as UTF-16 and in a code page count alike; the letters in the alphabet's order in every
// format; invalid text reported once per file; the usage errors of the alphabet options.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "AlphabetKind.h"
#include "CliRun.h"
#include "TempDir.h"
#include "TextEncoding.h"
#include "UnicodeTables.h"

namespace glyphmeter::testing {
namespace {

using analysis::TextEncoding;

std::u32string codePoints(const std::string& utf8) {
    std::u32string out;
    for (std::size_t at = 0; at < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[at]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t c = length == 1 ? lead : lead & (0x3F >> (length - 1));
        for (std::size_t k = 1; k < length; ++k) {
            c = c << 6 | (static_cast<unsigned char>(utf8[at + k]) & 0x3F);
        }
        out.push_back(c);
        at += length;
    }
    return out;
}

std::string nfd(const std::string& utf8) {
    std::u32string decomposed;
    for (const char32_t c : codePoints(utf8)) {
        analysis::unicode::appendDecomposition(c, decomposed);
    }
    std::string out;
    for (const char32_t c : decomposed) {
        analysis::unicode::appendUtf8(c, out);
    }
    return out;
}

std::string utf16(const std::string& utf8, bool bigEndian) {
    std::string out;
    for (const char32_t c : codePoints(utf8)) {
        const auto unit = static_cast<char16_t>(c);  // the sentences stay in the BMP
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        out += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return out;
}

std::string codePage(const std::string& utf8, TextEncoding encoding) {
    const auto upper = analysis::codePageUpperHalf(encoding);
    std::string out;
    for (const char32_t c : codePoints(utf8)) {
        if (c < 0x80) {
            out += static_cast<char>(c);
            continue;
        }
        for (std::size_t i = 0; i < upper.size(); ++i) {
            if (upper[i] == c) {
                out += static_cast<char>(0x80 + i);
                break;
            }
        }
    }
    return out;
}

// Each sentence in every form gives the CSV of its UTF-8 form, and that holds the letters named.
TEST(AlphabetCli, sentences_in_utf8_nfd_utf16_and_a_code_page_count_alike) {
    const struct {
        std::string alphabet;
        std::string sentence;
        TextEncoding codePage;
        std::vector<std::string> lines;  // some CSV lines of the result
    } cases[] = {
        {"de",
         "Größe Äpfel über Straße — naïve café. Zwölf Boxkämpfer jagen Viktor quer über den Sylter "
         "Deich.",
         TextEncoding::windows1252,
         {"Ä,2,", "Ö,2,", "Ü,2,", "ß,2,"}},
        {"fr",
         "Voix ambiguë d'un cœur qui, au zéphyr, préfère les jattes de kiwis. Où est l'été ?",
         TextEncoding::iso8859_15,
         {"É,4,", "Œ,1,", "Ù,1,", "Ë,1,"}},
        {"ru",
         "Съешь же ещё этих мягких французских булок, да выпей чаю. Ёлка!",
         TextEncoding::koi8r,
         {"Ё,2,", "Ъ,1,", "Щ,1,"}},
        {"el",
         "Ξεσκεπάζω την ψυχοφθόρα βδελυγμία. Τάχιστη αλώπηξ βαφής ψημένη γη.",
         TextEncoding::iso8859_7,
         {"Α,6,", "Ω,2,", "Ψ,2,"}},
    };
    TempDir dir;
    for (const auto& c : cases) {
        const std::string alphabet = "--alphabet=" + c.alphabet;
        const ProcessResult expected =
            cli({"--csv", alphabet, dir.write(c.alphabet + ".txt", c.sentence).string()});
        ASSERT_EQ(expected.exitStatus, 0) << c.alphabet << expected.standardError;
        for (const std::string& line : c.lines) {
            EXPECT_NE(expected.standardOutput.find("\n" + line), std::string::npos)
                << c.alphabet << " " << line << "\n"
                << expected.standardOutput;
        }
        const std::string page(analysis::encodingName(c.codePage));
        const struct {
            std::string form;
            std::string bytes;
            std::vector<std::string> options;
        } forms[] = {
            {"nfd", nfd(c.sentence), {}},
            {"utf-16le with its mark", "\xFF\xFE" + utf16(c.sentence, false), {}},
            {"utf-16be with its mark", "\xFE\xFF" + utf16(c.sentence, true), {}},
            {"utf-16be named", utf16(c.sentence, true), {"--encoding=utf-16be"}},
            {"utf-16le named, mark skipped",
             "\xFF\xFE" + utf16(c.sentence, false),
             {"--encoding=UTF-16LE"}},
            {page, codePage(c.sentence, c.codePage), {"--encoding=" + page}},
        };
        for (const auto& form : forms) {
            std::vector<std::string> arguments{"--csv", alphabet};
            arguments.insert(arguments.end(), form.options.begin(), form.options.end());
            ProcessRun fromInput;
            fromInput.standardInput = form.bytes;
            arguments.push_back(dir.write(c.alphabet + "-form.txt", form.bytes).string());
            const ProcessResult fromFile = cli(arguments);
            arguments.back() = "-";
            for (const ProcessResult& result : {fromFile, cli(arguments, fromInput)}) {
                EXPECT_EQ(result.exitStatus, 0) << c.alphabet << " " << form.form;
                EXPECT_EQ(result.standardOutput, expected.standardOutput)
                    << c.alphabet << " " << form.form << ": " << result.standardError;
            }
        }
    }
}

// JSON keys the letters in the alphabet's order and names the alphabet; the table pads the
// letters to the widest (a wide character takes two columns); accents fold on request.
TEST(AlphabetCli, letters_keep_their_order_and_width_in_every_format) {
    TempDir dir;
    const std::string file = dir.write("mixed.txt", "ÉtÉ été 日本 ΑΩ zz").string();
    const ProcessResult json = cli({"--json", "--letters=zé日ω", file});
    ASSERT_EQ(json.exitStatus, 0) << json.standardError;
    const auto parsed = nlohmann::ordered_json::parse(json.standardOutput);
    EXPECT_EQ(parsed["alphabet"], "custom");
    std::vector<std::string> keys;
    for (const auto& [key, value] : parsed["letters"].items()) {
        keys.push_back(key);
    }
    EXPECT_EQ(keys, (std::vector<std::string>{"z", "é", "日", "ω"}));
    EXPECT_EQ(parsed["letters"]["é"]["count"], 4);
    EXPECT_EQ(parsed["letters"]["ω"]["count"], 1);
    EXPECT_EQ(parsed["total"], 8);

    const ProcessResult table = cli({"--letters=zé日ω", file});
    EXPECT_NE(table.standardOutput.find("Letter        Count  Frequency\n"
                                        "     z            2     0.2500"),
              std::string::npos)
        << table.standardOutput;
    EXPECT_NE(table.standardOutput.find("\n     日           1     0.1250"), std::string::npos)
        << table.standardOutput;

    const ProcessResult folded = cli({"--csv", "--fold-accents", file});
    EXPECT_NE(folded.standardOutput.find("\nE,4,"), std::string::npos) << folded.standardOutput;
    EXPECT_EQ(cli::displayWidth("日本"), 4u);
}

// Invalid UTF-8 is one line on standard error per file, naming the file, the count and where
// the first is; the results still follow and the exit status is 0.
TEST(AlphabetCli, invalid_utf8_is_reported_once_per_file) {
    TempDir dir;
    const std::string bad = dir.write("bad.txt", "ab\xC3(\xFF\xFE ок").string();
    const std::string good = dir.write("good.txt", "ок").string();
    const ProcessResult result = cli({"--csv", "--alphabet=ru", bad, good});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.standardError,
              "glyphmeter-cli: " + bad + ": 3 invalid UTF-8 sequences, the first at byte 2\n");
    EXPECT_NE(result.standardOutput.find("\n*total*,О,2,"), std::string::npos)
        << result.standardOutput;
}

TEST(AlphabetCli, usage_errors_of_the_alphabet_options) {
    TempDir dir;
    const std::string file = dir.write("a.txt", "a").string();
    const struct {
        std::vector<std::string> arguments;
        std::string message;
    } cases[] = {
        {{"--alphabet=klingon", file}, "unknown alphabet 'klingon' (latin, "},
        {{"--letters=", file}, "--letters: "},
        {{"--letters=abA", file}, "are the same letter"},
        {{"--encoding=ebcdic", file}, "unknown encoding 'ebcdic'"},
        {{"--alphabet=de", "--letters=ab", file}, "--alphabet and --letters cannot be used"},
        {{"--ngrams=2", "--alphabet=ru", "--stats", file},
         "--stats measures single letters and cannot be used with --ngrams=2"},
    };
    for (const auto& c : cases) {
        const ProcessResult result = cli(c.arguments);
        EXPECT_EQ(result.exitStatus, 2) << c.message;
        EXPECT_NE(result.standardError.find(c.message), std::string::npos) << result.standardError;
        EXPECT_EQ(result.standardOutput, "");
    }
}

// --stats over an alphabet: the index of coincidence times its size, chi-squared against its
// language over the letters the language's table has, or a plain word where it has none.
TEST(AlphabetCli, stats_follow_the_alphabet) {
    TempDir dir;
    const std::string german = dir.write("de.txt", "Größe Äpfel über Straße").string();
    const ProcessResult de = cli({"--stats", "--alphabet=de", german});
    EXPECT_NE(de.standardOutput.find("(x30: "), std::string::npos) << de.standardOutput;
    EXPECT_NE(de.standardOutput.find("Chi-squared against German: "), std::string::npos);
    const std::string russian = dir.write("ru.txt", "Съешь же ещё").string();
    const ProcessResult ru = cli({"--json", "--stats", "--alphabet=ru", russian});
    const auto parsed = nlohmann::json::parse(ru.standardOutput);
    EXPECT_TRUE(parsed["chiSquared"].is_null());
    EXPECT_EQ(parsed["language"], "ru");
    EXPECT_EQ(parsed["chiSquaredUnavailable"], "no reference letter frequencies for ru");
    const ProcessResult table = cli({"--stats", "--alphabet=ru", russian});
    EXPECT_NE(table.standardOutput.find("(x33: "), std::string::npos) << table.standardOutput;
    EXPECT_NE(table.standardOutput.find("Chi-squared: no reference letter frequencies for ru\n"),
              std::string::npos);
}

}  // namespace
}  // namespace glyphmeter::testing
