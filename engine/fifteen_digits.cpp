#include "fifteen_digits.h"

#include "nearest_double.h"
#include "numeric_text.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>

// A double rounded to 15 significant digits: the tie rule, the exact path, and
// the quick path that settles most values without their text.
namespace quanvik {

using namespace detail;

namespace {

// What follows the fifteenth significant digit, measured against half a unit
// of it.
enum class Rest : std::uint8_t { Below, Half, Above };

// The one place that decides an exact tie at the sixteenth significant digit:
// away from zero, whatever the fifteenth digit, as the number-to-text
// conversion of the platform the system was built for does. Every rounding to
// 15 digits leaves its ties to this; roundTo2 has a rule of its own (half to
// even).
bool roundsUp(Rest rest)
{
    return rest != Rest::Below;
}

// "-d.ddd...e-XXX" is the digits and at most this many characters more.
constexpr std::size_t SCIENTIFIC_EXTRA = 7;

// floor(e x log10(2)) for a binary exponent e: 78913 / 2^18 is log10(2) to
// within 8E-7, which keeps the floor exact for |e| <= 1650, beyond any
// double's -1074..1023.
constexpr int floorLog10OfPowerOfTwo(int e)
{
    return (e * 78913) >> 18;
}
static_assert(floorLog10OfPowerOfTwo(1023) == 307 && floorLog10OfPowerOfTwo(-1074) == -324);

// "-d.ddd...e+XX" from the standard library, rounded to digits significant
// digits (exact from MAX_EXACT_DIGITS up).
Digits scientificDigits(double value, int digits, char* buffer, std::size_t size)
{
    const char* p = buffer;
    const char* const end =
        std::to_chars(buffer, buffer + size, value, std::chars_format::scientific, digits - 1).ptr;
    Digits d;
    if (*p == '-') {
        d.negative = true;
        ++p;
    }
    for (; *p != 'e'; ++p) {
        if (*p != '.' && d.size < d.digits.size())
            d.digits[d.size++] = *p;
    }
    ++p;
    std::from_chars(*p == '+' ? p + 1 : p, end, d.exponent);
    return d;
}

[[noreturn]] void fault(FaultKind kind)
{
    throw AnalysisError(kind);
}

} // namespace

namespace detail {

// The exact expansion rounded to 15 digits. The standard library gives 16
// correctly rounded ones, of which the sixteenth decides, unless it is a 5:
// that may stand for an exact tie or for a value a hair either side of one,
// and only the whole expansion (at most MAX_EXACT_DIGITS significant digits)
// tells.
Digits exactDigits(double value)
{
    std::array<char, TEXT_DIGITS + 1 + SCIENTIFIC_EXTRA> buffer {};
    Digits d = scientificDigits(value, static_cast<int>(TEXT_DIGITS) + 1, buffer.data(), buffer.size());
    const char next = d.digits[TEXT_DIGITS];
    Rest rest = next < '5' ? Rest::Below : Rest::Above;
    if (next == '5') {
        // No more digits than the integer part and the binary fraction hold,
        // and at least one past the sixteenth.
        int binaryExponent = 0;
        const auto mantissa = static_cast<std::uint64_t>(
            std::ldexp(std::frexp(std::fabs(value), &binaryExponent), DBL_MANT_DIG));
        const int lowestBit = binaryExponent - DBL_MANT_DIG + std::countr_zero(mantissa);
        const int count = std::clamp(
            d.exponent + 1 + std::max(0, -lowestBit), static_cast<int>(TEXT_DIGITS) + 2, MAX_EXACT_DIGITS);
        std::array<char, MAX_EXACT_DIGITS + SCIENTIFIC_EXTRA> exact {};
        const char* const start = exact.data() + (value < 0 ? 1 : 0);
        const char* const end = std::to_chars(
            exact.data(), exact.data() + exact.size(), value, std::chars_format::scientific, count - 1)
                                    .ptr;
        // start[0] is the first digit, start[1] the point, start[16] the sixteenth.
        const char* const mark = std::find(start, end, 'e');
        const bool zerosAfter = std::all_of(start + TEXT_DIGITS + 2, mark, [](char c) { return c == '0'; });
        if (start[TEXT_DIGITS + 1] == '4')
            rest = Rest::Below;
        else if (zerosAfter)
            rest = Rest::Half;
    }
    d.size = TEXT_DIGITS;
    if (roundsUp(rest)) {
        std::size_t i = TEXT_DIGITS;
        while (i > 0 && d.digits[i - 1] == '9')
            d.digits[--i] = '0';
        if (i == 0) {
            d.digits[0] = '1';
            ++d.exponent;
        } else {
            ++d.digits[i - 1];
        }
    }
    while (d.size > 1 && d.digits[d.size - 1] == '0')
        --d.size;
    return d;
}

// The value rounded to 15 significant digits as integer x 10^-scale, with
// 1E14 <= integer <= 1E15, from one correctly rounded product. Rounding is
// monotone and every integer and half-integer below 1E15 is a double, so the
// computed product lies on the same side of each of them as the exact one:
// its integer part and fraction decide the rounding, except at an exact half
// and at exactly 1E14, where the exact product may lie a hair either side.
// There, and beyond the exact powers of ten, it gives up. The quick path of
// exactDigits: where it answers, it must give the digits that gives.
bool roundQuickly(double magnitude, std::uint64_t& integer, int& scale)
{
    constexpr double LOW = 1e14;
    constexpr double HIGH = 1e15;
    constexpr int MAX_SCALE = static_cast<int>(EXACT_POWERS_OF_TEN.size()) - 1;
    if (!(magnitude >= 1e-7 && magnitude < 1e21))
        return false;

    const auto scaled = [](double v, int s) {
        return s >= 0 ? v * EXACT_POWERS_OF_TEN[static_cast<std::size_t>(s)]
                      : v / EXACT_POWERS_OF_TEN[static_cast<std::size_t>(-s)];
    };
    // At most one below the decimal exponent; magnitude is normal here, so
    // its exponent bits are floor(log2(magnitude)).
    const int binaryExponent =
        static_cast<int>((std::bit_cast<std::uint64_t>(magnitude) >> 52) & 0x7FF) - 1023;
    scale = static_cast<int>(TEXT_DIGITS) - 1 - floorLog10OfPowerOfTwo(binaryExponent);
    double y = scaled(magnitude, scale);
    if (y < LOW)
        y = scaled(magnitude, ++scale);
    else if (y >= HIGH)
        y = scaled(magnitude, --scale);
    if (scale > MAX_SCALE || scale < -MAX_SCALE || !(y >= LOW && y < HIGH))
        return false;
    if (y == LOW) {
        // Decidable cheaply only for the double nearest a power of ten.
        if (scaled(LOW, -scale) != magnitude)
            return false;
        integer = static_cast<std::uint64_t>(LOW);
        return true;
    }

    integer = static_cast<std::uint64_t>(y); // y is positive: truncation is floor
    const double fraction = y - static_cast<double>(integer);
    if (fraction == 0.5)
        return false;
    integer += fraction > 0.5 ? 1 : 0;
    return true;
}

} // namespace detail

// The 15 digits read back at once, without their text: the quick path of
// textToNumber(numberToText(value)), whose bits it must give.
double settle(double value)
{
    if (std::isnan(value))
        fault(FaultKind::InvalidOperation);
    if (std::isinf(value))
        fault(FaultKind::Overflow);
    if (value == 0.0)
        return 0.0;

    std::uint64_t integer = 0;
    int scale = 0;
    double magnitude = 0.0;
    if (roundQuickly(std::fabs(value), integer, scale)) {
        // Both operands exact, one rounding: the nearest double to the digits.
        const auto exact = static_cast<double>(integer);
        magnitude = scale >= 0 ? exact / EXACT_POWERS_OF_TEN[static_cast<std::size_t>(scale)]
                               : exact * EXACT_POWERS_OF_TEN[static_cast<std::size_t>(-scale)];
    } else {
        const Digits d = exactDigits(value);
        magnitude = nearestDouble(d.digits.data(), d.size, d.exponent + 1, false);
    }
    return value < 0 ? -magnitude : magnitude;
}

} // namespace quanvik
