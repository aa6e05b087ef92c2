// libFuzzer target: every kernel the CPU supports, on bytes and on UTF-16 units in both byte
// orders, and the letter and sequence tallies, with the block size, reader count, limit,
// byte-order mark and sequence options the input picks, and the alphabet tally with the alphabet,
// encoding and accent folding the input picks, must agree with the character-at-a-time
// references on arbitrary bytes.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "AlphabetTally.h"
#include "FileBlockInput.h"
#include "InputFile.h"
#include "LetterKernels.h"
#include "LetterTally.h"
#include "NgramTally.h"
#include "ReferenceTally.h"

using namespace glyphmeter;

namespace {

const std::string& scratchFile() {
    static const std::string path = "/dev/shm/glyphmeter-fuzz-" + std::to_string(::getpid());
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 6) {
        return 0;
    }
    std::uint32_t rawLimit;
    std::memcpy(&rawLimit, data, 4);
    const std::size_t blockSize = 1 + data[4] % 97;
    const int threads = 1 + data[5] % 2;
    const std::span<const std::byte> text(reinterpret_cast<const std::byte*>(data + 6), size - 6);
    // A UTF-16 byte-order mark in front, often enough for the UTF-16 path to be reached.
    std::vector<std::byte> bytes;
    const int mark = data[5] / 2 % 3;
    if (mark != 0) {
        bytes = {static_cast<std::byte>(mark == 1 ? 0xFF : 0xFE),
                 static_cast<std::byte>(mark == 1 ? 0xFE : 0xFF)};
    }
    bytes.insert(bytes.end(), text.begin(), text.end());
    // Limits near the number of letters matter most; keep them in reach.
    const auto limit = static_cast<std::int32_t>(rawLimit % (bytes.size() + 3)) - 1;

    const auto expected = testing::referenceTally(bytes, limit);

    using testing::TextForm;
    for (const auto& kernel : analysis::supportedKernels()) {
        for (const TextForm form :
             {TextForm::bytes, TextForm::utf16LittleEndian, TextForm::utf16BigEndian}) {
            analysis::LetterAccumulators counts{};
            if (form == TextForm::bytes) {
                kernel.add(text, counts);
            } else {
                kernel.addUtf16(text, form == TextForm::utf16BigEndian, counts);
            }
            const auto whole = testing::referenceTallyAs(text, form);
            for (int letter = 0; letter < 26; ++letter) {
                if (counts[letter] !=
                    static_cast<std::uint64_t>(whole.tally.letterCounts[letter])) {
                    std::abort();
                }
            }
        }
    }

    std::FILE* out = std::fopen(scratchFile().c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), out);
    std::fclose(out);
    int messages = 0;
    auto file = analysis::InputFile::open(scratchFile());
    analysis::detail::FileBlockInput input(file);
    const auto tally = analysis::detail::tallyLetters(
        input, [&](const std::string&) { ++messages; }, limit, blockSize, threads);
    if (tally.letterCounts != expected.tally.letterCounts ||
        tally.totalLetters != expected.tally.totalLetters ||
        tally.limitReached != expected.tally.limitReached ||
        messages != (expected.tally.limitReached ? 1 : 0)) {
        std::abort();
    }

    // The sequences, of the length and word spanning the input picks, read the same way.
    const analysis::NgramOptions options{2 + data[4] / 97 % 3, (data[4] & 0x80) != 0};
    const auto expectedSequences = testing::referenceNgrams(bytes, options, limit);
    auto again = analysis::InputFile::open(scratchFile());
    analysis::detail::FileBlockInput sequenceInput(again);
    messages = 0;
    const auto sequences = analysis::detail::tallyNgrams(
        sequenceInput, options, [&](const std::string&) { ++messages; }, limit, blockSize, threads);
    if (sequences.counts != expectedSequences.counts ||
        sequences.totalNgrams != expectedSequences.totalNgrams ||
        sequences.totalLetters != expectedSequences.totalLetters ||
        sequences.limitReached != expectedSequences.limitReached ||
        messages != (expectedSequences.limitReached ? 1 : 0)) {
        std::abort();
    }

    // The letters of an alphabet, decoded from the encoding the input picks, read the same way.
    using analysis::TextEncoding;
    static const char* const names[] = {"de", "ru", "el", "pl", "tr", "fr"};
    static const std::optional<TextEncoding> encodings[] = {std::nullopt,
                                                            TextEncoding::utf8,
                                                            TextEncoding::utf16LittleEndian,
                                                            TextEncoding::utf16BigEndian,
                                                            TextEncoding::windows1251,
                                                            TextEncoding::iso8859_7};
    const analysis::AlphabetOptions alphabet{*analysis::findAlphabet(names[data[0] % 6]),
                                             encodings[data[1] % 6], (data[2] & 1) != 0};
    const auto expectedAlphabet = testing::referenceAlphabet(bytes, alphabet, limit);
    auto third = analysis::InputFile::open(scratchFile());
    analysis::detail::FileBlockInput alphabetInput(third);
    messages = 0;
    const auto letters = analysis::detail::tallyAlphabet(
        alphabetInput, alphabet, [&](const std::string&) { ++messages; }, limit, blockSize,
        threads);
    const auto& want = expectedAlphabet.counts;
    if (letters.counts.letters != want.letters || letters.counts.total != want.total ||
        letters.counts.invalidSequences != want.invalidSequences ||
        letters.counts.firstInvalid != want.firstInvalid ||
        letters.limitReached != expectedAlphabet.limitReached ||
        messages != (expectedAlphabet.limitReached ? 1 : 0)) {
        std::abort();
    }
    return 0;
}
