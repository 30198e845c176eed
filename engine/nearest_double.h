#pragma once

#include <array>
#include <cfloat>
#include <cstddef>
#include <cstdint>
#include <limits>

// The digits a text was read as, made the double nearest to them.

// Results must be the same bits on every platform: each operation rounded once
// to double, never through a wider register (as x87 code would).
static_assert(FLT_EVAL_METHOD == 0, "double arithmetic must be evaluated in double precision");
static_assert(std::numeric_limits<double>::is_iec559, "doubles must be IEEE-754");

namespace quanvik::detail {

// The longest exact decimal expansion of a double, in significant digits:
// that of (2^53 - 1) x 2^-1074, the largest mantissa at the smallest scale.
constexpr int MAX_EXACT_DIGITS = 767;

// The digits of a text that can decide its rounding. A point halfway between
// two doubles, (2^54 - 1) x 2^-1075 at the most, has 768; of the rest of a
// longer text only whether something nonzero follows matters.
constexpr std::size_t MAX_SIGNIFICANT_DIGITS = MAX_EXACT_DIGITS + 1;

// clang-format off
constexpr std::array<double, 23> EXACT_POWERS_OF_TEN = {
    1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11,
    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22,
};
// clang-format on

// The double nearest to 0.d1d2...dn x 10^exponent, ties to even, from the
// ASCII digits d1..dn (at most MAX_SIGNIFICANT_DIGITS); sticky says nonzero
// digits were dropped after dn. Only the magnitude. Beyond the range it
// throws AnalysisError(Overflow); too small for it, 0.
double nearestDouble(const char* digits, std::size_t size, std::int64_t exponent, bool sticky);

// The double nearest to mantissa x 2^exponent, ties to even; sticky as above.
double nearestDoubleOfBinary(std::uint64_t mantissa, std::int64_t exponent, bool sticky);

} // namespace quanvik::detail
