// The plain reading of an alphabet's letters that the counter's fast paths, its letter stream and
// the sequences of an alphabet are checked against: the simplest decoding, the whole text in NFC,
// each character looked up; and seeded text made of the pieces that matter.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "AlphabetCounter.h"
#include "AlphabetTally.h"
#include "NgramCounter.h"
#include "TextEncoding.h"
#include "UnicodeTables.h"

namespace glyphmeter::testing {

using analysis::AlphabetCounts;
using analysis::TextEncoding;

// The plain decoding: an ill-formed sequence is the longest start of a well-formed one, or one
// byte (one code unit in UTF-16), and reads as U+FFFD; each is counted in `counts`.
inline std::u32string referenceDecode(TextEncoding encoding, std::string_view text,
                                      AlphabetCounts& counts) {
    std::u32string decoded;
    const auto invalidAt = [&](std::size_t at) {
        ++counts.invalidSequences;
        counts.firstInvalid = counts.firstInvalid.value_or(at);
        decoded += U'\uFFFD';
    };
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    for (std::size_t i = 0; i < text.size();) {
        if (analysis::isSingleByte(encoding)) {
            // The code page tables are the library's: they come from the Unicode data.
            const unsigned b = byte(i);
            const char32_t c = b < 0x80 ? b : analysis::codePageUpperHalf(encoding)[b - 0x80];
            if (c == 0xFFFF) {
                invalidAt(i);
            } else {
                decoded += c;
            }
            ++i;
            continue;
        }
        if (encoding != TextEncoding::utf8) {
            const auto unit = [&](std::size_t at) {
                return encoding == TextEncoding::utf16BigEndian ? byte(at) << 8 | byte(at + 1)
                                                                : byte(at + 1) << 8 | byte(at);
            };
            if (i + 1 >= text.size()) {
                invalidAt(i);
                break;
            }
            const unsigned first = unit(i);
            const bool pair = first >= 0xD800 && first < 0xDC00 && i + 3 < text.size() &&
                              unit(i + 2) >= 0xDC00 && unit(i + 2) < 0xE000;
            if (pair) {
                decoded += 0x10000 + ((first - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
            } else if (first >= 0xD800 && first < 0xE000) {
                invalidAt(i);
            } else {
                decoded += first;
            }
            i += pair ? 4 : 2;
            continue;
        }
        const unsigned b = byte(i);
        const int need = b < 0x80                ? 1
                         : b >= 0xC2 && b < 0xE0 ? 2
                         : b >= 0xE0 && b < 0xF0 ? 3
                         : b >= 0xF0 && b < 0xF5 ? 4
                                                 : 0;
        const unsigned low = b == 0xE0 ? 0xA0 : b == 0xF0 ? 0x90 : 0x80;
        const unsigned high = b == 0xED ? 0x9F : b == 0xF4 ? 0x8F : 0xBF;
        int got = 1;
        char32_t c = need == 1 ? b : b & (0xFF >> (need + 1));
        while (got < need && i + got < text.size()) {
            const unsigned next = byte(i + got);
            if (next < (got == 1 ? low : 0x80) || next > (got == 1 ? high : 0xBF)) {
                break;
            }
            c = c << 6 | (next & 0x3F);
            ++got;
        }
        if (need != 0 && got == need) {
            decoded += c;
        } else {
            invalidAt(i);
        }
        i += got;
    }
    return decoded;
}

// Seeded text from pieces that matter: ASCII, precomposed and decomposed letters, marks alone,
// case pairs, letters of three and four bytes, and every kind of ill-formed UTF-8.
inline std::string randomText(std::size_t pieces, std::uint32_t seed, bool wellFormed = false) {
    static const std::vector<std::string_view> vocabulary{"a",
                                                          "E",
                                                          "i",
                                                          "I",
                                                          "z",
                                                          " ",
                                                          " ",
                                                          ".",
                                                          "\n",
                                                          "\u00e9",
                                                          "e\u0301",
                                                          "\u00e4",
                                                          "a\u0308",
                                                          "\u00df",
                                                          "\u1e9e",
                                                          "\u0142",
                                                          "\u0105",
                                                          "o\u0301",
                                                          "\u0301",
                                                          "\u0323",
                                                          "\u0308",
                                                          "\u0130",
                                                          "\u0131",
                                                          "I\u0307",
                                                          "\u0436",
                                                          "\u0401",
                                                          "\u0435\u0308",
                                                          "\u03ac",
                                                          "\u03b1\u0301",
                                                          "\u03c2",
                                                          "\u03a3",
                                                          "\u0390",
                                                          "\u212a",
                                                          "\u212b",
                                                          "\U0001F600",
                                                          "\u201e",
                                                          "\u2014",
                                                          "\uac00",
                                                          "\u1100\u1161",
                                                          "\u00c5",
                                                          "A\u030a",
                                                          "\x80",
                                                          "\xc3",
                                                          "\xe2\x82",
                                                          "\xed\xa0\x80",
                                                          "\xf0\x9f\x98",
                                                          "\xf4\x90\x80\x80",
                                                          "\xc0\xaf",
                                                          "\xff",
                                                          "\xe0\x80\xaf",
                                                          "\xf5"};
    std::mt19937 engine(seed);
    // The last ten are ill-formed: text without them runs through whole chunks of the fast path.
    std::uniform_int_distribution<std::size_t> pick(0, vocabulary.size() - (wellFormed ? 11 : 1));
    std::string text;
    for (std::size_t i = 0; i < pieces; ++i) {
        text += vocabulary[pick(engine)];
    }
    return text;
}

// `utf8` in UTF-16, little-endian: ill-formed UTF-8 becomes lone surrogates.
inline std::string utf16Of(std::string_view utf8) {
    std::string units;
    const auto put = [&](unsigned unit) {
        units += static_cast<char>(unit & 0xFF);
        units += static_cast<char>(unit >> 8);
    };
    AlphabetCounts ignored;
    unsigned lone = 0;
    for (const char32_t c : referenceDecode(TextEncoding::utf8, utf8, ignored)) {
        if (c == U'\uFFFD') {
            put(++lone % 2 ? 0xD800 : 0xDC00);
        } else if (c >= 0x10000) {
            put(0xD800 + ((c - 0x10000) >> 10));
            put(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            put(c);
        }
    }
    return units;
}

// randomText() in UTF-16, little-endian.
inline std::string randomUtf16Text(std::size_t pieces, std::uint32_t seed) {
    return utf16Of(randomText(pieces, seed));
}

// The letter character `c` (in NFC) counts as: itself, or with `foldAccents` the longest start of
// its decomposition that is a letter, the rest being marks.
inline std::optional<std::size_t> referenceLetter(const analysis::Alphabet& alphabet,
                                                  bool foldAccents, char32_t c) {
    namespace unicode = analysis::unicode;
    auto letter = alphabet.letterOf(c);
    std::u32string parts;
    unicode::appendDecomposition(c, parts);
    for (std::size_t kept = parts.size() - 1; foldAccents && !letter && kept > 0; --kept) {
        if (!unicode::isCombiningMark(parts[kept])) {
            break;
        }
        const auto start = unicode::toNfc(std::u32string_view(parts).substr(0, kept));
        letter = start.size() == 1 ? alphabet.letterOf(start[0]) : std::nullopt;
    }
    return letter;
}

// The sequences of a stream of letters (nullopt: a character that is no letter) by index, in
// base `letters`: a window slid over the letters, broken by every other character unless spanning
// words.
inline std::map<std::uint64_t, std::uint64_t> referenceWindow(
    const std::vector<std::optional<std::size_t>>& stream, std::size_t letters,
    analysis::NgramOptions sequences) {
    std::map<std::uint64_t, std::uint64_t> counts;
    std::vector<std::size_t> window;
    for (const auto& letter : stream) {
        if (!letter) {
            if (!sequences.spanWords) {
                window.clear();
            }
            continue;
        }
        window.push_back(*letter);
        if (window.size() > static_cast<std::size_t>(sequences.length)) {
            window.erase(window.begin());
        }
        if (window.size() == static_cast<std::size_t>(sequences.length)) {
            std::uint64_t index = 0;
            for (const std::size_t l : window) {
                index = index * letters + l;
            }
            ++counts[index];
        }
    }
    return counts;
}

// The encoding a file is read in, as the alphabet tally chooses it from the options and the
// byte-order mark, and how many bytes of mark to skip.
inline std::pair<TextEncoding, std::size_t> referenceEncoding(
    std::span<const std::byte> bytes, const analysis::AlphabetOptions& options) {
    std::optional<TextEncoding> marked;
    if (bytes.size() >= 2 && bytes[0] == std::byte{0xFF} && bytes[1] == std::byte{0xFE}) {
        marked = TextEncoding::utf16LittleEndian;
    } else if (bytes.size() >= 2 && bytes[0] == std::byte{0xFE} && bytes[1] == std::byte{0xFF}) {
        marked = TextEncoding::utf16BigEndian;
    }
    const TextEncoding encoding = options.encoding.value_or(marked.value_or(TextEncoding::utf8));
    return {encoding, marked && encoding == *marked ? 2 : 0};
}

// The sequences of `bytes` (a file's, its byte-order mark chosen as the alphabet tally chooses
// it): the characters decoded, put in NFC and looked up, then referenceWindow(). `letters`
// receives the letters and invalid sequences.
inline std::map<std::uint64_t, std::uint64_t> referenceSequences(
    std::span<const std::byte> bytes, const analysis::AlphabetOptions& options,
    analysis::NgramOptions sequences, AlphabetCounts& letters) {
    const auto [encoding, skip] = referenceEncoding(bytes, options);
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()) + skip,
                                bytes.size() - skip);
    letters.letters.assign(options.alphabet.size(), 0);
    const std::u32string decoded = referenceDecode(encoding, text, letters);
    if (letters.firstInvalid) {
        *letters.firstInvalid += skip;
    }
    std::vector<std::optional<std::size_t>> stream;
    for (const char32_t c : analysis::unicode::toNfc(decoded)) {
        stream.push_back(referenceLetter(options.alphabet, options.foldAccents, c));
        if (stream.back()) {
            ++letters.letters[*stream.back()];
            ++letters.total;
        }
    }
    return referenceWindow(stream, options.alphabet.size(), sequences);
}

}  // namespace glyphmeter::testing
