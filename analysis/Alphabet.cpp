// The built-in alphabets and the building of custom ones.
#include "Alphabet.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <unordered_map>

#include "UnicodeTables.h"

namespace glyphmeter::analysis {

namespace {

struct BuiltIn {
    std::string_view name;
    std::string_view letters;  // beyond A to Z for Latin scripts, separated by spaces
    bool latin;
};

constexpr std::array<BuiltIn, 17> builtIns{{
    {"latin", "", true},
    {"en", "", true},
    {"de", "Ä Ö Ü ß", true},
    {"fr", "À Â Æ Ç È É Ê Ë Î Ï Ô Œ Ù Û Ü Ÿ", true},
    {"es", "Á É Í Ñ Ó Ú Ü", true},
    {"it", "À È É Ì Ò Ó Ù", true},
    {"pt", "À Á Â Ã Ç É Ê Í Ó Ô Õ Ú Ü", true},
    {"nl", "", true},
    {"sv", "Å Ä Ö", true},
    {"da", "Æ Ø Å", true},
    {"no", "Æ Ø Å", true},
    {"fi", "Å Ä Ö", true},
    {"pl", "Ą Ć Ę Ł Ń Ó Ś Ź Ż", true},
    {"cs", "Á Č Ď É Ě Í Ň Ó Ř Š Ť Ú Ů Ý Ž", true},
    {"tr", "Ç Ğ İ Ö Ş Ü", true},
    {"ru", "А Б В Г Д Е Ё Ж З И Й К Л М Н О П Р С Т У Ф Х Ц Ч Ш Щ Ъ Ы Ь Э Ю Я", false},
    {"uk", "А Б В Г Ґ Д Е Є Ж З И І Ї Й К Л М Н О П Р С Т У Ф Х Ц Ч Ш Щ Ь Ю Я", false},
}};

constexpr std::string_view greekLetters = "Α Β Γ Δ Ε Ζ Η Θ Ι Κ Λ Μ Ν Ξ Ο Π Ρ Σ Τ Υ Φ Χ Ψ Ω";
// Vowels with tonos or dialytika count as the plain vowel: each, then the vowel it counts as.
constexpr std::string_view greekAccented = "άα έε ήη ίι όο ύυ ώω ϊι ϋυ ΐι ΰυ";

constexpr std::size_t maxLetters = 60000;

// Decodes well-formed UTF-8; nullopt at the first ill-formed sequence.
std::optional<std::u32string> decodeUtf8(std::string_view text) {
    std::u32string out;
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        const int length = b < 0x80   ? 1
                           : b < 0xC2 ? 0
                           : b < 0xE0 ? 2
                           : b < 0xF0 ? 3
                           : b < 0xF5 ? 4
                                      : 0;
        if (length == 0 || i + length > text.size()) {
            return std::nullopt;
        }
        char32_t c = length == 1 ? b : b & (0x7F >> length);
        for (int k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                return std::nullopt;
            }
            c = c << 6 | (next & 0x3F);
        }
        constexpr char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (c < smallest[length] || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) {
            return std::nullopt;
        }
        out += c;
        i += length;
    }
    return out;
}

std::string quoted(char32_t c) {
    std::string text = "\u201C";
    unicode::appendUtf8(c, text);
    return text + "\u201D";
}

// Adds letter `shown` counting for the characters `counted`, whose folded forms must be new.
void addLetter(std::vector<std::string>& shown,
               std::vector<std::pair<char32_t, std::uint16_t>>& keys, const Alphabet& folding,
               std::string text, std::u32string_view counted) {
    for (const char32_t c : counted) {
        keys.emplace_back(folding.fold(c), static_cast<std::uint16_t>(shown.size()));
    }
    shown.push_back(std::move(text));
}

}  // namespace

char32_t Alphabet::fold(char32_t c) const {
    if (turkish_) {
        if (c == U'I') {
            return U'\u0131';
        }
        if (c == U'\u0130') {
            return U'i';
        }
    }
    return unicode::simpleFold(c);
}

