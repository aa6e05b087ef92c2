#include "JsonString.h"

#include <nlohmann/json.hpp>

namespace glyphmeter::cli {

std::string jsonString(std::string_view text) {
    // Compact form, no \u escapes for valid UTF-8, and U+FFFD for what is not valid UTF-8 instead
    // of the exception the library throws by default.
    return nlohmann::json(std::string(text))
        .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace glyphmeter::cli
