// File names as text: the UTF-8 a message or a report shows for a path, and the path a UTF-8 name
// stands for.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace glyphmeter::cli {

// The path in UTF-8; on Linux its bytes as they are, whatever they hold.
inline std::string utf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// The path a name given in UTF-8 (or, on Linux, in any bytes) stands for.
inline std::filesystem::path pathFromUtf8(std::string_view name) {
    return std::filesystem::path(std::u8string(name.begin(), name.end()));
}

}  // namespace glyphmeter::cli
