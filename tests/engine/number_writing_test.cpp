// How a double is written: 15 digits, plain or in exponent form
// (number_writing.cpp).
#include "numeric_test_support.h"
#include "numeric_text.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <limits>

namespace quanvik {
namespace {

TEST(NumberToText, WritesAtMost15SignificantDigits)
{
    const struct {
        double value;
        const char* expected;
    } cases[] = {{90, "90"}, {242.4, "242.4"}, {40.0 / 3, "13.3333333333333"}, {-0.5, "-0.5"},
        {26.676, "26.676"}, {0.1 + 0.2, "0.3"}, {12.5 - 0.5, "12"},
        {0.000929126239957016, "0.000929126239957016"}, {0.0123456789012345, "0.0123456789012345"},
        {999999999999999, "999999999999999"},
        {999999999999999.9, "1E+15"}, // rounding carries into exponent form
        {0.0001, "0.0001"}, {0.00001, "0.00001"}, {5.6789E-11, "0.000000000056789"},
        {5.6789E-12, "5.6789E-12"}, {1.23456789012345E-05, "1.23456789012345E-05"}, {1E15, "1E+15"},
        {1.2E15, "1.2E+15"}, {-1.2E15, "-1.2E+15"}, {1E-16, "1E-16"}, {1E308, "1E+308"},
        {DBL_MAX, "1.79769313486232E+308"},
        {std::numeric_limits<double>::denorm_min(), "4.94065645841247E-324"},
        // exact ties at the sixteenth digit go away from zero, plain, negative,
        // in exponent form and tiny; a hair off a tie goes to the nearer side
        {311069845525908.5, "311069845525909"}, {-311069845525908.5, "-311069845525909"},
        {1000000000000005, "1.00000000000001E+15"}, {0x1p-22, "2.38418579101563E-07"},
        {0.3000000000000005, "0.3"}, {1000000000000015, "1.00000000000002E+15"},
        {-12345678901.03125, "-12345678901.0313"}, {0.0, "0"}, {-0.0, "0"}, {INF, "Infinity"},
        {-INF, "-Infinity"}, {NAN_VALUE, "NaN"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(numberToText(c.value), c.expected);
    }
}

} // namespace
} // namespace quanvik
