// Writing arbitrary text as a JSON string.
#pragma once

#include <string>
#include <string_view>

namespace glyphmeter::cli {

// `text` between double quotes, with quotes, backslashes and control characters escaped. Valid
// UTF-8 is kept as it is; every byte that is not part of a valid UTF-8 sequence becomes U+FFFD,
// so the result is valid JSON even for a Linux file name that is not UTF-8.
std::string jsonString(std::string_view text);

}  // namespace glyphmeter::cli
