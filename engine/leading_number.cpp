#include "nearest_double.h"
#include "numeric_text.h"

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

// Where the number a text begins with starts and stops, and what it is made
// of: a sign, decimal digits with a point and an exponent, or the digits of
// '&H' and '&O'. The reading never fails; only making the double may overflow.
namespace quanvik {

using namespace detail;

namespace {

// How the reading looks at the bytes of a text: a character at a time, with
// the full-width forms decoded, and eight bytes at a time through the runs of
// blanks and digits that a pasted megabyte is made of. Here, with internal
// linkage, the compiler inlines and lays these out as it sees fit for the
// loops below; as inline functions of a header they read a megabyte of
// blanks 14% slower.
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

// Eight bytes at a time: each helper below marks, or tests, the bytes that
// isBlank or isDigit would accept one by one, and no others.
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

// Blanks, tabs and line feeds count as removed wherever they stand, so every
// step of the reading looks past them. Eight ASCII blanks at a time, else one
// character, the ideographic space among the blanks.
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

// The quick paths of the reading's digit loop, in whole runs of eight ASCII
// bytes; each leaves the rest, and anything else, to that loop, and must
// count the digits and see a nonzero one exactly as it would.
//
// Their loops are a few instructions long, and one that straddles a 64-byte
// boundary runs at half speed (a megabyte of zeros in 75 us, not 37). Each is
// a function of its own that starts on a 64-byte boundary, so that where its
// loop falls depends on its own code alone: not on the order of the sources,
// nor on what comes before it.
[[gnu::noinline, gnu::aligned(64)]] const char* skipZeroRuns(const char* p, const char* end)
{
    while (end - p >= 8 && loadEight(p) == EIGHT_ZEROS)
        p += 8;
    return p;
}

// Most texts hold no run of eight zeros: no call for them.
const char* skipZeros(const char* p, const char* end)
{
    return end - p >= 8 && loadEight(p) == EIGHT_ZEROS ? skipZeroRuns(p + 8, end) : p;
}

// Past the digits and blanks at p.
struct Skipped {
    const char* p;
    std::int64_t digits;
    bool nonzero;
};

[[gnu::noinline, gnu::aligned(64)]] Skipped skipDigitsAndBlanks(const char* p, const char* end)
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
        // count and whether any is nonzero matter. These runs of eight are the
        // quick path of the character loop below.
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
