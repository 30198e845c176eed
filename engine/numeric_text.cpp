#include "numeric_text.h"

#include <array>
#include <bit>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <system_error>

namespace quanvik {
namespace {

// A double's shortest round-trip form never has more than 17 digits, so
// every value with at most this many is already on the 15-digit grid.
constexpr int TEXT_DIGITS = 15;

// Enough decimal digits to decide the rounding of any double; the rest of
// a longer text only tells whether something nonzero follows.
constexpr std::size_t MAX_SIGNIFICANT_DIGITS = 800;

// Beyond these decimal exponents (of 0.d1d2d3...) a value is certainly
// above DBL_MAX or certainly rounds to zero, whatever its digits.
constexpr std::int64_t MAX_DECIMAL_EXPONENT = 310;
constexpr std::int64_t MIN_DECIMAL_EXPONENT = -330;

// Saturation for exponents typed with absurdly many digits.
constexpr std::int64_t EXPONENT_LIMIT = 1'000'000'000;

// Powers of ten that are exact doubles.
constexpr std::array<double, 23> EXACT_POWERS_OF_TEN = {
    1e0,
    1e1,
    1e2,
    1e3,
    1e4,
    1e5,
    1e6,
    1e7,
    1e8,
    1e9,
    1e10,
    1e11,
    1e12,
    1e13,
    1e14,
    1e15,
    1e16,
    1e17,
    1e18,
    1e19,
    1e20,
    1e21,
    1e22,
};

[[noreturn]] void fault(FaultKind kind)
{
    throw AnalysisError(kind);
}

constexpr bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n';
}
constexpr bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Walks a text with blanks, tabs and line feeds invisible, as if they had
// been removed first. '\0' stands for the end: a NUL in the text ends a
// number just the same.
class Cursor {
public:
    explicit Cursor(std::string_view text)
        : pos_(text.data())
        , end_(text.data() + text.size())
    {
    }

    char peek()
    {
        while (pos_ != end_ && isBlank(*pos_))
            ++pos_;
        return pos_ == end_ ? '\0' : *pos_;
    }

    void advance() { ++pos_; }

    const char* position() const { return pos_; }
    void rewind(const char* position) { pos_ = position; }

private:
    const char* pos_;
    const char* end_;
};

// A decimal 0.d1d2d3... x 10^exponent with d1 nonzero, or zero when
// digits is empty. sticky marks nonzero digits dropped past the kept ones.
struct Decimal {
    std::string digits;
    std::int64_t exponent = 0;
    bool sticky = false;
};

double decimalToDouble(const Decimal& decimal)
{
    if (decimal.digits.empty() || decimal.exponent < MIN_DECIMAL_EXPONENT)
        return 0.0;
    if (decimal.exponent > MAX_DECIMAL_EXPONENT)
        fault(FaultKind::Overflow);

    std::string text = "0.";
    text += decimal.digits;
    if (decimal.sticky)
        text += '1';
    text += 'e';
    text += std::to_string(decimal.exponent);

    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range) {
        if (decimal.exponent > 0)
            fault(FaultKind::Overflow);
        return 0.0;
    }
    if (std::isinf(value))
        fault(FaultKind::Overflow);
    return value;
}

// Reads sign, mantissa and exponent; stops at the first character that
// cannot continue the number.
double readDecimal(Cursor& cursor)
{
    bool negative = false;
    if (const char c = cursor.peek(); c == '+' || c == '-') {
        negative = c == '-';
        cursor.advance();
    }

    Decimal decimal;
    bool sawDigit = false;
    bool sawPoint = false;
    for (char c = cursor.peek();; c = cursor.peek()) {
        if (isDigit(c)) {
            sawDigit = true;
            if (decimal.digits.empty() && c == '0') {
                if (sawPoint)
                    --decimal.exponent;
            } else {
                if (!sawPoint)
                    ++decimal.exponent;
                if (decimal.digits.size() < MAX_SIGNIFICANT_DIGITS)
                    decimal.digits += c;
                else if (c != '0')
                    decimal.sticky = true;
            }
        } else if (c == '.' && !sawPoint) {
            sawPoint = true;
        } else {
            break;
        }
        cursor.advance();
    }
    if (!sawDigit)
        return 0.0;

    if (const char c = cursor.peek(); c == 'E' || c == 'e') {
        const char* mark = cursor.position();
        cursor.advance();
        bool negativeExponent = false;
        if (const char s = cursor.peek(); s == '+' || s == '-') {
            negativeExponent = s == '-';
            cursor.advance();
        }
        std::int64_t exponent = 0;
        bool sawExponentDigit = false;
        for (char d = cursor.peek(); isDigit(d); d = cursor.peek()) {
            sawExponentDigit = true;
            if (exponent < EXPONENT_LIMIT)
                exponent = exponent * 10 + (d - '0');
            cursor.advance();
        }
        if (sawExponentDigit)
            decimal.exponent += negativeExponent ? -exponent : exponent;
        else
            cursor.rewind(mark); // '12E+' is 12: the E was not an exponent
    }

    // Strip trailing zeros so that the text handed on stays short.
    while (!decimal.digits.empty() && decimal.digits.back() == '0')
        decimal.digits.pop_back();

    const double magnitude = decimalToDouble(decimal);
    if (magnitude == 0.0)
        return 0.0; // never a negative zero
    return negative ? -magnitude : magnitude;
}

