#include "numeric_text.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <locale>
#include <random>
#include <string>

namespace quanvik {
namespace {

constexpr double INF = std::numeric_limits<double>::infinity();
constexpr double NAN_VALUE = std::numeric_limits<double>::quiet_NaN();
constexpr std::size_t TEXT_DIGITS_FOR_TEST = 15;

std::string repeat(const std::string& piece, std::size_t times)
{
    std::string text;
    text.reserve(piece.size() * times);
    for (std::size_t i = 0; i < times; ++i)
        text += piece;
    return text;
}

std::string bitsOf(double value)
{
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%a", value);
    return buffer;
}

struct ReadCase {
    std::string text;
    double expected;
};

// The examples of numeric_text.h, verbatim, and where reading stops.
TEST(TextToNumber, ReadsTheLeadingNumber)
{
    const ReadCase cases[] = {
        // blanks, tabs and line feeds vanish wherever they stand
        {" 1 2 5", 125},
        {"2 50", 250},
        {"\t7\n", 7},
        {"- 5", -5},
        {"1 . 5 e 2", 150},
        // sign, point, exponent
        {"-3.5", -3.5},
        {"+7", 7},
        {".5", 0.5},
        {"5.", 5},
        {"1e2", 100},
        {"1.5E2", 150},
        {"1.5e-2", 0.015},
        {"0.1", 0.1},
        // reading stops at the first character that cannot continue
        {"1.2.3", 1.2},
        {"1,000", 1},
        {"12%", 12},
        {"50元", 50},
        {"3.14e", 3.14},
        {"12E+", 12},
        {"12E+x5", 12},
        {"1e2.5", 100},
        {"1e+-2", 1},
        {"--5", 0},
        {"12\r5", 12}, // carriage return is not a blank
        {"1\xC2\xA0"
         "5",
            1}, // nor is the no-break space
        {std::string("1\0"
                     "5",
             3),
            1}, // an embedded NUL ends it too
        // no digit in front reads as zero
        {"", 0},
        {"   ", 0},
        {"abc", 0},
        {"-", 0},
        {".", 0},
        {"元12", 0},
        {".e5", 0},
        {"E5", 0},
        {"\xFF\xFE"
         "12",
            0}, // invalid UTF-8
        // full-width forms and the ideographic space, as an input method types them
        {"９５０", 950},
        {"９５０．５", 950.5},
        {"－３．５", -3.5},
        {"９5０", 950},
        {"　９ ５０", 950},
        {"１，０００", 1},
        {"９５０。", 950},
        {"1\r5", 1},
        {"＋１．５ｅ－２", 0.015},
        {"＆ｈＦＦ", 255},
        {"＆Ｏ１７", 15},
        {"９\xEF\xBC", 9},     // cut sequence
        {"９\xEF\xBC\x39", 9}, // malformed
        {"９\xEF\xBC\x80", 9}, // U+FF00, just below the forms
        {"９\xEF\xBD\x9F", 9}, // U+FF5F, just above
        {"\xC0\xB9", 0},       // overlong '9'
        {"12\xE3\x80", 12},    // cut ideographic space
        // range
        {"1.7976931348623158E308", DBL_MAX},
        {"1E-999", 0},
        {"0E999", 0},
        {"5E-324", std::numeric_limits<double>::denorm_min()},
        {"2.2250738585072014E-308", DBL_MIN},
        // hexadecimal and octal
        {"&H10", 16},
        {"&hff", 255},
        {"&O17", 15},
        {"&H1G", 1},
        {"&O78", 7},
        {"&HFFFFFFFF", 4294967295.0},
        {"& H 1 0", 16},
        {"-&H10", 0},
        {"1&H10", 1},
        {"&H", 0},
        {"&", 0},
        {"&X10", 0},
        {"&H" + repeat("0", 100) + "1", 1},
        // exactly halfway between two doubles: ties to even, unless any
        // digit, however far out, says the value lies above
        {"9007199254740993", 9007199254740992.0},
        {"1." + repeat("0", 799) + "1", 1}, // zeros kept before a dropped digit
        {"9007199254740993" + repeat("0", 900) + "1E-901", 9007199254740994.0},
        {"&H20000000000001", 9007199254740992.0},
        {"&H20000000000001" + repeat("0", 20) + "1", std::ldexp(9007199254740994.0, 84)},
        // long texts read in one pass
        {"0." + repeat("0", 1'000'000) + "1E1000001", 1},
        {repeat("1 ", 300) + "E-299", 1.1111111111111111111111},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("text '" + c.text.substr(0, 60) + "'");
        EXPECT_EQ(bitsOf(textToNumber(c.text)), bitsOf(c.expected));
    }
}

// The examples of numeric_text.h, verbatim, and the corners of where the
// reading stops: an exponent without digits, trailing blanks, a NUL.
TEST(ReadsWhole, SaysWhetherTheTextIsAllNumber)
{
    const struct {
        std::string text;
        bool expected;
    } cases[] = {
        {"950", true},
        {" 2 50 ", true},
        {"5.", true},
        {".5", true},
        {"-3.5", true},
        {"1e2", true},
        {"&H10", true},
        {"&O17", true},
        {"0", true},
        {"1E999", true},
        {"", false},
        {"   ", false},
        {"abc", false},
        {"12%", false},
        {"50元", false},
        {"1,000", false},
        {"1.2.3", false},
        {"12E+", false},
        {"3.14e", false},
        {"-", false},
        {".", false},
        {"&H", false},
        {"&", false},
        {"元12", false},
        {"-&H10", false},
        {"９５０", true},
        {"９５０。", false},
        {"1 e 2 ", true},
        {"&H1G", false},
        {"& h 0 ", true},
        {"-0", true},
        {"1e2.5", false},
        {"12\r", false},
        {std::string("7\0", 2), false},
        {"&H" + repeat("F", 300), true}, // beyond the range, all number
        {repeat("9", 1'000'000) + "x", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("text '" + c.text.substr(0, 60) + "'");
        EXPECT_EQ(readsWhole(c.text), c.expected);
    }
}

TEST(TextToNumber, NeverGivesNegativeZero)
{
    for (const char* text : {"-0", "-0.0", "-1E-999", "-.0e5"}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(std::signbit(textToNumber(text)));
    }
}

TEST(TextToNumber, ThrowsOverflowBeyondTheRange)
{
    const std::string cases[] = {
        "1E999",
        "-1E999",
        "1.7976931348623159E308", // past the midpoint to 2^1024
        "1E99999999999999999999",
        "&H1" + repeat("0", 256), // 2^1024
        repeat("9", 1'000'000),
    };
    for (const auto& text : cases) {
        SCOPED_TRACE(text.substr(0, 40));
        try {
            textToNumber(text);
            ADD_FAILURE() << "no fault";
        } catch (const AnalysisError& error) {
            EXPECT_EQ(error.kind(), FaultKind::Overflow);
            EXPECT_EQ(error.step(), 0);
        }
    }
}

TEST(NumberToText, WritesAtMost15SignificantDigits)
{
    const struct {
        double value;
        const char* expected;
    } cases[] = {
        {90, "90"},
        {242.4, "242.4"},
        {40.0 / 3, "13.3333333333333"},
        {-0.5, "-0.5"},
        {26.676, "26.676"},
        {0.1 + 0.2, "0.3"},
        {12.5 - 0.5, "12"},
        {0.000929126239957016, "0.000929126239957016"},
        {0.0123456789012345, "0.0123456789012345"},
        {999999999999999, "999999999999999"},
        {999999999999999.9, "1E+15"}, // rounding carries into exponent form
        {0.0001, "0.0001"},
        {0.00001, "0.00001"},
        {5.6789E-11, "0.000000000056789"},
        {5.6789E-12, "5.6789E-12"},
        {1.23456789012345E-05, "1.23456789012345E-05"},
        {1E15, "1E+15"},
        {1.2E15, "1.2E+15"},
        {-1.2E15, "-1.2E+15"},
        {1E-16, "1E-16"},
        {1E308, "1E+308"},
        {DBL_MAX, "1.79769313486232E+308"},
        {std::numeric_limits<double>::denorm_min(), "4.94065645841247E-324"},
        // exact ties at the sixteenth digit go away from zero, plain, negative,
        // in exponent form and tiny; a hair off a tie goes to the nearer side
        {311069845525908.5, "311069845525909"},
        {-311069845525908.5, "-311069845525909"},
        {1000000000000005, "1.00000000000001E+15"},
        {0x1p-22, "2.38418579101563E-07"},
        {0.3000000000000005, "0.3"},
        {1000000000000015, "1.00000000000002E+15"},
        {-12345678901.03125, "-12345678901.0313"},
        {0.0, "0"},
        {-0.0, "0"},
        {INF, "Infinity"},
        {-INF, "-Infinity"},
        {NAN_VALUE, "NaN"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(numberToText(c.value), c.expected);
    }
}

TEST(Settle, PassesThroughTheTextForm)
{
    const struct {
        double value;
        double expected;
    } cases[] = {
        {0.1 + 0.2, 0.3},
        {0.8999999999999999, 0.9},
        {950.0 / 75, 12.6666666666667},
        {311069845525908.5, 311069845525909},
        {2.9999999999999996, 3},
        {-0.0, 0.0},
        {1.23456789012345678E-300, 1.23456789012346E-300},
        {1.23456789012345678E300, 1.23456789012346E300},
    };
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
        {DBL_MAX, FaultKind::Overflow},
        {INF, FaultKind::Overflow},
        {NAN_VALUE, FaultKind::InvalidOperation},
    };
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

// The double nearest to value rounded to 15 significant digits, ties away
// from zero, by way of the C library in the "C" locale: an independent road to
// the same place. glibc prints the exact expansion when asked for enough
// digits (at most 767); rounding it half up is the tie rule.
double libcSettle(double value)
{
    char exact[820];
    std::snprintf(exact, sizeof exact, "%.780e", value);
    const bool negative = exact[0] == '-';
    const std::string text(exact + (negative ? 1 : 0));
    std::string digits = text.substr(0, 1) + text.substr(2, TEXT_DIGITS_FOR_TEST - 1);
    int exponent = std::atoi(text.c_str() + text.find('e') + 1);
    if (text[TEXT_DIGITS_FOR_TEST + 1] >= '5') {
        std::size_t i = digits.size();
        while (i > 0 && digits[i - 1] == '9')
            digits[--i] = '0';
        if (i == 0) {
            digits.insert(0, "1");
            ++exponent;
        } else {
            ++digits[i - 1];
        }
    }
    const std::string rounded = (negative ? "-0." : "0.") + digits + "e" + std::to_string(exponent + 1);
    return std::strtod(rounded.c_str(), nullptr);
}

int significantDigits(const std::string& text)
{
    std::string digits;
    for (const char c : text.substr(0, text.find('E'))) {
        if (c >= '0' && c <= '9')
            digits += c;
    }
    const auto first = digits.find_first_not_of('0');
    return first == std::string::npos ? 0 : static_cast<int>(digits.size() - first);
}

TEST(Settle, PropertiesOverRandomDoubles)
{
    std::mt19937_64 random(20261207);
    std::uniform_real_distribution<double> money(-1E7, 1E7);
    std::uniform_int_distribution<int> power(-12, 25);
    std::uniform_int_distribution<int> nudge(-3, 3);
    // Doubles next to a half at the sixteenth digit, and next to a power of
    // ten, are where a shortcut in the rounding would go wrong.
    const auto nearTie = [&] {
        char text[64];
        std::snprintf(text, sizeof text, "%llu5e%d",
            static_cast<unsigned long long>(random() % 900'000'000'000'000 + 100'000'000'000'000),
            power(random) - 15);
        double x = std::strtod(text, nullptr);
        for (int k = nudge(random); k != 0; k += k > 0 ? -1 : 1)
            x = std::nextafter(x, k > 0 ? INF : 0.0);
        return x;
    };
    const auto nearPowerOfTen = [&] {
        double x = std::pow(10.0, power(random));
        for (int k = nudge(random); k != 0; k += k > 0 ? -1 : 1)
            x = std::nextafter(x, k > 0 ? INF : 0.0);
        return x;
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
            x = nearPowerOfTen();
            break;
        }
        if (!std::isfinite(x) || std::fabs(x) > 1.7976931348623E308)
            continue;
        const double settled = settle(x);
        const std::string text = numberToText(x);
        ASSERT_LE(significantDigits(text), 15) << text;
        ASSERT_EQ(bitsOf(textToNumber(text)), bitsOf(settled)) << text;
        ASSERT_EQ(bitsOf(settle(settled)), bitsOf(settled)) << text;
        ASSERT_EQ(bitsOf(settled), bitsOf(libcSettle(x) + 0.0)) << text;
    }
}

// Qt sets the process locale from the environment; a decimal comma there
// must not leak into the numbers.
TEST(Conversions, IgnoreTheProcessLocale)
{
#ifdef __MINGW32__
    GTEST_SKIP() << "MinGW's libstdc++ knows no locale but \"C\" by name, so none with a decimal comma";
#endif
    const char* name = std::getenv("QUANVIK_COMMA_LOCALE");
    if (name == nullptr || std::setlocale(LC_ALL, name) == nullptr)
        GTEST_SKIP() << "no locale with a decimal comma available";
    std::locale::global(std::locale(name));
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");

    EXPECT_EQ(numberToText(2.424), "2.424");
    EXPECT_EQ(numberToText(1.2E15), "1.2E+15");
    EXPECT_EQ(textToNumber("1.5"), 1.5);
    EXPECT_EQ(textToNumber("1,5"), 1);
    EXPECT_EQ(settle(0.8999999999999999), 0.9);

    std::locale::global(std::locale::classic());
    std::setlocale(LC_ALL, "C");
}

} // namespace
} // namespace quanvik
