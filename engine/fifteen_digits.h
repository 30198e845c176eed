#pragma once

#include <array>
#include <cstddef>

// A double rounded to the 15 significant digits of its text form.
namespace quanvik::detail {

constexpr std::size_t TEXT_DIGITS = 15;

// Significant digits d1d2...dn (n <= 15, no trailing zeros) of a finite
// nonzero double rounded to 15 digits, and the decimal exponent of d1.
struct Digits {
    bool negative = false;
    std::array<char, 20> digits {};
    std::size_t size = 0;
    int exponent = 0;
};

Digits roundTo15Digits(double value);

} // namespace quanvik::detail
