// Reader buffers: grown in powers of two, and on Linux full blocks in one transparent huge page
// that the two readers share.
#include "ReaderBuffers.h"

#include <cstdlib>
#include <new>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace glyphmeter::analysis {

namespace {

constexpr std::size_t smallestBuffer = std::size_t{4} << 10;
constexpr std::size_t hugePageSize = std::size_t{1} << 21;
// Each reader's share of the huge page.
constexpr std::size_t hugePageShareSize = hugePageSize / ReaderBuffers::readers;

std::size_t roundedUp(std::size_t size) {
    std::size_t rounded = smallestBuffer;
    while (rounded < size) {
        rounded *= 2;
    }
    return rounded;
}

}  // namespace

void ReaderBuffers::FreeMemory::operator()(std::byte* memory) const noexcept {
    std::free(memory);
}

// Blocks of a large file go into one transparent huge page where the system hands them out on
// request: its 512 ordinary pages would each take a page fault on first use, and in a virtual
// machine every miss in the address translation of ordinary pages costs a two-level walk, which
// slows the copying of every block. The two readers share one page, so the system zeroes one
// page per run and not two. Small files never get one: the system zeroes all 2 MiB of it.
std::byte* ReaderBuffers::hugePageShare(int reader) {
#ifdef __linux__
    const std::lock_guard lock(hugePageMutex_);
    if (!hugePageTried_) {
        hugePageTried_ = true;
        if (void* memory = std::aligned_alloc(hugePageSize, hugePageSize)) {
            ::madvise(memory, hugePageSize, MADV_HUGEPAGE);
            hugePage_.reset(static_cast<std::byte*>(memory));
        }
    }
    if (hugePage_) {
        return hugePage_.get() + static_cast<std::size_t>(reader) * hugePageShareSize;
    }
#else
    (void)reader;
#endif
    return nullptr;
}

std::span<std::byte> ReaderBuffers::forReader(int reader, std::size_t size) {
    Buffer& buffer = buffers_.at(static_cast<std::size_t>(reader));
    if (buffer.size >= size) {
        return {buffer.data, buffer.size};
    }
    buffer.owned.reset();
    buffer.data = nullptr;
    buffer.size = 0;
    std::size_t capacity = roundedUp(size);
    if (capacity > hugePageSize / 8 && capacity <= hugePageShareSize) {
        if (std::byte* share = hugePageShare(reader)) {
            buffer.data = share;
            buffer.size = hugePageShareSize;
            return {buffer.data, buffer.size};
        }
    }
    buffer.owned.reset(static_cast<std::byte*>(std::malloc(capacity)));
    if (!buffer.owned) {
        throw std::bad_alloc();
    }
    buffer.data = buffer.owned.get();
    buffer.size = capacity;
    return {buffer.data, buffer.size};
}

}  // namespace glyphmeter::analysis
