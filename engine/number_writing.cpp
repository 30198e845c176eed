#include "fifteen_digits.h"
#include "numeric_text.h"

#include <cmath>
#include <cstdlib>
#include <string>
#include <string_view>

// How a double is written: its 15 digits in plain form, or in exponent form
// for the very large and the very small.
namespace quanvik {

using namespace detail;

namespace {

// Plain digits from 1E-4 to below 1E15, and below 1E-4 while at most 15
// digits follow the point.
bool writesPlain(const Digits& d)
{
    if (d.exponent >= -4)
        return d.exponent < static_cast<int>(TEXT_DIGITS);
    return static_cast<std::size_t>(-d.exponent - 1) + d.size <= TEXT_DIGITS;
}

} // namespace

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

} // namespace quanvik
