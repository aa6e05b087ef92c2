#include "NumberText.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace glyphmeter::analysis {

namespace {

constexpr int significantDigits = 15;

std::string toChars(std::int64_t value) {
    char buffer[24];
    return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

// The value rounded to 15 significant digits, in positional notation with a point, no exponent
// and no trailing zeros: "0.3", "1", "-2.5".
std::string fifteenDigits(double value) {
    if (!std::isfinite(value)) {
        return value != value ? "NaN" : (value > 0 ? "Infinity" : "-Infinity");
    }
    if (value == 0) {
        value = 0.0;  // no "-0"
    }
    // General format gives at most 15 significant digits with trailing zeros dropped; it only
    // resorts to an exponent for very small or very large magnitudes, which are written out in
    // full instead with as many decimals as the 15 digits need.
    char buffer[400];
    std::string text(buffer, std::to_chars(buffer, buffer + sizeof buffer, value,
                                           std::chars_format::general, significantDigits)
                                 .ptr);
    if (text.find('e') == std::string::npos) {
        return text;
    }
    const int exponent = static_cast<int>(std::floor(std::log10(std::fabs(value))));
    const int decimals = exponent >= significantDigits - 1 ? 0 : significantDigits - 1 - exponent;
    text.assign(buffer, std::to_chars(buffer, buffer + sizeof buffer, value,
                                      std::chars_format::fixed, decimals)
                            .ptr);
    if (text.find('.') != std::string::npos) {
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.') {
            text.pop_back();
        }
    }
    return text;
}

}  // namespace

std::string signedNumberText(std::int64_t value) {
    // Built by appending rather than with " " + toChars(value): GCC 12 warns wrongly (-Wrestrict)
    // about that operator+ once it is inlined at -O2.
    std::string text = value < 0 ? "" : " ";
    text += toChars(value);
    return text;
}

std::string signedNumberText(double value) {
    std::string digits = fifteenDigits(value);
    const bool negative = digits.front() == '-';
    if (negative) {
        digits.erase(0, 1);
    }
    if (digits.starts_with("0.")) {
        digits.erase(0, 1);
    }
    return (negative ? "-" : " ") + digits;
}

std::string plainNumberText(std::int64_t value) {
    return toChars(value);
}

std::string plainNumberText(double value, std::string_view decimalSeparator) {
    std::string digits = fifteenDigits(value);
    if (const auto point = digits.find('.'); point != std::string::npos) {
        digits.replace(point, 1, decimalSeparator);
    }
    return digits;
}

}  // namespace glyphmeter::analysis