std::optional<std::size_t> Alphabet::letterOf(char32_t c) const {
    const char32_t key = fold(c);
    const auto at = std::lower_bound(keys_.begin(), keys_.end(), std::pair{key, std::uint16_t{0}});
    if (at != keys_.end() && at->first == key) {
        return at->second;
    }
    return std::nullopt;
}

std::optional<Alphabet> findAlphabet(std::string_view name) {
    Alphabet alphabet;
    auto& shown = alphabet.shown_;
    auto& keys = alphabet.keys_;
    if (name == "el") {
        const std::u32string letters = *decodeUtf8(greekLetters);
        for (const char32_t c : letters) {
            if (c != U' ') {
                std::string text;
                unicode::appendUtf8(c, text);
                addLetter(shown, keys, alphabet, text, std::u32string{c});
            }
        }
        std::sort(keys.begin(), keys.end());  // for letterOf
        const std::u32string accented = *decodeUtf8(greekAccented);
        std::vector<std::pair<char32_t, std::uint16_t>> more;
        for (std::size_t i = 0; i + 1 < accented.size(); i += 3) {
            const auto letter = alphabet.letterOf(accented[i + 1]);
            more.emplace_back(alphabet.fold(accented[i]), static_cast<std::uint16_t>(*letter));
        }
        keys.insert(keys.end(), more.begin(), more.end());
    } else {
        const auto found = std::find_if(builtIns.begin(), builtIns.end(),
                                        [&](const BuiltIn& b) { return b.name == name; });
        if (found == builtIns.end()) {
            return std::nullopt;
        }
        alphabet.turkish_ = name == "tr";
        if (found->latin) {
            for (char c = 'A'; c <= 'Z'; ++c) {
                addLetter(shown, keys, alphabet, std::string(1, c), std::u32string{char32_t(c)});
            }
        }
        const std::u32string letters = *decodeUtf8(found->letters);
        for (const char32_t c : letters) {
            if (c != U' ') {
                std::string text;
                unicode::appendUtf8(c, text);
                addLetter(shown, keys, alphabet, text, std::u32string{c});
            }
        }
    }
    std::sort(keys.begin(), keys.end());
    return alphabet;
}

std::span<const std::string_view> alphabetNames() {
    static const std::array<std::string_view, builtIns.size() + 1> names = [] {
        std::array<std::string_view, builtIns.size() + 1> all{};
        for (std::size_t i = 0; i < builtIns.size(); ++i) {
            all[i] = builtIns[i].name;
        }
        all.back() = "el";
        return all;
    }();
    return names;
}

Alphabet customAlphabet(std::string_view letters) {
    if (letters.empty()) {
        throw std::invalid_argument("the list of letters is empty");
    }
    const auto decoded = decodeUtf8(letters);
    if (!decoded) {
        throw std::invalid_argument("the list of letters is not valid UTF-8");
    }
    const std::u32string list = unicode::toNfc(*decoded);
    if (list.size() > maxLetters) {
        throw std::invalid_argument("the list of letters is longer than 60,000 characters");
    }
    Alphabet alphabet;
    std::unordered_map<char32_t, std::size_t> seen;
    for (const char32_t c : list) {
        if (unicode::isCombiningMark(c)) {
            throw std::invalid_argument(quoted(c) +
                                        " is a combining mark, which never counts on its own");
        }
        if (const auto [at, added] = seen.emplace(alphabet.fold(c), alphabet.size()); !added) {
            throw std::invalid_argument("\u201C" + alphabet.shown_[at->second] + "\u201D and " +
                                        quoted(c) + " are the same letter");
        }
        std::string text;
        unicode::appendUtf8(c, text);
        addLetter(alphabet.shown_, alphabet.keys_, alphabet, text, std::u32string{c});
    }
    std::sort(alphabet.keys_.begin(), alphabet.keys_.end());
    return alphabet;
}

}  // namespace glyphmeter::analysis
