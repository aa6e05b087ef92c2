#include "FileError.h"

#include <cerrno>
#include <new>
#include <system_error>
#include <utility>

namespace glyphmeter::analysis {

namespace {

std::string utf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace

FileError::FileError(std::filesystem::path path, std::string reason, std::error_code code)
    : std::runtime_error(utf8(path) + ": " + reason),
      path_(std::move(path)),
      reason_(std::move(reason)),
      code_(code) {}

std::string FileError::displayPath() const {
    return utf8(path_);
}

std::string failureReason(const std::exception& failure) {
    if (const auto* fileError = dynamic_cast<const FileError*>(&failure)) {
        return fileError->reason();
    }
    if (dynamic_cast<const std::bad_alloc*>(&failure) != nullptr) {
        return std::generic_category().message(ENOMEM);
    }
    if (const auto* system = dynamic_cast<const std::system_error*>(&failure)) {
        return system->code().message();
    }
    return failure.what();
}

}  // namespace glyphmeter::analysis
