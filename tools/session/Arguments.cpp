#include "Arguments.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Digits, then (with `point`) at most one point with digits after it: no sign, space, exponent,
// hex, nan or inf.
bool plainDecimal(const char* text, std::size_t length, bool point = true) {
    if (length == 0) return false;
    for (std::size_t i = 0; i < length; i++) {
        if (std::isdigit(static_cast<unsigned char>(text[i]))) continue;
        if (text[i] != '.' || !point || i == 0 || i + 1 == length) return false;
        point = false;
    }
    return true;
}

} // namespace

bool parseNumber(const char* text, double& value) {
    if (!plainDecimal(text, std::strlen(text))) return false;
    value = std::strtod(text, nullptr);
    return std::isfinite(value);
}

bool parseSize(const char* text, int& width, int& height) {
    const char* x = std::strchr(text, 'x');
    if (!x || !plainDecimal(text, std::size_t(x - text), false) || !plainDecimal(x + 1, std::strlen(x + 1), false))
        return false;
    // The width alone: strtod would read "0x36" whole, as hexadecimal.
    double w = std::strtod(std::string(text, x).c_str(), nullptr), h = std::strtod(x + 1, nullptr);
    if (w < 1 || h < 1 || w > largestFrameSide || h > largestFrameSide) return false;
    width = int(w), height = int(h);
    return true;
}