int digitValue(char c, int radix)
{
    int value = -1;
    if (isDigit(c))
        value = c - '0';
    else if (c >= 'a' && c <= 'f')
        value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        value = c - 'A' + 10;
    return value < radix ? value : -1;
}

// An unsigned integer in base 16 or 8 of any length, rounded to nearest,
// ties to even.
double readRadixInteger(Cursor& cursor, int radix)
{
    const int bitsPerDigit = radix == 16 ? 4 : 3;
    std::uint64_t mantissa = 0;
    std::int64_t droppedBits = 0;
    bool sticky = false;
    for (int d = digitValue(cursor.peek(), radix); d >= 0; d = digitValue(cursor.peek(), radix)) {
        if (droppedBits == 0 && mantissa >> (64 - bitsPerDigit) == 0) {
            mantissa = (mantissa << bitsPerDigit) | static_cast<std::uint64_t>(d);
        } else {
            if (droppedBits < EXPONENT_LIMIT)
                droppedBits += bitsPerDigit;
            sticky = sticky || d != 0;
        }
        cursor.advance();
    }
    if (mantissa == 0)
        return 0.0;

    const int excess = std::bit_width(mantissa) - DBL_MANT_DIG;
    if (excess > 0) {
        const std::uint64_t rest = mantissa & ((std::uint64_t {1} << excess) - 1);
        const std::uint64_t half = std::uint64_t {1} << (excess - 1);
        mantissa >>= excess;
        if (rest > half || (rest == half && (sticky || (mantissa & 1) != 0)))
            ++mantissa;
        droppedBits += excess;
    }
    if (droppedBits > DBL_MAX_EXP)
        fault(FaultKind::Overflow);
    const double value = std::ldexp(static_cast<double>(mantissa), static_cast<int>(droppedBits));
    if (std::isinf(value))
        fault(FaultKind::Overflow);
    return value;
}

// The significant digits of a double rounded to at most 15 of them,
// trailing zeros dropped, with the decimal exponent of the first digit.
struct Digits {
    bool negative = false;
    std::string digits;
    int exponent = 0;
};

// Splits to_chars' scientific output "-d.ddde+XX".
Digits splitScientific(const char* begin, const char* end)
{
    Digits result;
    const char* p = begin;
    if (*p == '-') {
        result.negative = true;
        ++p;
    }
    for (; p != end && *p != 'e'; ++p) {
        if (*p != '.')
            result.digits += *p;
    }
    int exponent = 0;
    std::from_chars(p + 1 + (p[1] == '+' ? 1 : 0), end, exponent);
    result.exponent = exponent;
    while (result.digits.size() > 1 && result.digits.back() == '0')
        result.digits.pop_back();
    return result;
}

std::size_t significantDigits(const char* begin, const char* end)
{
    std::size_t count = 0;
    for (const char* p = begin; p != end && *p != 'e'; ++p)
        count += isDigit(*p) ? 1 : 0;
    return count;
}

// Requires a finite nonzero value.
Digits roundTo15Digits(double value)
{
    std::array<char, 64> buffer {};
    char* const begin = buffer.data();
    char* const limit = begin + buffer.size();

    // For normal doubles a shortest form of at most 15 digits is exactly
    // the 15-digit rounding; subnormals are too coarse for that shortcut.
    if (std::fabs(value) >= DBL_MIN) {
        const auto shortest = std::to_chars(begin, limit, value, std::chars_format::scientific);
        if (significantDigits(begin, shortest.ptr) <= TEXT_DIGITS)
            return splitScientific(begin, shortest.ptr);
    }
    const auto rounded = std::to_chars(begin, limit, value, std::chars_format::scientific, TEXT_DIGITS - 1);
    return splitScientific(begin, rounded.ptr);
}

