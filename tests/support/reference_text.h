#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace quanvik {

// Room for the longest text: '-1.23456789012345E-308' or '-0.000000000000001'.
inline constexpr std::size_t REFERENCE_TEXT_SIZE = 32;

struct ReferenceText {
    std::array<char, REFERENCE_TEXT_SIZE> chars;
    std::size_t size = 0;

    std::string_view view() const { return {chars.data(), size}; }
};

// The text numberToText documents for a finite x, worked out apart from the
// engine on the standard library's correctly rounded digits: 15 significant
// digits, an exact tie at the sixteenth going away from zero, trailing zeros
// dropped; plain from 1E-4 to below 1E15 and below 1E-4 while at most 15
// digits follow the point, exponent form otherwise. The tests, the float
// sweep and the fuzzer all check against this one.
ReferenceText referenceText(double x);

// roundTo2 as documented: x * 100 to the nearest integer, half to even (the
// default rounding mode), over 100; whole values as they are, since below
// 2^52 x * 100 / 100 need not give x back (999999999999998.125).
double referenceRoundTo2(double x);

// The double a whole decimal text reads as, correctly rounded at any length
// (std::from_chars), or nullopt beyond the double range: an overflow, or an
// underflow to zero. Throws std::invalid_argument when the text is not one
// whole number: then the caller's reference is at fault, not the engine.
std::optional<double> readDecimal(std::string_view text);

} // namespace quanvik
