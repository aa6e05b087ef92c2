// An open file as the tallies read it: the BlockInput the letter and sequence tallies take, over
// an InputFile.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "BlockReading.h"
#include "InputFile.h"

namespace glyphmeter::analysis::detail {

class FileBlockInput final : public BlockInput {
  public:
    explicit FileBlockInput(InputFile& file) : file_(file) {}
    bool supportsPositionedReads() const override { return file_.supportsPositionedReads(); }
    std::size_t readAt(std::uint64_t offset, std::span<std::byte> buffer) override {
        return file_.readAt(offset, buffer);
    }
    std::size_t read(std::span<std::byte> buffer) override { return file_.read(buffer); }
    std::optional<std::uint64_t> size() const override { return file_.sizeAtOpen(); }

  private:
    InputFile& file_;
};

}  // namespace glyphmeter::analysis::detail
