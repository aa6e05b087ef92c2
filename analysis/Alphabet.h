// The alphabets letters are counted in: the built-in ones by language, and custom ones from a
// list of characters. An alphabet is an ordered list of letters, each shown as one text and
// counted for every character that case-folds to it (Unicode's simple case folding, with the
// Turkish pairs i/İ and ı/I under Turkish).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace glyphmeter::analysis {

class Alphabet {
  public:
    // The letters in order, as shown (UTF-8): upper case for the built-in alphabets.
    std::span<const std::string> shownLetters() const { return shown_; }
    std::size_t size() const { return shown_.size(); }

    // The case-folded form of `c` under this alphabet's case rules.
    char32_t fold(char32_t c) const;

    // The letter (its index) that character `c`, taken as it stands, counts as; nullopt when it
    // is not a letter of this alphabet. `c` is expected in NFC; no accent is taken off here.
    std::optional<std::size_t> letterOf(char32_t c) const;

    bool turkishCase() const { return turkish_; }

    // Every folded character that is a letter, with its letter; sorted.
    std::span<const std::pair<char32_t, std::uint16_t>> foldedLetters() const { return keys_; }

  private:
    friend std::optional<Alphabet> findAlphabet(std::string_view name);
    friend Alphabet customAlphabet(std::string_view letters);

    std::vector<std::string> shown_;
    std::vector<std::pair<char32_t, std::uint16_t>> keys_;  // folded character, letter; sorted
    bool turkish_ = false;
};

// The built-in alphabet of that name ("latin", or a language: "de", "ru", ...), or nullopt.
// "latin", "en" and "nl" are A to Z.
std::optional<Alphabet> findAlphabet(std::string_view name);

// The names findAlphabet knows, in a stable order.
std::span<const std::string_view> alphabetNames();

// A custom alphabet: the characters of `letters` (UTF-8, taken in NFC), in that order, each a
// letter counting for itself and its other case. Throws std::invalid_argument with a message for
// the user when the list is empty, not valid UTF-8, holds a combining mark (which never counts on
// its own), holds two characters that are the same letter, or holds more than 60,000 characters.
Alphabet customAlphabet(std::string_view letters);

}  // namespace glyphmeter::analysis