// The double nearest to the decimal digits x 10^(exponent - size + 1).
double digitsToDouble(const Digits& d)
{
    const int scale = d.exponent - static_cast<int>(d.digits.size()) + 1;
    const auto maxScale = static_cast<int>(EXACT_POWERS_OF_TEN.size()) - 1;
    double magnitude = 0.0;
    if (scale >= -maxScale && scale <= maxScale) {
        // Both operands exact, one rounding: correctly rounded.
        std::uint64_t integer = 0;
        for (const char c : d.digits)
            integer = integer * 10 + static_cast<std::uint64_t>(c - '0');
        const auto exact = static_cast<double>(integer);
        magnitude = scale >= 0 ? exact * EXACT_POWERS_OF_TEN[static_cast<std::size_t>(scale)]
                               : exact / EXACT_POWERS_OF_TEN[static_cast<std::size_t>(-scale)];
        if (std::isinf(magnitude))
            fault(FaultKind::Overflow);
    } else {
        magnitude = decimalToDouble(Decimal {d.digits, d.exponent + 1, false});
    }
    return d.negative ? -magnitude : magnitude;
}

// Plain digits from 1E-4 to below 1E15, and below 1E-4 while at most 15
// digits follow the point.
bool writesPlain(const Digits& d)
{
    if (d.exponent >= -4)
        return d.exponent < TEXT_DIGITS;
    return -d.exponent - 1 + static_cast<int>(d.digits.size()) <= TEXT_DIGITS;
}

} // namespace

double textToNumber(std::string_view text)
{
    Cursor cursor(text);
    if (cursor.peek() == '&') {
        cursor.advance();
        const char prefix = cursor.peek();
        if (prefix == 'H' || prefix == 'h' || prefix == 'O' || prefix == 'o') {
            cursor.advance();
            return readRadixInteger(cursor, prefix == 'H' || prefix == 'h' ? 16 : 8);
        }
        return 0.0;
    }
    return readDecimal(cursor);
}

std::string numberToText(double value)
{
    if (std::isnan(value))
        return "NaN";
    if (std::isinf(value))
        return value < 0 ? "-Infinity" : "Infinity";
    if (value == 0.0)
        return "0";

    const Digits d = roundTo15Digits(value);
    const int size = static_cast<int>(d.digits.size());
    std::string text;
    if (d.negative)
        text += '-';
    if (writesPlain(d)) {
        if (d.exponent < 0) {
            text += "0.";
            text.append(static_cast<std::size_t>(-d.exponent - 1), '0');
            text += d.digits;
        } else if (size <= d.exponent + 1) {
            text += d.digits;
            text.append(static_cast<std::size_t>(d.exponent + 1 - size), '0');
        } else {
            text.append(d.digits, 0, static_cast<std::size_t>(d.exponent + 1));
            text += '.';
            text.append(d.digits, static_cast<std::size_t>(d.exponent + 1));
        }
        return text;
    }

    text += d.digits.front();
    if (size > 1) {
        text += '.';
        text.append(d.digits, 1);
    }
    text += d.exponent < 0 ? "E-" : "E+";
    const int magnitude = std::abs(d.exponent);
    if (magnitude < 10)
        text += '0';
    text += std::to_string(magnitude);
    return text;
}

double settle(double value)
{
    if (std::isnan(value))
        fault(FaultKind::InvalidOperation);
    if (std::isinf(value))
        fault(FaultKind::Overflow);
    if (value == 0.0)
        return 0.0;

    // Fast path: a shortest form of at most 15 digits reads back to value
    // itself, whatever the rounding of the exact value to 15 digits gives.
    std::array<char, 64> buffer {};
    char* const begin = buffer.data();
    const auto shortest = std::to_chars(begin, begin + buffer.size(), value, std::chars_format::scientific);
    if (significantDigits(begin, shortest.ptr) <= TEXT_DIGITS)
        return value;

    return digitsToDouble(roundTo15Digits(value));
}

double floorToInteger(double value)
{
    return std::floor(value);
}

double roundTo2(double value)
{
    // From 2^52 up every double is whole; below it value * 100 cannot overflow.
    constexpr double WHOLE_FROM = 4503599627370496.0;
    if (!(std::fabs(value) < WHOLE_FROM))
        return value;

    // Half to even is symmetric, so round the magnitude, where the fraction
    // below is exact (Sterbenz), and put the sign back.
    const double scaled = std::fabs(value * 100.0);
    const double below = std::floor(scaled);
    const double fraction = scaled - below;
    double rounded = below;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(below, 2.0) != 0.0))
        rounded = below + 1.0;
    return std::copysign(rounded, value) / 100.0;
}

} // namespace quanvik
