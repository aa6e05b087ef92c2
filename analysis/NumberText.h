// The two ways the program writes numbers.
//
// Both round a double to at most 15 significant digits and drop trailing zeros, so 0.1000 reads
// "1" after the point and 1.0 reads "1". They differ in three visible ways:
//   signed form: a leading space as the sign position of a non-negative number, no zero before
//                the decimal point, always a point:      " 0", " 3", " .1234", " 1"
//   plain form:  nothing in front, the zero kept, the decimal separator chosen by the caller
//                (the user's regional one):              "0", "0.3", "0,3"
// Neither depends on the C locale or any other global state.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace glyphmeter::analysis {

std::string signedNumberText(std::int64_t value);
std::string signedNumberText(double value);

std::string plainNumberText(std::int64_t value);
std::string plainNumberText(double value, std::string_view decimalSeparator = ".");

// Avoids silently picking the double overload for int arguments.
inline std::string signedNumberText(std::int32_t value) {
    return signedNumberText(static_cast<std::int64_t>(value));
}
inline std::string plainNumberText(std::int32_t value) {
    return plainNumberText(static_cast<std::int64_t>(value));
}

}  // namespace glyphmeter::analysis
