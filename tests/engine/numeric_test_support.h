#pragma once

#include <cstddef>
#include <cstdio>
#include <limits>
#include <string>

// What the tests of the conversions share: long texts, and doubles compared
// by their bits (a wrong sign of zero or a last bit off shows).
namespace quanvik {

constexpr double INF = std::numeric_limits<double>::infinity();
constexpr double NAN_VALUE = std::numeric_limits<double>::quiet_NaN();

inline std::string repeat(const std::string& piece, std::size_t times)
{
    std::string text;
    text.reserve(piece.size() * times);
    for (std::size_t i = 0; i < times; ++i)
        text += piece;
    return text;
}

inline std::string bitsOf(double value)
{
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%a", value);
    return buffer;
}

} // namespace quanvik
