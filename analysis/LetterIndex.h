// The slot of every byte value: 0 to 25 for 'A'..'Z' and 'a'..'z', notALetter for every other
// byte. The table behind the scalar counting loops.
#pragma once

#include <array>
#include <cstdint>

namespace glyphmeter::analysis {

inline constexpr std::uint8_t notALetter = 26;

inline constexpr std::array<std::uint8_t, 256> letterIndex = [] {
    std::array<std::uint8_t, 256> index{};
    index.fill(notALetter);
    for (int letter = 0; letter < 26; ++letter) {
        index['A' + letter] = static_cast<std::uint8_t>(letter);
        index['a' + letter] = static_cast<std::uint8_t>(letter);
    }
    return index;
}();

}  // namespace glyphmeter::analysis
