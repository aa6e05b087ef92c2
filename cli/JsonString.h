// Writing arbitrary text as a JSON string, with nlohmann's JSON library.
#pragma once

#include <string>
#include <string_view>

namespace glyphmeter::cli {

// `text` between double quotes, with quotes, backslashes and control characters escaped. Valid
// UTF-8 is kept as it is; each ill-formed part (a stray byte, or the start of a sequence that
// breaks off) becomes one U+FFFD, as Unicode recommends, so the result is valid JSON even for a
// Linux file name that is not UTF-8.
std::string jsonString(std::string_view text);

}  // namespace glyphmeter::cli
