// Reader buffers: grown in powers of two, and on Linux a transparent huge page for full blocks.
#include "ReaderBuffers.h"

#include <cstdlib>
#include <new>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace glyphmeter::analysis {

namespace {

constexpr std::size_t smallestBuffer = std::size_t{4} << 10;

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

std::span<std::byte> ReaderBuffers::forReader(int reader, std::size_t size) {
    Buffer& buffer = buffers_.at(static_cast<std::size_t>(reader));
    if (buffer.size >= size) {
        return {buffer.memory.get(), buffer.size};
    }
    buffer.memory.reset();
    buffer.size = 0;
    std::size_t capacity = roundedUp(size);
    void* memory = nullptr;
#ifdef __linux__
    // Blocks of a large file go into one transparent huge page where the system hands them out on
    // request: its 512 ordinary pages would each take a page fault on first use, which for files
    // of a few megabytes costs more than counting them. Small files never get one: the system
    // zeroes all 2 MiB of it.
    constexpr std::size_t hugePage = std::size_t{1} << 21;
    if (capacity > hugePage / 8 && capacity <= hugePage) {
        memory = std::aligned_alloc(hugePage, hugePage);
        if (memory != nullptr) {
            ::madvise(memory, hugePage, MADV_HUGEPAGE);
            capacity = hugePage;
        }
    }
#endif
    if (memory == nullptr) {
        memory = std::malloc(capacity);
    }
    if (memory == nullptr) {
        throw std::bad_alloc();
    }
    buffer.memory.reset(static_cast<std::byte*>(memory));
    buffer.size = capacity;
    return {buffer.memory.get(), buffer.size};
}

}  // namespace glyphmeter::analysis
