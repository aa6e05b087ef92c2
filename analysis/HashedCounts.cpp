#include "HashedCounts.h"

#include <utility>

namespace glyphmeter::analysis {

namespace {

// Spreads nearby indexes (sequences sharing their first letters) over the table.
std::size_t slotOf(std::uint64_t key, std::size_t mask) {
    return static_cast<std::size_t>((key * std::uint64_t{0x9E3779B97F4A7C15}) >> 32) & mask;
}

}  // namespace

void HashedCounts::add(std::uint64_t index, std::uint64_t count) {
    if ((size_ + 1) * 2 > slots_.size()) {
        grow();
    }
    const std::uint64_t key = index + 1;
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t slot = slotOf(key, mask);; slot = (slot + 1) & mask) {
        Entry& entry = slots_[slot];
        if (entry.key == key) {
            entry.count += count;
            return;
        }
        if (entry.key == 0) {
            entry = {key, count};
            ++size_;
            return;
        }
    }
}

void HashedCounts::grow() {
    std::vector<Entry> old(slots_.empty() ? 1024 : slots_.size() * 2);
    old.swap(slots_);
    size_ = 0;
    for (const Entry& entry : old) {
        if (entry.key != 0) {
            add(entry.key - 1, entry.count);
        }
    }
}

}  // namespace glyphmeter::analysis
