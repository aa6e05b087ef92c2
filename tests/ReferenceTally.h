// The plain reading loop that every fast path must agree with: one character at a time,
// upper-cased, counted when it is A..Z, and the limit tested after every character. A character is
// a byte, or a 16-bit code unit in a file that starts with a UTF-16 byte-order mark.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <iterator>
#include <random>
#include <span>
#include <vector>

#include "InputFile.h"
#include "LetterTally.h"

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

// Seeded UTF-16 code units, after a byte-order mark when `mark` is set: letters, units that share
// a byte with a letter (U+0442, U+4100), other text, surrogates, and a last odd byte when `odd`.
inline std::vector<std::byte> randomUtf16(std::size_t units, std::uint32_t seed, bool bigEndian,
                                          bool mark = true, bool odd = false) {
    static const std::uint16_t pool[] = {'A',    'z',    'M',    'q',    ' ',    '\n',
                                         0x00E9, 0x0141, 0x0442, 0x4100, 0x7A7A, 0x4E2D,
                                         0xD83D, 0xDE00, 0xFEFF, 0xFFFE};
    std::mt19937 engine(seed);
    std::uniform_int_distribution<int> pick(0, 2 * static_cast<int>(std::size(pool)) - 1);
    std::uniform_int_distribution<int> letter(0, 51);
    std::vector<std::byte> bytes;
    const auto push = [&](std::uint16_t unit) {
        const auto high = static_cast<std::byte>(unit >> 8);
        const auto low = static_cast<std::byte>(unit & 0xFF);
        bytes.push_back(bigEndian ? high : low);
        bytes.push_back(bigEndian ? low : high);
    };
    if (mark) {
        push(0xFEFF);
    }
    for (std::size_t i = 0; i < units; ++i) {
        const int p = pick(engine);
        if (p < static_cast<int>(std::size(pool))) {
            push(pool[p]);
        } else {
            const int l = letter(engine);
            push(static_cast<std::uint16_t>(l < 26 ? 'A' + l : 'a' + l - 26));
        }
    }
    if (odd) {
        bytes.push_back(std::byte{'A'});
    }
    return bytes;
}

}  // namespace glyphmeter::testing
