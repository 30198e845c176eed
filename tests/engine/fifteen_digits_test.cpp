// Rounding to 15 significant digits, the tie rule, and settle
// (fifteen_digits.cpp).
#include "numeric_test_support.h"
#include "numeric_text.h"
#include "reference_text.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>

namespace quanvik {
namespace {

TEST(Settle, PassesThroughTheTextForm)
{
    const struct {
        double value;
        double expected;
    } cases[] = {{0.1 + 0.2, 0.3}, {0.8999999999999999, 0.9}, {950.0 / 75, 12.6666666666667},
        {311069845525908.5, 311069845525909}, {2.9999999999999996, 3}, {-0.0, 0.0},
        {1.23456789012345678E-300, 1.23456789012346E-300}, {1.23456789012345678E300, 1.23456789012346E300}};
    for (const auto& c : cases) {
        SCOPED_TRACE(numberToText(c.value));
        EXPECT_EQ(bitsOf(settle(c.value)), bitsOf(c.expected));
    }
}

TEST(Settle, FaultsWhereTheTextReadsBackOutOfRange)
{
    const struct {
        double value;
        FaultKind kind;
    } cases[] = {
        {DBL_MAX, FaultKind::Overflow}, {INF, FaultKind::Overflow}, {NAN_VALUE, FaultKind::InvalidOperation}};
    for (const auto& c : cases) {
        try {
            settle(c.value);
            ADD_FAILURE() << "no fault for " << c.value;
        } catch (const AnalysisError& error) {
            EXPECT_EQ(error.kind(), c.kind);
        }
    }
    EXPECT_EQ(settle(1.7976931348623E308), 1.7976931348623E308);
}

// The double nearest to value rounded to 15 significant digits, ties away
// from zero: the reference text read back by the standard library.
double referenceSettle(double value)
{
    // A finite double's text never reads back out of range.
    const std::optional<double> settled = readDecimal(referenceText(value).view());
    if (!settled)
        throw std::out_of_range("the reference text of a finite double read back out of range");
    return *settled + 0.0;
}

TEST(Settle, PropertiesOverRandomDoubles)
{
    std::mt19937_64 random(20261207);
    std::uniform_real_distribution<double> money(-1E7, 1E7);
    std::uniform_int_distribution<int> power(-12, 25);
    std::uniform_int_distribution<int> nudge(-3, 3);
    // Doubles next to a half at the sixteenth digit, and next to a power of
    // ten, are where a shortcut in the rounding would go wrong.
    const auto nudged = [&](double x) {
        for (int k = nudge(random); k != 0; k += k > 0 ? -1 : 1)
            x = std::nextafter(x, k > 0 ? INF : 0.0);
        return x;
    };
    const auto nearTie = [&] {
        char text[64];
        std::snprintf(text, sizeof text, "%llu5e%d",
            static_cast<unsigned long long>(random() % 900'000'000'000'000 + 100'000'000'000'000),
            power(random) - 15);
        return nudged(std::strtod(text, nullptr));
    };
    for (int i = 0; i < 400'000; ++i) {
        double x = 0;
        switch (i % 4) {
        case 0:
            x = std::bit_cast<double>(random());
            break;
        case 1:
            x = money(random) / 7;
            break;
        case 2:
            x = nearTie();
            break;
        default:
            x = nudged(std::pow(10.0, power(random)));
            break;
        }
        if (!std::isfinite(x) || std::fabs(x) > 1.7976931348623E308)
            continue;
        const double settled = settle(x);
        const std::string text = numberToText(x);
        ASSERT_EQ(text, referenceText(x).view());
        ASSERT_EQ(bitsOf(textToNumber(text)), bitsOf(settled)) << text;
        ASSERT_EQ(bitsOf(settle(settled)), bitsOf(settled)) << text;
        ASSERT_EQ(bitsOf(settled), bitsOf(referenceSettle(x))) << text;
    }
}

} // namespace
} // namespace quanvik
