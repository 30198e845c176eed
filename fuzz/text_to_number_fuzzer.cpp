// textToNumber on arbitrary bytes, checked against an independent reading of
// the documented rules and against itself.
#include "fuzz_check.h"
#include "numeric_text.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

namespace {

using quanvik::fuzz::require;

struct Outcome {
    bool overflow = false;
    double value = 0;
};

bool sameOutcome(const Outcome& a, const Outcome& b)
{
    return a.overflow == b.overflow
        && (a.overflow || std::bit_cast<std::uint64_t>(a.value) == std::bit_cast<std::uint64_t>(b.value));
}

Outcome readWithEngine(std::string_view text)
{
    try {
        const double value = quanvik::textToNumber(text);
        require(std::isfinite(value), "textToNumber returned a non-finite value");
        return {false, value};
    } catch (const quanvik::AnalysisError& error) {
        require(
            error.kind() == quanvik::FaultKind::Overflow, "textToNumber raised a fault other than Overflow");
        require(error.step() == 0, "textToNumber raised a fault with a step");
        return {true, 0};
    }
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
    int value = 99;
    if (isDigit(c)) {
        value = c - '0';
    } else if (c >= 'a' && c <= 'f') {
        value = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
        value = c - 'A' + 10;
    }
    return value < radix ? value : -1;
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
                return {true, 0};
            }
        }
    }
    if (significantBits <= 64) {
        return {false, static_cast<double>(top)};
    }
    // Bit 0 lies below the rounding position, so folding the sticky bit into
    // it makes the 64-to-53-bit conversion round as the whole number would.
    const double value = std::ldexp(static_cast<double>(top | (sticky ? 1U : 0U)), significantBits - 64);
    return std::isinf(value) ? Outcome {true, 0} : Outcome {false, value};
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
        return {false, 0};
    }
    std::string text = intDigits.empty() ? std::string("0") : intDigits;
    if (!fracDigits.empty()) {
        text += '.';
        text += fracDigits;
    }
    text += 'e';
    text += std::to_string(exponent);
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    require(end == text.data() + text.size(), "reference: from_chars did not read the whole text");
    if (ec == std::errc::result_out_of_range) {
        return leading >= 0 ? Outcome {true, 0} : Outcome {false, 0};
    }
    require(ec == std::errc(), "reference: from_chars failed");
    return {false, negative ? -value : value};
}

struct Reading {
    Outcome outcome;
    // Index of the first byte that cannot continue the number; bytes after it
    // must not matter.
    std::optional<std::size_t> stop;
    // Whether the number takes up the whole text, blanks aside.
    bool whole = false;
};

// A well-formed UTF-8 sequence at pos: its code point and length.
struct CodePoint {
    char32_t value = 0;
    std::size_t size = 0;
};

std::optional<CodePoint> decodeUtf8(std::string_view text, std::size_t pos)
{
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (lead < 0x80) {
        return CodePoint {lead, 1};
    }
    CodePoint cp;
    char32_t least = 0;
    if ((lead & 0xE0) == 0xC0) {
        cp = {lead & 0x1FU, 2};
        least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        cp = {lead & 0x0FU, 3};
        least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        cp = {lead & 0x07U, 4};
        least = 0x10000;
    } else {
        return std::nullopt;
    }
    if (pos + cp.size > text.size()) {
        return std::nullopt;
    }
    for (std::size_t i = 1; i < cp.size; ++i) {
        const auto next = static_cast<unsigned char>(text[pos + i]);
        if ((next & 0xC0) != 0x80) {
            return std::nullopt;
        }
        cp.value = (cp.value << 6) | (next & 0x3FU);
    }
    if (cp.value < least || cp.value > 0x10FFFF || (cp.value >= 0xD800 && cp.value <= 0xDFFF)) {
        return std::nullopt;
    }
    return cp;
}

