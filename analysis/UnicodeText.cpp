// Looking up the generated Unicode tables, and NFC of short runs of characters.
#include <algorithm>

#include "UnicodeTables.h"

namespace glyphmeter::analysis::unicode {

namespace {

constexpr char32_t hangulFirst = 0xAC00;
constexpr char32_t leadFirst = 0x1100;
constexpr char32_t vowelFirst = 0x1161;
constexpr char32_t trailFirst = 0x11A7;  // one before the first trailing consonant
constexpr int leadCount = 19;
constexpr int vowelCount = 21;
constexpr int trailCount = 28;
constexpr int syllableCount = leadCount * vowelCount * trailCount;

template <typename Range>
const Range* findRange(std::span<const Range> ranges, char32_t c) {
    const auto at = std::upper_bound(ranges.begin(), ranges.end(), c,
                                     [](char32_t code, const Range& r) { return code < r.first; });
    if (at == ranges.begin()) {
        return nullptr;
    }
    const Range& range = *(at - 1);
    return c <= range.last ? &range : nullptr;
}

}  // namespace

int combiningClass(char32_t c) {
    if (c < 0x300) {
        return 0;
    }
    const ClassRange* range = findRange(combiningClasses, c);
    return range != nullptr ? range->combiningClass : 0;
}

bool isNfcBoundary(char32_t c) {
    return c < 0x300 || findRange(notBoundaries, c) == nullptr;
}

bool isCombiningMark(char32_t c) {
    return c >= 0x300 && findRange(combiningMarks, c) != nullptr;
}

char32_t simpleFold(char32_t c) {
    if (c < 0x80) {
        return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
    }
    const auto at =
        std::lower_bound(simpleCaseFolding.begin(), simpleCaseFolding.end(), c,
                         [](const CaseFold& f, char32_t code) { return f.code < code; });
    return at != simpleCaseFolding.end() && at->code == c ? at->folded : c;
}

void appendDecomposition(char32_t c, std::u32string& out) {
    if (c >= hangulFirst && c < hangulFirst + syllableCount) {
        const int index = static_cast<int>(c - hangulFirst);
        out += leadFirst + index / (vowelCount * trailCount);
        out += vowelFirst + index % (vowelCount * trailCount) / trailCount;
        if (index % trailCount != 0) {
            out += trailFirst + index % trailCount;
        }
        return;
    }
    const auto at =
        std::lower_bound(decompositions.begin(), decompositions.end(), c,
                         [](const Decomposition& d, char32_t code) { return d.code < code; });
    if (c < 0xC0 || at == decompositions.end() || at->code != c) {
        out += c;
        return;
    }
    out.append(decompositionParts.data() + at->start, at->length);
}

char32_t composePair(char32_t first, char32_t second) {
    if (first >= leadFirst && first < leadFirst + leadCount && second >= vowelFirst &&
        second < vowelFirst + vowelCount) {
        return hangulFirst +
               ((first - leadFirst) * vowelCount + (second - vowelFirst)) * trailCount;
    }
    if (first >= hangulFirst && first < hangulFirst + syllableCount &&
        (first - hangulFirst) % trailCount == 0 && second > trailFirst &&
        second < trailFirst + trailCount) {
        return first + (second - trailFirst);
    }
    const auto at =
        std::lower_bound(compositions.begin(), compositions.end(), Composition{first, second, 0},
                         [](const Composition& a, const Composition& b) {
                             return a.first != b.first ? a.first < b.first : a.second < b.second;
                         });
    return at != compositions.end() && at->first == first && at->second == second ? at->composite
                                                                                  : 0;
}

std::u32string toNfc(std::u32string_view text) {
    std::u32string out;
    for (const char32_t c : text) {
        appendDecomposition(c, out);
    }
    // Canonical ordering: a stable sort of each run of characters with a non-zero class.
    for (std::size_t i = 1; i < out.size(); ++i) {
        const int cls = combiningClass(out[i]);
        if (cls == 0) {
            continue;
        }
        for (std::size_t j = i; j > 0 && combiningClass(out[j - 1]) > cls; --j) {
            std::swap(out[j - 1], out[j]);
        }
    }
    // Canonical composition: each character joins the last starter unless blocked from it.
    if (out.empty()) {
        return out;
    }
    std::size_t starter = 0;
    int lastClass = combiningClass(out[0]) == 0 ? 0 : 256;
    std::size_t kept = 1;
    for (std::size_t i = 1; i < out.size(); ++i) {
        const char32_t c = out[i];
        const int cls = combiningClass(c);
        const char32_t composite = lastClass != 256 ? composePair(out[starter], c) : 0;
        if (composite != 0 && (lastClass < cls || lastClass == 0)) {
            out[starter] = composite;
            continue;
        }
        if (cls == 0) {
            starter = kept;
        }
        lastClass = cls;
        out[kept++] = c;
    }
    out.resize(kept);
    return out;
}

void appendUtf8(char32_t c, std::string& out) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace glyphmeter::analysis::unicode
