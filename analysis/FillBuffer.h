// The loop around a system read call that may return fewer bytes than asked for.
#pragma once

#include <cstddef>
#include <span>

namespace glyphmeter::analysis {

// Calls `readSome(destination, size, alreadyRead)` until `buffer` is full or it returns 0 (the end
// of the input). `readSome` returns how many bytes it read and throws on a read error.
template <typename ReadSome>
std::size_t fillBuffer(std::span<std::byte> buffer, ReadSome readSome) {
    std::size_t done = 0;
    while (done < buffer.size()) {
        const std::size_t got = readSome(buffer.data() + done, buffer.size() - done, done);
        if (got == 0) {
            break;
        }
        done += got;
    }
    return done;
}

}  // namespace glyphmeter::analysis
