// Counts by index in an open-addressing hash table: a total of letter sequences while the
// sequences seen are few, so that adding up many small files holds what they hold rather than
// a slot for every possible sequence.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace glyphmeter::cli {

class HashedCounts {
  public:
    struct Entry {
        std::uint32_t key = 0;  // index + 1; 0 marks a free slot
        std::uint64_t count = 0;
    };

    // Adds `count` to the count of `index` (below 2^32 - 1).
    void add(std::uint32_t index, std::uint64_t count);

    // The indexes counted, each once, in no particular order.
    std::size_t size() const { return size_; }
    template <typename Visit>
    void forEach(Visit&& visit) const {
        for (const Entry& entry : slots_) {
            if (entry.key != 0) {
                visit(entry.key - 1, entry.count);
            }
        }
    }

    std::size_t heapBytes() const { return slots_.capacity() * sizeof(Entry); }

  private:
    void grow();

    std::vector<Entry> slots_;  // a power of two of them, at most half in use
    std::size_t size_ = 0;
};

}  // namespace glyphmeter::cli
