#pragma once

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>

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

// The exact expansion of a finite nonzero value, rounded to 15 digits.
Digits exactDigits(double value);

// The quick path of exactDigits, for a magnitude: rounded to 15 digits as
// integer x 10^-scale, or false where it cannot tell.
bool roundQuickly(double magnitude, std::uint64_t& integer, int& scale);

// A finite nonzero value rounded to 15 digits. Inline, so that the writing
// gets its digits without a copy.
inline Digits roundTo15Digits(double value)
{
    std::uint64_t integer = 0;
    int scale = 0;
    if (!roundQuickly(std::fabs(value), integer, scale))
        return exactDigits(value);

    Digits d;
    d.negative = value < 0;
    d.exponent = static_cast<int>(TEXT_DIGITS) - 1 - scale;
    if (integer == 1'000'000'000'000'000) {
        integer /= 10;
        ++d.exponent;
    }
    while (integer % 10 == 0)
        integer /= 10;
    std::array<char, 20> reversed {};
    while (integer != 0) {
        reversed[d.size++] = static_cast<char>('0' + integer % 10);
        integer /= 10;
    }
    for (std::size_t i = 0; i < d.size; ++i)
        d.digits[i] = reversed[d.size - 1 - i];
    return d;
}

} // namespace quanvik::detail
