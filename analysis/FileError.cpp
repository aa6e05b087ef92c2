#include "FileError.h"

#include <utility>

namespace glyphmeter::analysis {

namespace {

std::string utf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace

FileError::FileError(std::filesystem::path path, std::string reason)
    : std::runtime_error(utf8(path) + ": " + reason),
      path_(std::move(path)),
      reason_(std::move(reason)) {}

std::string FileError::displayPath() const {
    return utf8(path_);
}

}  // namespace glyphmeter::analysis
