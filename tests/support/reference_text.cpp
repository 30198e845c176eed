#include "reference_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <system_error>

namespace quanvik {
namespace {

constexpr int TEXT_DIGITS = 15;
// More significant digits than the exact expansion of any double has (767).
constexpr int EXACT_DIGITS = 780;

// The significant digits of x and the decimal exponent of the first.
struct Scientific {
    std::array<char, EXACT_DIGITS> digits; // filled up to count
    int count = 0;
    int exponent = 0;
};

// x correctly rounded to n significant digits, by std::to_chars.
Scientific scientific(double x, int n)
{
    std::array<char, EXACT_DIGITS + 16> text; // "-d.ddd...e-XXX"
    const char* const end =
        std::to_chars(text.data(), text.data() + text.size(), x, std::chars_format::scientific, n - 1).ptr;
    Scientific s;
    const char* p = text.data() + (x < 0 ? 1 : 0);
    for (; *p != 'e'; ++p)
        if (*p != '.')
            s.digits[static_cast<std::size_t>(s.count++)] = *p;
    std::from_chars(p + (p[1] == '+' ? 2 : 1), end, s.exponent);
    return s;
}

} // namespace

ReferenceText referenceText(double x)
{
    ReferenceText out;
    if (x == 0) {
        out.chars[0] = '0';
        out.size = 1;
        return out;
    }
    // Seventeen correctly rounded digits settle the sixteenth digit's side of
    // a half, except where they end in 50: a tie or a hair off one, which
    // only the exact expansion decides.
    Scientific s = scientific(x, TEXT_DIGITS + 2);
    if (s.digits[TEXT_DIGITS] == '5' && s.digits[TEXT_DIGITS + 1] == '0')
        s = scientific(x, EXACT_DIGITS);
    char* const d = s.digits.data();
    int exponent = s.exponent;
    if (d[TEXT_DIGITS] >= '5') {
        int i = TEXT_DIGITS - 1;
        for (; i >= 0 && d[i] == '9'; --i)
            d[i] = '0';
        if (i < 0) {
            d[0] = '1';
            ++exponent;
        } else {
            ++d[i];
        }
    }
    int size = TEXT_DIGITS;
    while (size > 1 && d[size - 1] == '0')
        --size;

    char* p = out.chars.data();
    if (x < 0)
        *p++ = '-';
    if ((exponent >= -4 && exponent < TEXT_DIGITS)
        || (exponent < -4 && -exponent - 1 + size <= TEXT_DIGITS)) {
        if (exponent < 0) {
            *p++ = '0';
            *p++ = '.';
            p = std::fill_n(p, -exponent - 1, '0');
            p = std::copy_n(d, size, p);
        } else if (size <= exponent + 1) {
            p = std::copy_n(d, size, p);
            p = std::fill_n(p, exponent + 1 - size, '0');
        } else {
            p = std::copy_n(d, exponent + 1, p);
            *p++ = '.';
            p = std::copy_n(d + exponent + 1, size - exponent - 1, p);
        }
    } else {
        *p++ = d[0];
        if (size > 1) {
            *p++ = '.';
            p = std::copy_n(d + 1, size - 1, p);
        }
        *p++ = 'E';
        *p++ = exponent < 0 ? '-' : '+';
        if (std::abs(exponent) < 10)
            *p++ = '0';
        p = std::to_chars(p, out.chars.data() + out.chars.size(), std::abs(exponent)).ptr;
    }
    out.size = static_cast<std::size_t>(p - out.chars.data());
    return out;
}

double referenceRoundTo2(double x)
{
    return std::floor(x) == x ? x : std::nearbyint(x * 100) / 100;
}

std::optional<double> readDecimal(std::string_view text)
{
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range && end == text.data() + text.size())
        return std::nullopt;
    if (error != std::errc() || end != text.data() + text.size())
        throw std::invalid_argument("not one whole decimal number: " + std::string(text));
    return value;
}

} // namespace quanvik
