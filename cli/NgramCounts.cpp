#include "NgramCounts.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <utility>

namespace glyphmeter::cli {

namespace {

// The most sequences a total holds a count for each of.
constexpr std::uint64_t wideBound = std::uint64_t{1} << 22;

}  // namespace

NgramCounts::NgramCounts(int sequenceLength)
    : NgramCounts(sequenceLength, analysis::ngramSlots(sequenceLength)) {}

NgramCounts::NgramCounts(int sequenceLength, std::uint64_t slots)
    : length_(sequenceLength), slots_(slots), hashedTotal_(true) {}

bool NgramCounts::mayWiden() const {
    return slots_ <= wideBound;
}

void NgramCounts::widen() {
    wide_.assign(static_cast<std::size_t>(slots_), 0);
    hashed_.forEach([&](std::uint64_t index, std::uint64_t count) {
        if (index < wide_.size()) {
            wide_[index] += count;
        }
    });
    hashed_ = analysis::HashedCounts();
    hashedTotal_ = false;
}

NgramCounts::NgramCounts(analysis::NgramTally&& tally)
    : length_(tally.options.length),
      slots_(analysis::ngramSlots(tally.options.length)),
      sparse_(std::move(tally.counts)),
      total_(tally.totalNgrams),
      limitReached_(tally.limitReached) {}

NgramCounts::NgramCounts(analysis::AlphabetNgramTally&& tally, std::uint64_t slots)
    : length_(tally.options.length),
      slots_(slots),
      listed_(std::move(tally.counts)),
      total_(tally.totalNgrams),
      limitReached_(tally.limitReached) {}

NgramCounts::NgramCounts(int sequenceLength, std::vector<std::uint64_t> counts, std::int64_t total,
                         bool limitReached)
    : length_(sequenceLength),
      slots_(analysis::ngramSlots(sequenceLength)),
      wide_(std::move(counts)),
      total_(total),
      limitReached_(limitReached) {}

NgramCounts::NgramCounts(int sequenceLength, std::uint64_t slots, std::vector<ListedNgram> listed,
                         std::int64_t total, bool limitReached)
    : length_(sequenceLength),
      slots_(slots),
      listed_(std::move(listed)),
      total_(total),
      limitReached_(limitReached) {}

bool NgramCounts::operator==(const NgramCounts& other) const {
    const auto same = [](const ListedNgram& a, const ListedNgram& b) {
        return a.index == b.index && a.count == b.count;
    };
    const std::vector<ListedNgram> mine = listed();
    const std::vector<ListedNgram> theirs = other.listed();
    return length_ == other.length_ && total_ == other.total_ &&
           limitReached_ == other.limitReached_ &&
           std::equal(mine.begin(), mine.end(), theirs.begin(), theirs.end(), same);
}

std::uint64_t NgramCounts::largest() const {
    std::uint64_t largest = 0;
    for (const analysis::NgramCount& count : sparse_) {
        largest = std::max<std::uint64_t>(largest, count.count);
    }
    for (const ListedNgram& count : listed_) {
        largest = std::max(largest, count.count);
    }
    for (const std::uint64_t count : wide_) {
        largest = std::max(largest, count);
    }
    hashed_.forEach(
        [&](std::uint64_t, std::uint64_t count) { largest = std::max(largest, count); });
    return largest;
}

std::vector<ListedNgram> NgramCounts::listed() const {
    std::vector<ListedNgram> listed;
    if (hashedTotal_) {
        listed.reserve(hashed_.size());
        hashed_.forEach([&](std::uint64_t index, std::uint64_t count) {
            if (count != 0) {
                listed.push_back({index, count});
            }
        });
        std::sort(listed.begin(), listed.end(),
                  [](const ListedNgram& a, const ListedNgram& b) { return a.index < b.index; });
    } else if (!listed_.empty()) {
        listed = listed_;
    } else if (wide_.empty()) {
        listed.reserve(sparse_.size());
        for (const analysis::NgramCount& count : sparse_) {
            listed.push_back({count.index, count.count});
        }
    } else {
        for (std::size_t index = 0; index < wide_.size(); ++index) {
            if (wide_[index] != 0) {
                listed.push_back({index, wide_[index]});
            }
        }
    }
    return listed;
}

void NgramCounts::add(const NgramCounts& other) {
    if (hashedTotal_ && !other.wide_.empty() && mayWiden()) {
        widen();
    }
    const std::uint64_t slots = slots_;
    const auto addOne = [&](std::uint64_t index, std::uint64_t count) {
        if (hashedTotal_) {
            if (index < slots) {
                hashed_.add(index, count);
            }
        } else if (index < wide_.size()) {
            wide_[index] += count;
        }
    };
    for (const analysis::NgramCount& count : other.sparse_) {
        addOne(count.index, count.count);
    }
    for (const ListedNgram& count : other.listed_) {
        addOne(count.index, count.count);
    }
    other.hashed_.forEach(addOne);
    if (!other.wide_.empty()) {
        if (hashedTotal_) {
            for (std::size_t i = 0; i < other.wide_.size(); ++i) {
                if (other.wide_[i] != 0) {
                    addOne(i, other.wide_[i]);
                }
            }
        } else {
            const std::size_t shared = std::min(wide_.size(), other.wide_.size());
            for (std::size_t i = 0; i < shared; ++i) {
                wide_[i] += other.wide_[i];
            }
        }
    }
    if (hashedTotal_ && mayWiden() && hashed_.heapBytes() > slots * sizeof(std::uint64_t) / 4) {
        widen();
    }
    total_ += other.total_;
    limitReached_ = limitReached_ || other.limitReached_;
}

std::size_t NgramCounts::heapBytes() const {
    return sparse_.capacity() * sizeof(analysis::NgramCount) +
           listed_.capacity() * sizeof(ListedNgram) + hashed_.heapBytes() +
           wide_.capacity() * sizeof(std::uint64_t);
}

namespace {

// Orders `listed`, which is in index order, by count, highest first, keeping index order among
// equal counts. A file's counts are small, so a counting sort over them costs what the sequences
// cost; larger counts (a total's) take a comparison sort.
void orderByCount(std::vector<ListedNgram>& listed, std::size_t shown) {
    std::uint64_t largest = 0;
    for (const ListedNgram& entry : listed) {
        largest = std::max(largest, entry.count);
    }
    if (largest <= 4 * listed.size() + 1024) {
        // starts[c]: where the entries with count c begin, counting down from the largest.
        std::vector<std::uint32_t> starts(static_cast<std::size_t>(largest) + 2, 0);
        for (const ListedNgram& entry : listed) {
            ++starts[static_cast<std::size_t>(largest - entry.count) + 1];
        }
        for (std::size_t i = 1; i < starts.size(); ++i) {
            starts[i] += starts[i - 1];
        }
        std::vector<ListedNgram> ordered(listed.size());
        for (const ListedNgram& entry : listed) {
            ordered[starts[static_cast<std::size_t>(largest - entry.count)]++] = entry;
        }
        listed.swap(ordered);
        return;
    }
    // Indexes run alphabetically, so they settle equal counts.
    const auto before = [](const ListedNgram& a, const ListedNgram& b) {
        return a.count != b.count ? a.count > b.count : a.index < b.index;
    };
    if (shown == listed.size()) {
        std::sort(listed.begin(), listed.end(), before);
    } else {
        std::partial_sort(listed.begin(), listed.begin() + static_cast<std::ptrdiff_t>(shown),
                          listed.end(), before);
    }
}

}  // namespace

std::vector<ListedNgram> ngramOrder(const NgramCounts& counts, SortOrder order, std::size_t top) {
    std::vector<ListedNgram> listed = counts.listed();
    const std::size_t shown = top == 0 ? listed.size() : std::min(top, listed.size());
    if (order == SortOrder::byCount) {
        orderByCount(listed, shown);
    }
    listed.resize(shown);
    return listed;
}

std::string ngramName(std::uint64_t index, int length) {
    std::string name(static_cast<std::size_t>(length), 'A');
    for (std::size_t i = name.size(); i-- > 0; index /= 26) {
        name[i] = static_cast<char>('A' + index % 26);
    }
    return name;
}

std::string sequenceName(std::uint64_t index, int length, const std::vector<std::string>& names) {
    std::array<std::uint64_t, 4> digits{};
    for (int i = length; i-- > 0; index /= names.size()) {
        digits[static_cast<std::size_t>(i)] = index % names.size();
    }
    std::string name;
    for (int i = 0; i < length; ++i) {
        name += names[static_cast<std::size_t>(digits[static_cast<std::size_t>(i)])];
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
