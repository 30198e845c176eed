#include "nearest_double.h"
#include "numeric_text.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

// Where the number a text begins with starts and stops, and what it is made
// of: a sign, decimal digits with a point and an exponent, or the digits of
// '&H' and '&O'. The reading never fails; only making the double may overflow.
namespace quanvik {

using namespace detail;

namespace {

// How the reading looks at the bytes of a text: a character at a time, with
// the full-width forms decoded.
constexpr bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n';
}
constexpr bool isDigit(char c)
{
    return c >= '0' && c <= '9';
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
Char wideCharAt(const char* p, const char* end)
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

Char charAt(const char* p, const char* end)
{
    if (static_cast<unsigned char>(*p) < 0x80)
        return {*p, 1};
    return wideCharAt(p, end);
}

// Blanks, tabs and line feeds count as removed wherever they stand, so every
// step of the reading looks past them; the ideographic space is one of them.
const char* skipBlanks(const char* p, const char* end)
{
    while (p != end) {
        const Char ch = charAt(p, end);
        if (!isBlank(ch.c))
            break;
        p += ch.size;
    }
    return p;
}

// Past the character at p and the blanks after it if that character is a
// or b; else p.
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

// Saturation for exponents typed with absurdly many digits.
constexpr std::int64_t EXPONENT_LIMIT = 1'000'000'000;

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
    std::array<char, MAX_SIGNIFICANT_DIGITS> digits; // filled up to size, never cleared
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

    char* const digits = r.digits.data();
    std::size_t size = 0;
    std::int64_t exponent = 0;
    bool sticky = false;
    bool sawDigit = false;
    bool sawPoint = false;
    // Leading zeros only move the point; past the kept digits only their
    // count and whether any is nonzero matter.
    while (p != end) {
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
        // Digits past the saturation change nothing.
        while (p != end) {
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
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    const char* p = skipBlanks(begin, end);
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

// The value read: what the digits stand for, made a double, with the sign.
double decimalValue(const Reading& r)
{
    if (!r.sawDigit)
        return 0.0;
    const double magnitude = nearestDouble(r.digits.data(), r.size, r.exponent, r.sticky);
    if (magnitude == 0.0)
        return 0.0; // never a negative zero
    return r.negative ? -magnitude : magnitude;
}

} // namespace

double textToNumber(std::string_view text)
{
    Reading r;
    readNumber(text, r);
    return r.radix == 10 ? decimalValue(r) : nearestDoubleOfBinary(r.mantissa, r.exponent, r.sticky);
}

bool readsWhole(std::string_view text) noexcept
{
    Reading r;
    readNumber(text, r);
    return r.sawDigit && r.stop == text.data() + text.size();
}

} // namespace quanvik
