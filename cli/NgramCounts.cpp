#include "NgramCounts.h"

#include <algorithm>
#include <charconv>
#include <utility>

namespace glyphmeter::cli {

NgramCounts::NgramCounts(int sequenceLength)
    : length_(sequenceLength), wide_(analysis::ngramSlots(sequenceLength), 0) {}

NgramCounts::NgramCounts(analysis::NgramTally&& tally)
    : length_(tally.options.length),
      narrow_(std::move(tally.counts)),
      total_(tally.totalNgrams),
      limitReached_(tally.limitReached) {}

NgramCounts::NgramCounts(int sequenceLength, std::vector<std::uint64_t> counts, std::int64_t total,
                         bool limitReached)
    : length_(sequenceLength),
      wide_(std::move(counts)),
      total_(total),
      limitReached_(limitReached) {}

bool NgramCounts::operator==(const NgramCounts& other) const {
    if (length_ != other.length_ || total_ != other.total_ ||
        limitReached_ != other.limitReached_ || slots() != other.slots()) {
        return false;
    }
    for (std::size_t index = 0; index < slots(); ++index) {
        if (count(index) != other.count(index)) {
            return false;
        }
    }
    return true;
}

void NgramCounts::add(const NgramCounts& other) {
    const std::size_t slots = std::min(wide_.size(), other.slots());
    if (other.wide_.empty()) {
        for (std::size_t i = 0; i < slots; ++i) {
            wide_[i] += other.narrow_[i];
        }
    } else {
        for (std::size_t i = 0; i < slots; ++i) {
            wide_[i] += other.wide_[i];
        }
    }
    total_ += other.total_;
    limitReached_ = limitReached_ || other.limitReached_;
}

std::vector<std::uint32_t> ngramOrder(const NgramCounts& counts, SortOrder order, std::size_t top) {
    std::vector<std::uint32_t> listed;
    for (std::size_t index = 0; index < counts.slots(); ++index) {
        if (counts.count(index) != 0) {
            listed.push_back(static_cast<std::uint32_t>(index));
        }
    }
    const std::size_t shown = top == 0 ? listed.size() : std::min(top, listed.size());
    if (order == SortOrder::byCount) {
        // Indexes run alphabetically, so they settle equal counts.
        const auto before = [&](std::uint32_t a, std::uint32_t b) {
            const std::uint64_t countA = counts.count(a);
            const std::uint64_t countB = counts.count(b);
            return countA != countB ? countA > countB : a < b;
        };
        std::partial_sort(listed.begin(), listed.begin() + static_cast<std::ptrdiff_t>(shown),
                          listed.end(), before);
    }
    listed.resize(shown);
    return listed;
}

std::string ngramName(std::uint32_t index, int length) {
    std::string name(static_cast<std::size_t>(length), 'A');
    for (std::size_t i = name.size(); i-- > 0; index /= 26) {
        name[i] = static_cast<char>('A' + index % 26);
    }
    return name;
}

std::optional<std::string> sixDecimals(std::uint64_t count, std::int64_t total) {
    if (total <= 0) {
        return std::nullopt;
    }
    // Counts stay far below 2^53, so both convert exactly and the quotient is rounded once;
    // to_chars then writes its decimal expansion correctly rounded to six places.
    const double quotient = static_cast<double>(count) / static_cast<double>(total);
    char buffer[32];
    return std::string(
        buffer,
        std::to_chars(buffer, buffer + sizeof buffer, quotient, std::chars_format::fixed, 6).ptr);
}

}  // namespace glyphmeter::cli
