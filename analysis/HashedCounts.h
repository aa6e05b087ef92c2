// Counts by index in an open-addressing hash table: letter sequences while those seen are few
// next to all there could be (a total of many small files, an alphabet of many letters), so that
// the counts hold what occurs rather than a slot for every possible sequence.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace glyphmeter::analysis {

class HashedCounts {
  public:
    struct Entry {
        std::uint64_t key = 0;  // index + 1; 0 marks a free slot
        std::uint64_t count = 0;
    };

    // Adds `count` to the count of `index` (below 2^64 - 1).
    void add(std::uint64_t index, std::uint64_t count);

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

    // A power of two of them, at most half in use: 16 bytes an entry, so at most 64 bytes for
    // each index counted.
    std::vector<Entry> slots_;
    std::size_t size_ = 0;
};

}  // namespace glyphmeter::analysis
