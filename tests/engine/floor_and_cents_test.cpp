// floorToInteger and roundTo2, each written as the analysis writes it
// (floor_and_cents.cpp).
#include "numeric_test_support.h"
#include "numeric_text.h"

#include <gtest/gtest.h>

#include <string>

namespace quanvik {
namespace {

TEST(Rounding, FloorAndTwoDecimals)
{
    const struct {
        const char* name;
        double (*operation)(double);
        double value;
        const char* expected;
    } cases[] = {
        {"floor", floorToInteger, 13.3333333333333, "13"}, {"floor", floorToInteger, -2.5, "-3"},
        {"floor", floorToInteger, -0.5, "-1"}, {"floor", floorToInteger, 5, "5"},
        {"floor", floorToInteger, 1E300, "1E+300"}, {"round2", roundTo2, 829.833333333333, "829.83"},
        {"round2", roundTo2, 540.666666666667, "540.67"}, {"round2", roundTo2, -167.666666666667, "-167.67"},
        {"round2", roundTo2, 0.125, "0.12"}, // exact half: even
        {"round2", roundTo2, 0.375, "0.38"}, {"round2", roundTo2, -0.125, "-0.12"},
        {"round2", roundTo2, 2.675, "2.68"}, // 267.5 exactly
        {"round2", roundTo2, 0.285, "0.28"}, // 28.499999999999996
        {"round2", roundTo2, 8.345, "8.35"}, // 834.5000000000001
        {"round2", roundTo2, -0.001, "0"}, {"round2", roundTo2, 4503599627370495.5, "4.5035996273705E+15"},
        {"round2", roundTo2, DBL_MAX, "1.79769313486232E+308"}, // would overflow * 100
        {"round2", roundTo2, -1E300, "-1E+300"},
        {"round2", roundTo2, 999999999999998, "999999999999998"}, // * 100 is inexact
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " -> " + c.expected);
        EXPECT_EQ(numberToText(c.operation(c.value)), c.expected);
    }
}

} // namespace
} // namespace quanvik
