// Any finite double through numberToText, settle, floorToInteger and roundTo2,
// each checked against the reference text and std::from_chars.
#include "fuzz_check.h"
#include "numeric_text.h"
#include "reference_text.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace {

using quanvik::fuzz::readWithEngine;
using quanvik::fuzz::require;

bool sameBits(double a, double b)
{
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

// nullopt: the text reads back beyond the double range.
std::optional<double> readBack(const std::string& text)
{
    const std::optional<double> value = quanvik::readDecimal(text);
    return value && *value == 0 ? 0.0 : value;
}

bool hasShortForm(double x)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::scientific);
    const std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
    const std::string_view mantissa = text.substr(0, text.find('e'));
    return std::count_if(mantissa.begin(), mantissa.end(), [](char c) { return c >= '0' && c <= '9'; }) <= 15;
}

std::optional<double> settleWithEngine(double x)
{
    try {
        return quanvik::settle(x);
    } catch (const quanvik::AnalysisError& error) {
        require(error.kind() == quanvik::FaultKind::Overflow, "settle raised a fault other than Overflow");
        return std::nullopt;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < sizeof(double)) {
        return 0;
    }
    double x = 0;
    std::memcpy(&x, data, sizeof x);
    if (!std::isfinite(x)) {
        return 0;
    }

    const std::string text = quanvik::numberToText(x);
    require(text.find_first_not_of("0123456789.-E+") == std::string::npos,
        "numberToText wrote a stray character");
    require(text == quanvik::referenceText(x).view(), "numberToText differs from the reference text");

    const std::optional<double> expected = readBack(text);
    const std::optional<double> settled = settleWithEngine(x);
    const std::optional<double> read = readWithEngine(text);
    require(settled.has_value() == expected.has_value(), "settle overflow disagrees with the reference");
    require(read.has_value() == expected.has_value(), "textToNumber overflow disagrees with the reference");
    // All three or none, by the two checks above.
    if (expected && settled && read) {
        require(sameBits(*settled, *expected), "settle differs from the reference");
        require(sameBits(*read, *settled), "textToNumber(numberToText(x)) differs from settle(x)");
        const std::optional<double> again = settleWithEngine(*settled);
        require(again && sameBits(*again, *settled), "settle is not idempotent");
        require(quanvik::numberToText(*settled) == text, "a settled value writes a different text");
        if (hasShortForm(x)) {
            require(*settled == x, "settle changed a value that has a short form");
        }
    }

    require(quanvik::floorToInteger(x) == std::floor(x), "floorToInteger differs from floor");
    require(quanvik::roundTo2(x) == quanvik::referenceRoundTo2(x), "roundTo2 differs from the reference");
    return 0;
}
