// The memory the tally's readers read blocks into, kept from one file to the next.
//
// Counting a corpus of small files one after another should not pay for a fresh megabyte (or a
// huge page, which the system zeroes) per file: each reader's buffer is made on first need, grown
// to what a later file needs, and otherwise reused. A small file gets a buffer its own size.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <mutex>
#include <span>

namespace glyphmeter::analysis {

class ReaderBuffers {
  public:
    // The readers of one tally: the calling thread and a second reader for large regular files.
    static constexpr int readers = 2;

    // At least `size` bytes for `reader` (0 or 1); what was in them before is undefined. Throws
    // std::bad_alloc. One tally at a time may use the buffers; each reader only its own.
    std::span<std::byte> forReader(int reader, std::size_t size);

  private:
    struct FreeMemory {
        void operator()(std::byte* memory) const noexcept;
    };
    using Memory = std::unique_ptr<std::byte[], FreeMemory>;
    struct Buffer {
        Memory owned;  // empty where the buffer is a share of the huge page
        std::byte* data = nullptr;
        std::size_t size = 0;
    };

    // The readers' shares of one huge page, where the system gives one; null otherwise.
    std::byte* hugePageShare(int reader);

    std::array<Buffer, readers> buffers_;
    std::mutex hugePageMutex_;  // the two readers may ask for their shares at once
    Memory hugePage_;
    bool hugePageTried_ = false;
};

}  // namespace glyphmeter::analysis
