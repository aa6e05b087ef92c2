#include "NgramKind.h"

#include <algorithm>
#include <cmath>

#include <limits>
#include <nlohmann/json.hpp>

#include "CsvField.h"
#include "JsonString.h"
#include "ReportReading.h"

namespace glyphmeter::cli {

namespace {

std::string lowerCase(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
    return out;
}

// Sequence counts are far below 2^63.
std::string countText(std::uint64_t count) {
    return decimal(static_cast<std::int64_t>(count));
}

// Each sequence's frequency, written once for a run of equal counts: listed by count, most of a
// file's sequences share their count with the one before.
class FrequencyTexts {
  public:
    explicit FrequencyTexts(std::int64_t total) : total_(total) {}
    const std::optional<std::string>& of(std::uint64_t count) {
        if (!last_ || count != lastCount_) {
            text_ = sixDecimals(count, total_);
            lastCount_ = count;
            last_ = true;
        }
        return text_;
    }

  private:
    std::int64_t total_;
    std::uint64_t lastCount_ = 0;
    bool last_ = false;
    std::optional<std::string> text_;
};

}  // namespace

std::string_view ngramKind(int length) {
    switch (length) {
        case 2:
            return "Bigram";
        case 3:
            return "Trigram";
        default:
            return "Quadgram";
    }
}

NgramKind::NgramKind(const ReportOptions& options, analysis::NgramOptions sequences,
                     std::optional<AlphabetChoice> alphabet)
    : CountKind(options),
      sequences_(sequences),
      alphabet_(std::move(alphabet)),
      slots_(analysis::ngramSlots(sequences.length)) {
    if (alphabet_) {
        const analysis::Alphabet& letters = alphabet_->counting.alphabet;
        letters_.assign(letters.shownLetters().begin(), letters.shownLetters().end());
        for (std::size_t letter = 0; letter < letters_.size(); ++letter) {
            letterIndexes_.emplace(letters_[letter], letter);
        }
        slots_ = analysis::sequenceSlots(letters_.size(), sequences.length);
        std::size_t widest = 1;
        for (const std::string& letter : letters_) {
            widest = std::max(widest, displayWidth(letter));
        }
        nameWidth_ = std::max(nameWidth_, widest * static_cast<std::size_t>(sequences.length));
    }
}

NgramCounts NgramKind::count(analysis::InputFile& input, const analysis::MessageSink& showMessage,
                             std::int32_t limit, Kept& kept) const {
    if (!alphabet_) {
        return NgramCounts(analysis::tallyNgrams(input, sequences_, showMessage, limit,
                                                 &kept.buffers, &kept.counters));
    }
    analysis::AlphabetNgramTally tally = analysis::tallyAlphabetNgrams(
        input, alphabet_->counting, sequences_, showMessage, limit, &kept.buffers);
    if (const std::string message = invalidSequencesMessage(tally.letters, tally.encoding);
        !message.empty() && showMessage) {
        showMessage(message);
    }
    return NgramCounts(std::move(tally), slots_);
}

std::string NgramKind::nameOf(std::uint64_t index, int length) const {
    return alphabet_ ? sequenceName(index, length, letters_) : ngramName(index, length);
}

void NgramKind::table(const NgramCounts& counts, ReportSink& out) const {
    const std::vector<ListedNgram> order = ngramOrder(counts, options_.order, options_.top);
    const std::uint64_t largest = counts.largest();
    FrequencyTexts frequency(counts.total());
    out.add(padLeft(ngramKind(counts.length()), nameWidth_) + padLeft("Count", 13) +
            padLeft("Frequency", 12) + "\n");
    for (const auto& [index, count] : order) {
        if (alphabet_) {
            // Aligned by the columns the letters take, which bytes do not tell.
            const std::string name = nameOf(index, counts.length());
            out.addRepeated(' ', nameWidth_ - std::min(nameWidth_, displayWidth(name)));
            out.add(name);
        } else {
            out.addPadded(ngramName(index, counts.length()), 8);
        }
        out.addPadded(countText(count), 13);
        out.addPadded(frequency.of(count).value_or(""), 12);
        // Scaled to the most frequent sequence, which gets the letters' full bar.
        const auto length = static_cast<std::size_t>(
            std::nearbyint(static_cast<double>(barColumns) * static_cast<double>(count) /
                           static_cast<double>(largest)));
        if (length > 0) {
            out.add("  ");
            out.addRepeated('#', length);
        }
        out.add("\n");
    }
    out.add("\nTotal " + lowerCase(ngramKind(counts.length())) + "s: " + decimal(counts.total()) +
            "\n");
}

void NgramKind::rows(const NgramCounts& counts, const ReportRow& row) const {
    FrequencyTexts frequency(counts.total());
    for (const auto& [index, count] : ngramOrder(counts, options_.order, options_.top)) {
        const std::optional<std::string>& text = frequency.of(count);
        row(alphabet_ ? csvField(nameOf(index, counts.length()))
                      : ngramName(index, counts.length()),
            static_cast<std::int64_t>(count), text ? std::string_view(*text) : std::string_view());
    }
}

void NgramKind::jsonObject(std::string_view name, const NgramCounts& counts,
                           std::string_view indent, ReportSink& out) const {
    const std::string outer(indent);
    const std::string inner = outer + "  ";
    out.add(outer + "{\n");
    out.add(inner + "\"file\": " + jsonString(name) + ",\n");
    if (alphabet_) {
        out.add(inner + "\"alphabet\": " + jsonString(alphabet_->name) + ",\n");
    }
    out.add(inner + "\"ngram_length\": " + decimal(counts.length()) + ",\n");
    out.add(inner + "\"total_ngrams\": " + decimal(counts.total()) + ",\n");
    out.add(inner + "\"limitReached\": " + (counts.limitReached() ? "true" : "false") + ",\n");
    const std::vector<ListedNgram> order = ngramOrder(counts, options_.order, options_.top);
    if (order.empty()) {
        out.add(inner + "\"ngrams\": []\n" + outer + "}");
        return;
    }
    out.add(inner + "\"ngrams\": [\n");
    FrequencyTexts frequency(counts.total());
    for (std::size_t i = 0; i < order.size(); ++i) {
        const std::uint64_t count = order[i].count;
        out.add(inner);
        if (alphabet_) {
            out.add("  {\"ngram\": ");
            out.add(jsonString(nameOf(order[i].index, counts.length())));
            out.add(", \"count\": ");
        } else {
            out.add("  {\"ngram\": \"");
            out.add(ngramName(order[i].index, counts.length()));
            out.add("\", \"count\": ");
        }
        out.add(countText(count));
        out.add(", \"frequency\": ");
        out.add(frequency.of(count).value_or("null"));
        out.add(i + 1 < order.size() ? "},\n" : "}\n");
    }
    out.add(inner + "]\n" + outer + "}");
}

// The index of the sequence `name` names in the alphabet's letters; ForeignReport for a name that
// is not sequences_.length of them.
std::uint64_t NgramKind::indexOf(const nlohmann::json& name) const {
    const auto refuse = [&] {
        return ForeignReport("\"ngrams\" holds " + name.dump() + ", not " +
                             decimal(sequences_.length) + " letters of the alphabet " +
                             inQuotes(alphabet_->name));
    };
    if (!name.is_string()) {
        throw refuse();
    }
    const std::string& text = name.get_ref<const std::string&>();
    std::uint64_t index = 0;
    std::size_t at = 0;
    int parsed = 0;
    for (; parsed < sequences_.length && at < text.size(); ++parsed) {
        // Each letter is shown as one character: its UTF-8 is as long as its first byte says.
        const auto lead = static_cast<unsigned char>(text[at]);
        const std::size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        const auto letter = letterIndexes_.find(text.substr(at, length));
        if (letter == letterIndexes_.end()) {
            throw refuse();
        }
        index = index * letters_.size() + letter->second;
        at += length;
    }
    if (parsed != sequences_.length || at != text.size()) {
        throw refuse();
    }
    return index;
}

NgramCounts NgramKind::fromJson(const nlohmann::json& object) const {
    if (object.is_object() && object.contains("letters")) {
        throw ForeignReport("counts single letters, not letter sequences");
    }
    checkKeys(object, {"ngram_length", "total_ngrams", "limitReached", "ngrams"},
              alphabet_ ? std::string_view(alphabet_->name) : latinAlphabet);
    const int length = sequences_.length;
    if (const std::int64_t given = countValue(member(object, "ngram_length"), "\"ngram_length\"");
        given != length) {
        throw ForeignReport("counts sequences of " + decimal(given) + " letters, not of " +
                            decimal(length));
    }
    const bool limitReached = flagValue(member(object, "limitReached"), "\"limitReached\"");
    const nlohmann::json& listed = member(object, "ngrams");
    if (!listed.is_array()) {
        throw ForeignReport("\"ngrams\" is not a list");
    }
    // A to Z by index; another alphabet's, which may have far more sequences, as listed.
    std::vector<std::uint64_t> counts(alphabet_ ? 0 : analysis::ngramSlots(length), 0);
    std::vector<bool> seen(counts.size(), false);
    std::vector<ListedNgram> occurring;
    std::int64_t sum = 0;
    for (const nlohmann::json& entry : listed) {
        if (!entry.is_object() || entry.size() != 3) {
            throw ForeignReport(
                "\"ngrams\" holds something other than {\"ngram\", \"count\", \"frequency\"}");
        }
        const nlohmann::json& name = member(entry, "ngram");
        std::uint64_t index = 0;
        if (alphabet_) {
            index = indexOf(name);
        } else {
            bool letters = name.is_string() && name.get_ref<const std::string&>().size() ==
                                                   static_cast<std::size_t>(length);
            for (std::size_t i = 0; letters && i < static_cast<std::size_t>(length); ++i) {
                const char c = name.get_ref<const std::string&>()[i];
                letters = c >= 'A' && c <= 'Z';
                index = index * analysis::letterCount + static_cast<std::size_t>(c - 'A');
            }
            if (!letters) {
                throw ForeignReport("\"ngrams\" holds " + name.dump() + ", not " + decimal(length) +
                                    " capital letters A to Z");
            }
            if (seen[index]) {
                throw ForeignReport("\"ngrams\" lists " + name.dump() + " twice");
            }
            seen[index] = true;
        }
        const std::int64_t count =
            countValue(member(entry, "count"), "the count of " + name.dump());
        checkNumber(member(entry, "frequency"), "the frequency of " + name.dump(), true);
        if (count > std::numeric_limits<std::int64_t>::max() - sum) {
            throw ForeignReport("the sequences' counts add up to more than 2^63 - 1");
        }
        sum += count;
        if (alphabet_) {
            occurring.push_back({index, static_cast<std::uint64_t>(count)});
        } else {
            counts[index] = static_cast<std::uint64_t>(count);
        }
    }
    const std::int64_t total = countValue(member(object, "total_ngrams"), "\"total_ngrams\"");
    if (sum != total) {
        // --top lists only some of the sequences; their sum is then short of the total.
        throw ForeignReport("the listed sequences add up to " + decimal(sum) +
                            ", not to \"total_ngrams\" " + decimal(total) +
                            " (--json --top lists only some of them)");
    }
    if (!alphabet_) {
        return NgramCounts(length, std::move(counts), total, limitReached);
    }
    std::sort(occurring.begin(), occurring.end(),
              [](const ListedNgram& a, const ListedNgram& b) { return a.index < b.index; });
    const auto twice = std::adjacent_find(
        occurring.begin(), occurring.end(),
        [](const ListedNgram& a, const ListedNgram& b) { return a.index == b.index; });
    if (twice != occurring.end()) {
        throw ForeignReport("\"ngrams\" lists " + jsonString(nameOf(twice->index, length)) +
                            " twice");
    }
    // A sequence listed with count 0 occurs no more than one left out.
    std::erase_if(occurring, [](const ListedNgram& entry) { return entry.count == 0; });
    return NgramCounts(length, slots_, std::move(occurring), total, limitReached);
}

}  // namespace glyphmeter::cli
