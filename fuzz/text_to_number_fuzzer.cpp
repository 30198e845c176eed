// textToNumber on arbitrary bytes, checked against an independent reading of
// the documented rules and against itself.
#include "fuzz_check.h"
#include "numeric_text.h"
#include "reference_text.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

using quanvik::fuzz::readWithEngine;
using quanvik::fuzz::require;

// A value, or nullopt for Overflow.
using Outcome = std::optional<double>;

bool sameOutcome(const Outcome& a, const Outcome& b)
{
    return a.has_value() == b.has_value()
        && (!a || std::bit_cast<std::uint64_t>(*a) == std::bit_cast<std::uint64_t>(*b));
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

int digitValue(char c, int radix)
{
    const char lower = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    const std::size_t value = std::string_view("0123456789abcdef").substr(0, radix).find(lower);
    return value == std::string_view::npos ? -1 : static_cast<int>(value);
}

// An unsigned integer in base 8 or 16, rounded to the nearest double, ties to
// even. Works on the bits so that any length is exact.
Outcome radixValue(std::string_view digits, int radix)
{
    const int bitsPerDigit = radix == 16 ? 4 : 3;
    std::uint64_t top = 0; // the leading 64 significant bits
    int significantBits = 0;
    bool sticky = false; // any 1 bit below the leading 64
    for (const char c : digits) {
        const int value = digitValue(c, radix);
        for (int bit = bitsPerDigit - 1; bit >= 0; --bit) {
            const bool one = ((value >> bit) & 1) != 0;
            if (significantBits == 0 && !one) {
                continue;
            }
            if (significantBits < 64) {
                top = (top << 1) | (one ? 1U : 0U);
            } else {
                sticky = sticky || one;
            }
            ++significantBits;
            if (significantBits > 1100) {
                return std::nullopt;
            }
        }
    }
    if (significantBits <= 64) {
        return static_cast<double>(top);
    }
    // Bit 0 lies below the rounding position, so folding the sticky bit into
    // it makes the 64-to-53-bit conversion round as the whole number would.
    const double value = std::ldexp(static_cast<double>(top | (sticky ? 1U : 0U)), significantBits - 64);
    return std::isinf(value) ? Outcome() : Outcome(value);
}

// What a decimal mantissa and exponent read as. std::from_chars rounds
// correctly at any length; it reports both overflow and underflow to zero as
// out of range, so the decimal exponent of the leading digit tells them apart.
Outcome decimalValue(
    bool negative, const std::string& intDigits, const std::string& fracDigits, std::int64_t exponent)
{
    std::int64_t leading = 0;
    bool nonzero = false;
    if (const auto p = intDigits.find_first_not_of('0'); p != std::string::npos) {
        leading = exponent + static_cast<std::int64_t>(intDigits.size() - p - 1);
        nonzero = true;
    } else if (const auto q = fracDigits.find_first_not_of('0'); q != std::string::npos) {
        leading = exponent - static_cast<std::int64_t>(q + 1);
        nonzero = true;
    }
    if (!nonzero) {
        return 0.0;
    }
    std::string text = intDigits.empty() ? std::string("0") : intDigits;
    if (!fracDigits.empty()) {
        text += '.';
        text += fracDigits;
    }
    text += 'e';
    text += std::to_string(exponent);
    const std::optional<double> value = quanvik::readDecimal(text);
    if (!value)
        return leading >= 0 ? Outcome() : Outcome(0.0);
    return negative ? -*value : *value;
}

struct Reading {
    Outcome outcome = 0.0;
    // Index of the first byte that cannot continue the number; bytes after it
    // must not matter.
    std::optional<std::size_t> stop;
    // Whether the number takes up the whole text, blanks aside.
    bool whole = false;
};

// The text as the rules read it: the full-width forms as the ASCII they stand
// for, the ideographic space as a blank, blanks removed. Any other byte of
// 0x80 and up reads as NUL, which ends every number. at[i] is where character
// i of chars starts in the text, at.back() the end of the text.
struct PlainText {
    std::string chars;
    std::vector<std::size_t> at;
};

PlainText plainText(std::string_view text)
{
    PlainText plain;
    for (std::size_t pos = 0; pos < text.size();) {
        const auto byte = [&](std::size_t i) {
            return pos + i < text.size() ? static_cast<unsigned char>(text[pos + i]) : 0U;
        };
        char c = '\0';
        std::size_t size = 1;
        // U+FF01..U+FF5E lie in two blocks of 64 code points, EF BC xx and EF BD xx.
        const unsigned wide = 0xFF00 + (byte(1) - 0xBC) * 64 + (byte(2) & 0x3FU);
        if (byte(0) < 0x80) {
            c = text[pos];
        } else if (byte(0) == 0xEF && (byte(1) == 0xBC || byte(1) == 0xBD) && (byte(2) & 0xC0) == 0x80
            && wide >= 0xFF01 && wide <= 0xFF5E) {
            c = static_cast<char>(wide - 0xFF01 + '!');
            size = 3;
        } else if (byte(0) == 0xE3 && byte(1) == 0x80 && byte(2) == 0x80) {
            c = ' ';
            size = 3;
        }
        if (!isBlank(c)) {
            plain.chars += c;
            plain.at.push_back(pos);
        }
        pos += size;
    }
    plain.at.push_back(text.size());
    return plain;
}

std::size_t skipDigits(const std::string& t, std::size_t i)
{
    while (i < t.size() && isDigit(t[i])) {
        ++i;
    }
    return i;
}

// An optional sign, digits with at most one point, an exponent only where a
// digit follows its E and sign; or '&H' / '&O' and their digits.
Reading readReference(std::string_view text)
{
    const PlainText plain = plainText(text);
    const std::string& t = plain.chars;
    Reading reading;
    std::size_t stop = 0; // the first character of t that is not part of the number
    bool whole = false;
    if (t.starts_with('&')) {
        const char marker = t.size() > 1 ? t[1] : '\0';
        const int radix = marker == 'H' || marker == 'h' ? 16 : (marker == 'O' || marker == 'o' ? 8 : 0);
        stop = radix == 0 ? 1 : 2;
        while (radix != 0 && stop < t.size() && digitValue(t[stop], radix) >= 0) {
            ++stop;
        }
        if (stop > 2) {
            reading.outcome = radixValue(std::string_view(t).substr(2, stop - 2), radix);
        }
        whole = stop > 2 && stop == t.size();
    } else {
        const bool negative = t.starts_with('-');
        const std::size_t intStart = negative || t.starts_with('+') ? 1 : 0;
        const std::size_t intEnd = skipDigits(t, intStart);
        const bool point = intEnd < t.size() && t[intEnd] == '.';
        const std::size_t fracEnd = point ? skipDigits(t, intEnd + 1) : intEnd;
        stop = fracEnd;
        const std::string intDigits = t.substr(intStart, intEnd - intStart);
        const std::string fracDigits = point ? t.substr(intEnd + 1, fracEnd - intEnd - 1) : "";
        const bool haveDigits = !intDigits.empty() || !fracDigits.empty();
        std::int64_t exponent = 0;
        bool danglingE = false; // reading stops after an E with no digit, which is not an exponent
        if (haveDigits && stop < t.size() && (t[stop] == 'e' || t[stop] == 'E')) {
            const bool negativeExponent = stop + 1 < t.size() && t[stop + 1] == '-';
            stop += stop + 1 < t.size() && (t[stop + 1] == '+' || t[stop + 1] == '-') ? 2 : 1;
            danglingE = stop == t.size() || !isDigit(t[stop]);
            // Saturating far beyond any exponent that a few megabytes of mantissa
            // digits could bring back into range.
            constexpr std::int64_t EXPONENT_LIMIT = 1'000'000'000;
            for (; stop < t.size() && isDigit(t[stop]); ++stop) {
                exponent = std::min(EXPONENT_LIMIT, exponent * 10 + (t[stop] - '0'));
            }
            exponent = negativeExponent ? -exponent : exponent;
        }
        if (haveDigits) {
            reading.outcome = decimalValue(negative, intDigits, fracDigits, exponent);
        }
        whole = haveDigits && !danglingE && stop == t.size();
    }
    if (stop < t.size()) {
        reading.stop = plain.at[stop];
    }
    reading.whole = whole;
    return reading;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const Outcome outcome = readWithEngine(text);
    const Reading expected = readReference(text);
    require(sameOutcome(outcome, expected.outcome), "textToNumber disagrees with the reference reading");
    require(quanvik::readsWhole(text) == expected.whole, "readsWhole disagrees with the reference reading");
    if (expected.stop) {
        const std::size_t stop = *expected.stop;
        require(sameOutcome(outcome, readWithEngine(text.substr(0, stop))),
            "dropping the text from the character that ends the number changed the value");
        require(sameOutcome(outcome, readWithEngine(text.substr(0, stop + 1))),
            "dropping the text after the character that ends the number changed the value");
        require(sameOutcome(outcome, readWithEngine(std::string(text) + "9.9e9")),
            "appending after the character that ends the number changed the value");
    }
    return 0;
}
