// A file held in memory for the tallies to read, scripted to fail or shrink.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <mutex>
#include <optional>
#include <span>

#include "BlockReading.h"
#include "FileError.h"

namespace glyphmeter::testing {

// A file held in memory, read by position or in sequence (as a pipe is), whose reads fail with an
// I/O error once they reach `failAt`, and which another program cuts to `cutAt` bytes as soon as a
// read reaches that far.
class ScriptedInput final : public analysis::detail::BlockInput {
  public:
    static constexpr std::uint64_t never = std::numeric_limits<std::uint64_t>::max();

    ScriptedInput(std::span<const std::byte> bytes, bool positioned, std::uint64_t failAt = never,
                  std::uint64_t cutAt = never)
        : bytes_(bytes), positioned_(positioned), failAt_(failAt), cutAt_(cutAt) {}
    bool supportsPositionedReads() const override { return positioned_; }
    std::optional<std::uint64_t> size() const override {
        return positioned_ ? std::optional<std::uint64_t>(bytes_.size()) : std::nullopt;
    }
    std::size_t readAt(std::uint64_t offset, std::span<std::byte> buffer) override {
        const std::lock_guard lock(mutex_);
        if (offset + buffer.size() > failAt_) {
            throw analysis::FileError("scripted.bin", "Input/output error");
        }
        if (offset + buffer.size() > cutAt_) {
            bytes_ = bytes_.first(std::min<std::size_t>(bytes_.size(), cutAt_));
        }
        if (offset >= bytes_.size()) {
            return 0;
        }
        const std::size_t got = std::min<std::size_t>(buffer.size(), bytes_.size() - offset);
        std::memcpy(buffer.data(), bytes_.data() + offset, got);
        return got;
    }
    std::size_t read(std::span<std::byte> buffer) override {
        const std::size_t got = readAt(position_, buffer);
        position_ += got;
        return got;
    }

  private:
    std::mutex mutex_;
    std::span<const std::byte> bytes_;
    const bool positioned_;
    const std::uint64_t failAt_;
    const std::uint64_t cutAt_;
    std::uint64_t position_ = 0;
};

}  // namespace glyphmeter::testing
