#include "numeric_text.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <system_error>

// Results must be the same bits on every platform: each operation rounded once
// to double, never through a wider register (as x87 code would).
static_assert(FLT_EVAL_METHOD == 0, "double arithmetic must be evaluated in double precision");
static_assert(std::numeric_limits<double>::is_iec559, "doubles must be IEEE-754");

namespace quanvik {
namespace {

constexpr std::size_t TEXT_DIGITS = 15;

// Enough decimal digits to decide the rounding of any double; of the rest of
// a longer text only whether something nonzero follows matters.
constexpr std::size_t MAX_SIGNIFICANT_DIGITS = 800;

// Beyond these decimal exponents (of 0.d1d2d3...) a value is certainly above
// DBL_MAX, or certainly rounds to zero, whatever its digits.
constexpr std::int64_t MAX_DECIMAL_EXPONENT = 310;
constexpr std::int64_t MIN_DECIMAL_EXPONENT = -330;

// Saturation for exponents typed with absurdly many digits.
constexpr std::int64_t EXPONENT_LIMIT = 1'000'000'000;

// clang-format off
constexpr std::array<double, 23> EXACT_POWERS_OF_TEN = {
    1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11,
    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22,
};
// clang-format on

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

// Pasted megabytes of digits and blanks are read eight bytes at a time.
std::uint64_t loadEight(const char* p)
{
    std::uint64_t bytes = 0;
    std::memcpy(&bytes, p, sizeof bytes);
    return bytes;
}

constexpr std::uint64_t ONES = 0x0101010101010101;
constexpr std::uint64_t HIGH_BITS = ONES * 0x80;
constexpr std::uint64_t EIGHT_ZEROS = ONES * '0';

bool isEightDigits(std::uint64_t bytes)
{
    return ((bytes & 0xF0F0F0F0F0F0F0F0) | (((bytes + 0x0606060606060606) & 0xF0F0F0F0F0F0F0F0) >> 4))
        == 0x3333333333333333;
}

// 0x80 in each byte of x that is zero, and nothing else (no borrow between
// bytes).
constexpr std::uint64_t zeroBytes(std::uint64_t x)
{
    constexpr std::uint64_t LOW_BITS = ONES * 0x7F;
    return ~(((x & LOW_BITS) + LOW_BITS) | x | LOW_BITS);
}

constexpr std::uint64_t blankBytes(std::uint64_t bytes)
{
    return zeroBytes(bytes ^ (ONES * ' ')) | zeroBytes(bytes ^ (ONES * '\t'))
        | zeroBytes(bytes ^ (ONES * '\n'));
}

constexpr std::uint64_t digitBytes(std::uint64_t bytes)
{
    return zeroBytes((bytes & (ONES * 0xF0)) ^ EIGHT_ZEROS)
        & zeroBytes(((bytes & (ONES * 0x0F)) + ONES * 6) & (ONES * 0x10));
}

const char* skipZeros(const char* p, const char* end)
{
    while (end - p >= 8 && loadEight(p) == EIGHT_ZEROS)
        p += 8;
    return p;
}

// Past the digits and blanks at p, in whole runs of eight bytes.
struct Skipped {
    const char* p;
    std::int64_t digits;
    bool nonzero;
};

Skipped skipDigitsAndBlanks(const char* p, const char* end)
{
    Skipped s {p, 0, false};
    while (end - s.p >= 8) {
        const std::uint64_t bytes = loadEight(s.p);
        if (isEightDigits(bytes)) {
            s.digits += 8;
            s.nonzero = s.nonzero || bytes != EIGHT_ZEROS;
        } else {
            const std::uint64_t digits = digitBytes(bytes);
            if ((digits | blankBytes(bytes)) != HIGH_BITS)
                break;
            s.digits += std::popcount(digits);
            s.nonzero = s.nonzero || (digits & ~zeroBytes(bytes ^ EIGHT_ZEROS)) != 0;
        }
        s.p += 8;
    }
    return s;
}

// A character of the text as the reading sees it, and its length in bytes.
struct Char {
    char c;
    int size;
};

// What an input method types in full-width mode: U+FF01..U+FF5E stand for
// ASCII 0x21..0x7E, the ideographic space U+3000 for a blank. Any other
// byte, the start of a cut or malformed sequence among them, stands for
// itself: a byte of 0x80 and up, which ends the number.
[[gnu::cold, gnu::noinline]] Char wideCharAt(const char* p, const char* end)
{
    const auto byte = [p](int i) { return static_cast<unsigned char>(p[i]); };
    if (end - p >= 3) {
        if (byte(0) == 0xEF && byte(1) == 0xBC && byte(2) >= 0x81 && byte(2) <= 0xBF)
            return {static_cast<char>(byte(2) - 0x81 + 0x21), 3};
        if (byte(0) == 0xEF && byte(1) == 0xBD && byte(2) >= 0x80 && byte(2) <= 0x9E)
            return {static_cast<char>(byte(2) - 0x80 + 0x60), 3};
        if (byte(0) == 0xE3 && byte(1) == 0x80 && byte(2) == 0x80)
            return {' ', 3};
    }
    return {*p, 1};
}

inline Char charAt(const char* p, const char* end)
{
    if (static_cast<unsigned char>(*p) < 0x80) [[likely]]
        return {*p, 1};
    return wideCharAt(p, end);
}

// Blanks, tabs and line feeds count as removed wherever they stand, so every
// step of the reading looks past them.
const char* skipBlanks(const char* p, const char* end)
{
    while (p != end) {
        if (end - p >= 8 && blankBytes(loadEight(p)) == HIGH_BITS) {
            p += 8;
        } else if (isBlank(*p)) {
            ++p;
        } else {
            const Char ch = charAt(p, end);
            if (ch.size == 1 || !isBlank(ch.c))
                break;
            p += ch.size;
        }
    }
    return p;
}

// Past the character at p and the blanks after it if that character is a
// or b; else p. (A pointer passed by reference would live in memory, where
// every digit stored through char could alias it.)
const char* past(const char* p, const char* end, char a, char b)
{
    if (p == end)
        return p;
    const Char ch = charAt(p, end);
    return ch.c == a || ch.c == b ? skipBlanks(p + ch.size, end) : p;
}

bool startsWith(const char* p, const char* end, char c)
{
    return p != end && charAt(p, end).c == c;
}

// The double nearest to the decimal, ties to even. Only the magnitude.
double nearestDouble(const char* digits, std::size_t size, std::int64_t exponent, bool sticky)
{
    if (size == 0 || exponent < MIN_DECIMAL_EXPONENT)
        return 0.0;
    if (exponent > MAX_DECIMAL_EXPONENT)
        fault(FaultKind::Overflow);

    // Up to 15 digits are an exact integer below 2^53 and powers of ten up to
    // 1E22 are exact doubles: one multiplication or division rounds once.
    const std::int64_t scale = exponent - static_cast<std::int64_t>(size);
    const auto maxScale = static_cast<std::int64_t>(EXACT_POWERS_OF_TEN.size()) - 1;
    if (size <= TEXT_DIGITS && !sticky && scale >= -maxScale && scale <= maxScale) {
        std::uint64_t integer = 0;
        for (std::size_t i = 0; i < size; ++i)
            integer = integer * 10 + static_cast<std::uint64_t>(digits[i] - '0');
        const auto exact = static_cast<double>(integer);
        return scale >= 0 ? exact * EXACT_POWERS_OF_TEN[static_cast<std::size_t>(scale)]
                          : exact / EXACT_POWERS_OF_TEN[static_cast<std::size_t>(-scale)];
    }

    // "0.<digits>[1]e<exponent>": a trailing 1 stands for the dropped digits,
    // which lie beyond any rounding boundary the kept ones could reach.
    std::array<char, MAX_SIGNIFICANT_DIGITS + 32> text {};
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
            fault(FaultKind::Overflow);
        return 0.0;
    }
    if (std::isinf(value))
        fault(FaultKind::Overflow);
    return value;
}

// What the reading takes from a text, before any conversion: the reading
// never fails, the conversion may overflow. Where the reading stops is
// decided here alone, for the value and for whether the text was all number.
struct Reading {
    const char* stop = nullptr; // the first character that is not part of the number
    bool sawDigit = false;
    int radix = 10;
    bool negative = false;
    // Decimal: 0.d1d2...dn x 10^exponent with d1 nonzero. Radix: mantissa x
    // 2^exponent. Sticky marks nonzero digits dropped after the kept ones.
    std::array<char, MAX_SIGNIFICANT_DIGITS>
        digits; // NOLINT(cppcoreguidelines-pro-type-member-init): filled up to size
    std::size_t size = 0;
    std::uint64_t mantissa = 0;
    std::int64_t exponent = 0;
    bool sticky = false;
};

void readDecimal(const char* p, const char* end, Reading& r) noexcept
{
    if (const char* q = past(p, end, '+', '-'); q != p) {
        r.negative = charAt(p, end).c == '-';
        p = q;
    }

    // Locals, not members of r: the digit stores through char could alias
    // those and keep them out of registers.
    char* const digits = r.digits.data();
    std::size_t size = 0;
    std::int64_t exponent = 0;
    bool sticky = false;
    bool sawDigit = false;
    bool sawPoint = false;
    while (p != end) {
        // Leading zeros only move the point; past the kept digits only their
        // count and whether any is nonzero matter.
        if (size == 0) {
            if (const char* q = skipZeros(p, end); q != p) {
                sawDigit = true;
                exponent -= sawPoint ? q - p : 0;
                p = q;
                continue;
            }
        } else if (size == MAX_SIGNIFICANT_DIGITS) {
            if (const Skipped skipped = skipDigitsAndBlanks(p, end); skipped.p != p) {
                exponent += sawPoint ? 0 : skipped.digits;
                sticky = sticky || skipped.nonzero;
                p = skipped.p;
                continue;
            }
        }

        const Char ch = charAt(p, end);
        const char c = ch.c;
        if (isDigit(c)) {
            sawDigit = true;
            if (size == 0 && c == '0') {
                exponent -= sawPoint ? 1 : 0;
            } else {
                exponent += sawPoint ? 0 : 1;
                if (size < MAX_SIGNIFICANT_DIGITS)
                    digits[size++] = c;
                else
                    sticky = sticky || c != '0';
            }
        } else if (c == '.' && !sawPoint) {
            sawPoint = true;
        } else if (isBlank(c)) {
            p = skipBlanks(p + ch.size, end);
            continue;
        } else {
            break;
        }
        p += ch.size;
    }
    r.stop = p;
    r.sawDigit = sawDigit;
    if (!sawDigit)
        return;

    // An E with no digit after it ('12E+') is not an exponent; reading has
    // stopped there all the same.
    if (const char* q = past(p, end, 'E', 'e'); q != p) {
        p = q;
        bool negativeExponent = false;
        if (const char* q = past(p, end, '+', '-'); q != p) {
            negativeExponent = charAt(p, end).c == '-';
            p = q;
        }
        std::int64_t power = 0;
        bool sawExponentDigit = false;
        while (p != end) {
            // Leading zeros of the exponent, and digits past the saturation,
            // change nothing.
            if (const char* q = power == 0 ? skipZeros(p, end) : p; q != p) {
                sawExponentDigit = true;
                p = q;
            } else if (power >= EXPONENT_LIMIT) {
                p = skipDigitsAndBlanks(p, end).p;
            }
            if (p == end)
                break;
            const Char ch = charAt(p, end);
            if (isDigit(ch.c)) {
                sawExponentDigit = true;
                if (power < EXPONENT_LIMIT)
                    power = power * 10 + (ch.c - '0');
            } else if (!isBlank(ch.c)) {
                break;
            }
            p += ch.size;
        }
        if (sawExponentDigit) {
            exponent += negativeExponent ? -power : power;
            r.stop = p;
        }
    }

    // Trailing zeros go, unless dropped digits follow them: the marker that
    // stands for those must stay beyond every kept digit.
    while (!sticky && size > 0 && digits[size - 1] == '0')
        --size;
    r.size = size;
    r.exponent = exponent;
    r.sticky = sticky;
}

int digitValue(char c, int radix)
{
    int value = radix;
    if (isDigit(c))
        value = c - '0';
    else if (c >= 'a' && c <= 'f')
        value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        value = c - 'A' + 10;
    return value < radix ? value : -1;
}

// An unsigned integer in base 16 or 8 of any length.
void readRadixInteger(const char* p, const char* end, Reading& r) noexcept
{
    const int bitsPerDigit = r.radix == 16 ? 4 : 3;
    while ((p = skipBlanks(p, end)) != end) {
        const Char ch = charAt(p, end);
        const int digit = digitValue(ch.c, r.radix);
        if (digit < 0)
            break;
        p += ch.size;
        r.sawDigit = true;
        if (r.exponent == 0 && r.mantissa >> (64 - bitsPerDigit) == 0) {
            r.mantissa = (r.mantissa << bitsPerDigit) | static_cast<std::uint64_t>(digit);
        } else {
            r.exponent += r.exponent < EXPONENT_LIMIT ? bitsPerDigit : 0;
            r.sticky = r.sticky || digit != 0;
        }
    }
    r.stop = p;
}

void readNumber(std::string_view text, Reading& r) noexcept
{
    const char* end = text.data() + text.size();
    const char* p = skipBlanks(text.data(), end);
    r.stop = p;
    if (!startsWith(p, end, '&')) {
        readDecimal(p, end, r);
        return;
    }
    p = past(p, end, '&', '&');
    r.stop = p;
    const char* digits = past(p, end, 'H', 'h');
    if (digits != p) {
        r.radix = 16;
    } else {
        digits = past(p, end, 'O', 'o');
        if (digits == p)
            return;
        r.radix = 8;
    }
    readRadixInteger(digits, end, r);
}

// The nearest double to what was read, ties to even.
double radixValue(const Reading& r)
{
    std::uint64_t mantissa = r.mantissa;
    std::int64_t exponent = r.exponent;
    if (mantissa == 0)
        return 0.0;

    const int excess = static_cast<int>(std::bit_width(mantissa)) - DBL_MANT_DIG;
    if (excess > 0) {
        const std::uint64_t rest = mantissa & ((std::uint64_t {1} << excess) - 1);
        const std::uint64_t half = std::uint64_t {1} << (excess - 1);
        mantissa >>= excess;
        if (rest > half || (rest == half && (r.sticky || (mantissa & 1) != 0)))
            ++mantissa;
        exponent += excess;
    }
    if (exponent > DBL_MAX_EXP)
        fault(FaultKind::Overflow);
    const double value = std::ldexp(static_cast<double>(mantissa), static_cast<int>(exponent));
    if (std::isinf(value))
        fault(FaultKind::Overflow);
    return value;
}

double decimalValue(const Reading& r)
{
    if (!r.sawDigit)
        return 0.0;
    const double magnitude = nearestDouble(r.digits.data(), r.size, r.exponent, r.sticky);
    if (magnitude == 0.0)
        return 0.0; // never a negative zero
    return r.negative ? -magnitude : magnitude;
}

// Significant digits d1d2...dn (n <= 15, no trailing zeros) of a finite
// nonzero double rounded to 15 digits, and the decimal exponent of d1.
struct Digits {
    bool negative = false;
    std::array<char, 20> digits {};
    std::size_t size = 0;
    int exponent = 0;
};

// What follows the fifteenth significant digit, measured against half a unit
// of it.
enum class Rest { Below, Half, Above };

// The one place that decides an exact tie at the sixteenth significant digit:
// away from zero, as the number-to-text conversion of the platform the system
// was built for does. Every rounding to 15 digits leaves its ties to this;
// roundTo2 has a rule of its own.
constexpr bool TIES_AWAY_FROM_ZERO = true;

bool roundsUp(char fifteenthDigit, Rest rest)
{
    if (rest == Rest::Half)
        return TIES_AWAY_FROM_ZERO || (fifteenthDigit - '0') % 2 != 0;
    return rest == Rest::Above;
}

// "-d.ddd...e+XX" from the standard library, rounded to digits significant
// digits (exact from 767 up).
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

// The exact expansion rounded to 15 digits. The standard library gives 16
// correctly rounded ones, of which the sixteenth decides, unless it is a 5:
// that may stand for an exact tie or for a value a hair either side of one,
// and only the whole expansion (at most 767 significant digits) tells.
Digits exactDigits(double value)
{
    std::array<char, 32> buffer {};
    Digits d = scientificDigits(value, static_cast<int>(TEXT_DIGITS) + 1, buffer.data(), buffer.size());
    const char next = d.digits[TEXT_DIGITS];
    Rest rest = next < '5' ? Rest::Below : Rest::Above;
    if (next == '5') {
        // No more digits than the integer part and the binary fraction hold.
        int binaryExponent = 0;
        const auto mantissa = static_cast<std::uint64_t>(
            std::ldexp(std::frexp(std::fabs(value), &binaryExponent), DBL_MANT_DIG));
        const int lowestBit = binaryExponent - DBL_MANT_DIG + std::countr_zero(mantissa);
        const int count = std::clamp(d.exponent + 1 + std::max(0, -lowestBit), 17, 780);
        std::array<char, 800> exact {};
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
    if (roundsUp(d.digits[TEXT_DIGITS - 1], rest)) {
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
// There, and beyond the exact powers of ten, it gives up.
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
    // floor(log2(magnitude) * log10(2)), at most one below the decimal
    // exponent; magnitude is normal here, so its exponent bits are log2.
    const int binaryExponent =
        static_cast<int>((std::bit_cast<std::uint64_t>(magnitude) >> 52) & 0x7FF) - 1023;
    scale = static_cast<int>(TEXT_DIGITS) - 1 - ((binaryExponent * 78913) >> 18);
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

Digits roundTo15Digits(double value)
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

// Plain digits from 1E-4 to below 1E15, and below 1E-4 while at most 15
// digits follow the point.
bool writesPlain(const Digits& d)
{
    if (d.exponent >= -4)
        return d.exponent < static_cast<int>(TEXT_DIGITS);
    return static_cast<std::size_t>(-d.exponent - 1) + d.size <= TEXT_DIGITS;
}

} // namespace

double textToNumber(std::string_view text)
{
    Reading r;
    readNumber(text, r);
    return r.radix == 10 ? decimalValue(r) : radixValue(r);
}

bool readsWhole(std::string_view text) noexcept
{
    Reading r;
    readNumber(text, r);
    return r.sawDigit && r.stop == text.data() + text.size();
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
    const std::string_view digits(d.digits.data(), d.size);
    std::string text;
    if (d.negative)
        text += '-';

    if (writesPlain(d)) {
        const auto integerDigits = static_cast<std::size_t>(d.exponent) + 1;
        if (d.exponent < 0) {
            text += "0.";
            text.append(static_cast<std::size_t>(-d.exponent - 1), '0');
            text += digits;
        } else if (d.size <= integerDigits) {
            text += digits;
            text.append(integerDigits - d.size, '0');
        } else {
            text += digits.substr(0, integerDigits);
            text += '.';
            text += digits.substr(integerDigits);
        }
        return text;
    }

    text += digits.front();
    if (d.size > 1) {
        text += '.';
        text += digits.substr(1);
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

double floorToInteger(double value)
{
    return std::floor(value);
}

double roundTo2(double value)
{
    // Whole values, every magnitude from 2^52 up among them, come back as
    // they are: scaling one by 100 could overflow or round it off the integer.
    if (!std::isfinite(value) || std::floor(value) == value)
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
