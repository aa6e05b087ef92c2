// The plain reading loop that every fast path must agree with: one byte at a time, upper-cased,
// counted when it is A..Z, and the limit tested after every byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <span>
#include <vector>

#include "LetterTally.h"

namespace glyphmeter::testing {

struct ReferenceResult {
    analysis::LetterTally tally;
    std::size_t bytesRead = 0;
};

inline ReferenceResult referenceTally(std::span<const std::byte> bytes,
                                      std::int64_t limit = analysis::letterLimit) {
    ReferenceResult result;
    for (const std::byte b : bytes) {
        int code = static_cast<int>(b);
        if (code >= 'a' && code <= 'z') {
            code -= 'a' - 'A';
        }
        const int index = code - 65;
        ++result.bytesRead;
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

}  // namespace glyphmeter::testing
