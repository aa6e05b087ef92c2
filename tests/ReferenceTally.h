// The plain reading loop that every fast path must agree with: one character at a time,
// upper-cased, counted when it is A..Z, and the limit tested after every character. A character is
// a byte, or a 16-bit code unit in a file that starts with a UTF-16 byte-order mark.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <iterator>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "AlphabetTally.h"
#include "InputFile.h"
#include "LetterTally.h"
#include "NgramTally.h"
#include "ReferenceLetters.h"

namespace glyphmeter::testing {

// The tally of the file at `path`, opened for it.
inline analysis::LetterTally tallyFile(const std::filesystem::path& path,
                                       const analysis::MessageSink& showMessage = {},
                                       std::int32_t limit = analysis::letterLimit) {
    analysis::InputFile file = analysis::InputFile::open(path);
    return analysis::tallyLetters(file, showMessage, limit);
}

struct ReferenceResult {
    analysis::LetterTally tally;
    std::size_t bytesRead = 0;
};

enum class TextForm { bytes, utf16LittleEndian, utf16BigEndian };

// Counts `text` read as the given form, without looking for a byte-order mark.
inline ReferenceResult referenceTallyAs(std::span<const std::byte> text, TextForm form,
                                        std::int64_t limit = analysis::letterLimit) {
    ReferenceResult result;
    const std::size_t size = form == TextForm::bytes ? 1 : 2;
    for (std::size_t at = 0; at + size <= text.size(); at += size) {
        int code = static_cast<int>(text[at]);
        if (form == TextForm::utf16LittleEndian) {
            code |= static_cast<int>(text[at + 1]) << 8;
        } else if (form == TextForm::utf16BigEndian) {
            code = code << 8 | static_cast<int>(text[at + 1]);
        }
        if (code >= 'a' && code <= 'z') {
            code -= 'a' - 'A';
        }
        const int index = code - 65;
        result.bytesRead += size;
        if (index >= 0 && index < 26) {
            ++result.tally.letterCounts[index];
            ++result.tally.totalLetters;
        }
        if (result.tally.totalLetters >= limit) {
            result.tally.limitReached = true;
            break;
        }
    }
    return result;
}

// Counts a whole file's bytes as the tally reads them.
inline ReferenceResult referenceTally(std::span<const std::byte> bytes,
                                      std::int64_t limit = analysis::letterLimit) {
    if (bytes.size() >= 2) {
        const auto first = static_cast<int>(bytes[0]);
        const auto second = static_cast<int>(bytes[1]);
        if ((first == 0xFF && second == 0xFE) || (first == 0xFE && second == 0xFF)) {
            const auto form =
                first == 0xFF ? TextForm::utf16LittleEndian : TextForm::utf16BigEndian;
            ReferenceResult result = referenceTallyAs(bytes.subspan(2), form, limit);
            result.bytesRead += 2;
            return result;
        }
    }
    return referenceTallyAs(bytes, TextForm::bytes, limit);
}

// The sequences with a count in `dense` (26^N counts by index), as a tally lists them.
inline std::vector<analysis::NgramCount> sparseOf(std::span<const std::uint32_t> dense) {
    std::vector<analysis::NgramCount> sparse;
    for (std::size_t index = 0; index < dense.size(); ++index) {
        if (dense[index] != 0) {
            sparse.push_back({static_cast<std::uint32_t>(index), dense[index]});
        }
    }
    return sparse;
}

// The 26^length counts by index of the sequences `sparse` lists.
inline std::vector<std::uint32_t> denseOf(const std::vector<analysis::NgramCount>& sparse,
                                          int length) {
    std::vector<std::uint32_t> dense(analysis::ngramSlots(length), 0);
    for (const analysis::NgramCount& count : sparse) {
        dense.at(count.index) += count.count;
    }
    return dense;
}

// The plain loop for sequences: one character at a time (a byte, or a 16-bit unit after a UTF-16
// mark), the letters of the current run kept in a list, the limit tested after every character.
inline analysis::NgramTally referenceNgrams(std::span<const std::byte> bytes,
                                            analysis::NgramOptions options,
                                            std::int64_t limit = analysis::letterLimit) {
    analysis::NgramTally tally;
    tally.options = options;
    std::vector<std::uint32_t> counts(analysis::ngramSlots(options.length), 0);
    std::size_t at = 0;
    int width = 1;
    bool bigEndian = false;
    if (bytes.size() >= 2 && ((bytes[0] == std::byte{0xFF} && bytes[1] == std::byte{0xFE}) ||
                              (bytes[0] == std::byte{0xFE} && bytes[1] == std::byte{0xFF}))) {
        bigEndian = bytes[0] == std::byte{0xFE};
        width = 2;
        at = 2;
    }
    std::vector<int> run;
    for (; at + width <= bytes.size(); at += width) {
        unsigned code = static_cast<unsigned>(bytes[at]);
        if (width == 2) {
            const unsigned other = static_cast<unsigned>(bytes[at + 1]);
            code = bigEndian ? code << 8 | other : code | other << 8;
        }
        if (code >= 'a' && code <= 'z') {
            code -= 'a' - 'A';
        }
        if (code >= 'A' && code <= 'Z') {
            ++tally.totalLetters;
            run.push_back(static_cast<int>(code - 'A'));
            if (static_cast<int>(run.size()) >= options.length) {
                std::size_t index = 0;
                for (std::size_t i = run.size() - options.length; i < run.size(); ++i) {
                    index = index * 26 + static_cast<std::size_t>(run[i]);
                }
                ++counts[index];
                ++tally.totalNgrams;
            }
        } else if (!options.spanWords) {
            run.clear();
        }
        if (tally.totalLetters >= limit) {
            tally.limitReached = true;
            break;
        }
    }
    tally.counts = sparseOf(counts);
    return tally;
}

struct ReferenceAlphabet {
    analysis::AlphabetCounts counts;
    bool limitReached = false;
    std::size_t bytesRead = 0;  // where the loop stopped: the end of the limit's character
};

// The alphabet counter's one-character-at-a-time loop over the whole text, the encoding and the
// byte-order mark chosen as the alphabet tally chooses them.
inline ReferenceAlphabet referenceAlphabet(std::span<const std::byte> bytes,
                                           const analysis::AlphabetOptions& options,
                                           std::int64_t limit = analysis::letterLimit) {
    const auto [encoding, skip] = referenceEncoding(bytes, options);
    const analysis::AlphabetCounter counter(options.alphabet, encoding, options.foldAccents);
    ReferenceAlphabet result;
    result.counts = counter.emptyCounts();
    analysis::AlphabetSeam seam = counter.start(skip);
    result.limitReached = counter.countPlainly(seam, bytes.subspan(skip), result.counts, limit);
    if (!result.limitReached) {
        counter.finish(seam, result.counts);
    }
    result.bytesRead = static_cast<std::size_t>(seam.offset);
    return result;
}

// Seeded bytes over all 256 values, with letters made common enough to matter.
inline std::vector<std::byte> randomBytes(std::size_t size, std::uint32_t seed) {
    std::mt19937 engine(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> letter(0, 51);
    std::vector<std::byte> bytes(size);
    for (auto& b : bytes) {
        const int pick = byte(engine);
        if (pick < 128) {
            b = static_cast<std::byte>(pick);
        } else {
            const int l = letter(engine);
            b = static_cast<std::byte>(l < 26 ? 'A' + l : 'a' + l - 26);
        }
    }
    return bytes;
}

// UTF-16 text: `units` in the given byte order, after a byte-order mark when `mark` is set.
inline std::vector<std::byte> utf16Bytes(std::u16string_view units, bool bigEndian,
                                         bool mark = true) {
    std::vector<std::byte> bytes;
    const auto push = [&](char16_t unit) {
        const auto high = static_cast<std::byte>(unit >> 8);
        const auto low = static_cast<std::byte>(unit & 0xFF);
        bytes.push_back(bigEndian ? high : low);
        bytes.push_back(bigEndian ? low : high);
    };
    if (mark) {
        push(u'\uFEFF');
    }
    for (const char16_t unit : units) {
        push(unit);
    }
    return bytes;
}

// Seeded UTF-16 code units, after a byte-order mark when `mark` is set: letters, units that share
// a byte with a letter (U+0442, U+4100), other text, surrogates, and a last odd byte when `odd`.
inline std::vector<std::byte> randomUtf16(std::size_t units, std::uint32_t seed, bool bigEndian,
                                          bool mark = true, bool odd = false) {
    static const char16_t pool[] = {u'A',   u'z',   u'M',   u'q',   u' ',   u'\n',  0x00E9, 0x0141,
                                    0x0442, 0x4100, 0x7A7A, 0x4E2D, 0xD83D, 0xDE00, 0xFEFF, 0xFFFE};
    std::mt19937 engine(seed);
    std::uniform_int_distribution<int> pick(0, 2 * static_cast<int>(std::size(pool)) - 1);
    std::uniform_int_distribution<int> letter(0, 51);
    std::u16string text;
    for (std::size_t i = 0; i < units; ++i) {
        const int p = pick(engine);
        if (p < static_cast<int>(std::size(pool))) {
            text.push_back(pool[p]);
        } else {
            const int l = letter(engine);
            text.push_back(static_cast<char16_t>(l < 26 ? 'A' + l : 'a' + l - 26));
        }
    }
    std::vector<std::byte> bytes = utf16Bytes(text, bigEndian, mark);
    if (odd) {
        bytes.push_back(std::byte{'A'});
    }
    return bytes;
}

}  // namespace glyphmeter::testing
