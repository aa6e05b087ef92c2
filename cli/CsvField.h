// One field of a CSV line, as the reports write it.
#pragma once

#include <string>
#include <string_view>

namespace glyphmeter::cli {

// `text` as it stands, or quoted with its quotes doubled when it holds a comma, a quote or a line
// break.
inline std::string csvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        return std::string(text);
    }
    std::string out = "\"";
    for (const char c : text) {
        out += c;
        if (c == '"') {
            out += '"';
        }
    }
    return out + '"';
}

}  // namespace glyphmeter::cli