// Walks the text by characters: full-width forms as the ASCII they stand for,
// the ideographic space as a blank, blanks skipped. Any other non-ASCII
// character, and a byte that starts no well-formed sequence, reads as NUL,
// which ends every number.
class Scanner {
public:
    explicit Scanner(std::string_view text)
        : text_(text)
    {
        skipBlanks();
    }

    bool atEnd() const { return pos_ >= text_.size(); }
    char peek() const { return charAt(pos_).first; }
    std::size_t position() const { return pos_; }
    void advance()
    {
        pos_ += charAt(pos_).second;
        skipBlanks();
    }

private:
    std::pair<char, std::size_t> charAt(std::size_t pos) const
    {
        const auto cp = decodeUtf8(text_, pos);
        if (!cp) {
            return {'\0', 1};
        }
        if (cp->value < 0x80) {
            return {static_cast<char>(cp->value), 1};
        }
        if (cp->value >= 0xFF01 && cp->value <= 0xFF5E) {
            return {static_cast<char>(cp->value - 0xFF01 + '!'), cp->size};
        }
        return {cp->value == 0x3000 ? ' ' : '\0', cp->size};
    }

    void skipBlanks()
    {
        while (pos_ < text_.size() && isBlank(charAt(pos_).first)) {
            pos_ += charAt(pos_).second;
        }
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

Reading readRadix(Scanner& scan)
{
    scan.advance(); // '&'
    if (scan.atEnd()) {
        return {};
    }
    const char marker = scan.peek();
    int radix = 0;
    if (marker == 'H' || marker == 'h') {
        radix = 16;
    } else if (marker == 'O' || marker == 'o') {
        radix = 8;
    } else {
        return {{}, scan.position()};
    }
    scan.advance();
    std::string digits;
    while (!scan.atEnd() && digitValue(scan.peek(), radix) >= 0) {
        digits += scan.peek();
        scan.advance();
    }
    Reading reading {radixValue(digits, radix), std::nullopt, !digits.empty() && scan.atEnd()};
    if (!scan.atEnd()) {
        reading.stop = scan.position();
    }
    return reading;
}

Reading readReference(std::string_view text)
{
    Scanner scan(text);
    if (!scan.atEnd() && scan.peek() == '&') {
        return readRadix(scan);
    }
    bool negative = false;
    if (!scan.atEnd() && (scan.peek() == '+' || scan.peek() == '-')) {
        negative = scan.peek() == '-';
        scan.advance();
    }
    std::string intDigits;
    std::string fracDigits;
    bool point = false;
    while (!scan.atEnd()) {
        const char c = scan.peek();
        if (isDigit(c)) {
            (point ? fracDigits : intDigits) += c;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
        scan.advance();
    }
    std::int64_t exponent = 0;
    const bool haveDigits = !intDigits.empty() || !fracDigits.empty();
    bool danglingE = false; // an E without exponent digits is not part of the number
    if (haveDigits && !scan.atEnd() && (scan.peek() == 'e' || scan.peek() == 'E')) {
        scan.advance();
        danglingE = true;
        bool negativeExponent = false;
        if (!scan.atEnd() && (scan.peek() == '+' || scan.peek() == '-')) {
            negativeExponent = scan.peek() == '-';
            scan.advance();
        }
        // Saturating far beyond any exponent that a few megabytes of mantissa
        // digits could bring back into range.
        constexpr std::int64_t EXPONENT_LIMIT = 1'000'000'000;
        while (!scan.atEnd() && isDigit(scan.peek())) {
            danglingE = false;
            exponent = std::min(EXPONENT_LIMIT, exponent * 10 + (scan.peek() - '0'));
            scan.advance();
        }
        if (negativeExponent) {
            exponent = -exponent;
        }
    }
    Reading reading;
    if (haveDigits) {
        reading.outcome = decimalValue(negative, intDigits, fracDigits, exponent);
    }
    if (!scan.atEnd()) {
        reading.stop = scan.position();
    }
    reading.whole = haveDigits && !danglingE && scan.atEnd();
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
