#include "nearest_double.h"

#include "analysis_error.h"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <system_error>

namespace quanvik::detail {
namespace {

// Beyond these decimal exponents (of 0.d1d2d3...) a value is certainly above
// DBL_MAX, or certainly rounds to zero, whatever its digits.
constexpr std::int64_t MAX_DECIMAL_EXPONENT = 310;
constexpr std::int64_t MIN_DECIMAL_EXPONENT = -330;

// Every integer of up to 15 digits is below 2^53, so an exact double.
constexpr std::size_t EXACT_INTEGER_DIGITS = 15;

[[noreturn]] void overflow()
{
    throw AnalysisError(FaultKind::Overflow);
}

} // namespace

double nearestDouble(const char* digits, std::size_t size, std::int64_t exponent, bool sticky)
{
    if (size == 0 || exponent < MIN_DECIMAL_EXPONENT)
        return 0.0;
    if (exponent > MAX_DECIMAL_EXPONENT)
        overflow();

    // The quick path, which must give the bits the standard library gives
    // below: an exact integer and an exact power of ten up to 1E22, so that
    // one multiplication or division rounds once.
    const std::int64_t scale = exponent - static_cast<std::int64_t>(size);
    const auto maxScale = static_cast<std::int64_t>(EXACT_POWERS_OF_TEN.size()) - 1;
    if (size <= EXACT_INTEGER_DIGITS && !sticky && scale >= -maxScale && scale <= maxScale) {
        std::uint64_t integer = 0;
        for (std::size_t i = 0; i < size; ++i)
            integer = integer * 10 + static_cast<std::uint64_t>(digits[i] - '0');
        const auto exact = static_cast<double>(integer);
        return scale >= 0 ? exact * EXACT_POWERS_OF_TEN[static_cast<std::size_t>(scale)]
                          : exact / EXACT_POWERS_OF_TEN[static_cast<std::size_t>(-scale)];
    }

    // "0.<digits>[1]e<exponent>": a trailing 1 stands for the dropped digits,
    // which lie beyond any rounding boundary the kept ones could reach. The
    // exponent, an int64, takes at most 20 characters.
    std::array<char, 2 + MAX_SIGNIFICANT_DIGITS + 2 + 20> text {};
    char* out = text.data();
    *out++ = '0';
    *out++ = '.';
    for (std::size_t i = 0; i < size; ++i)
        *out++ = digits[i];
    if (sticky)
        *out++ = '1';
    *out++ = 'e';
    out = std::to_chars(out, text.data() + text.size(), exponent).ptr;

    double value = 0.0;
    const auto result = std::from_chars(text.data(), out, value);
    if (result.ec == std::errc::result_out_of_range) {
        if (exponent > 0)
            overflow();
        return 0.0;
    }
    if (std::isinf(value))
        overflow();
    return value;
}

double nearestDoubleOfBinary(std::uint64_t mantissa, std::int64_t exponent, bool sticky)
{
    if (mantissa == 0)
        return 0.0;

    const int excess = static_cast<int>(std::bit_width(mantissa)) - DBL_MANT_DIG;
    if (excess > 0) {
        const std::uint64_t rest = mantissa & ((std::uint64_t {1} << excess) - 1);
        const std::uint64_t half = std::uint64_t {1} << (excess - 1);
        mantissa >>= excess;
        if (rest > half || (rest == half && (sticky || (mantissa & 1) != 0)))
            ++mantissa;
        exponent += excess;
    }
    if (exponent > DBL_MAX_EXP)
        overflow();
    const double value = std::ldexp(static_cast<double>(mantissa), static_cast<int>(exponent));
    if (std::isinf(value))
        overflow();
    return value;
}

} // namespace quanvik::detail
