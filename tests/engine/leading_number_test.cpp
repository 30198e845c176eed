// Where the reading of a text starts and stops, what it reads, full-width
// forms and pasted megabytes among them (leading_number.cpp).
#include "numeric_test_support.h"
#include "numeric_text.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <string>

namespace quanvik {
namespace {

struct ReadCase {
    std::string text;
    double expected;
};

// The examples of numeric_text.h, verbatim, and where reading stops.
TEST(TextToNumber, ReadsTheLeadingNumber)
{
    // First: blanks, tabs and line feeds vanish wherever they stand.
    const ReadCase cases[] = {{" 1 2 5", 125}, {"2 50", 250}, {"\t7\n", 7}, {"- 5", -5}, {"1 . 5 e 2", 150},
        // sign, point, exponent
        {"-3.5", -3.5}, {"+7", 7}, {".5", 0.5}, {"5.", 5}, {"1e2", 100}, {"1.5E2", 150}, {"1.5e-2", 0.015},
        {"0.1", 0.1},
        // reading stops at the first character that cannot continue: carriage
        // return, the no-break space and an embedded NUL among them
        {"1.2.3", 1.2}, {"1,000", 1}, {"12%", 12}, {"50元", 50}, {"3.14e", 3.14}, {"12E+", 12},
        {"12E+x5", 12}, {"1e2.5", 100}, {"1e+-2", 1}, {"--5", 0}, {"12\r5", 12}, {"1\u00A05", 1},
        {std::string {'1', '\0', '5'}, 1},
        // no digit in front reads as zero; invalid UTF-8 is no digit
        {"", 0}, {"   ", 0}, {"abc", 0}, {"-", 0}, {".", 0}, {"元12", 0}, {".e5", 0}, {"E5", 0},
        {std::string("\xFF\xFE") + "12", 0},
        // full-width forms and the ideographic space, as an input method types them
        {"９５０", 950}, {"９５０．５", 950.5}, {"－３．５", -3.5}, {"９5０", 950}, {"　９ ５０", 950},
        {"１，０００", 1}, {"９５０。", 950}, {"1\r5", 1}, {"＋１．５ｅ－２", 0.015}, {"＆ｈＦＦ", 255},
        {"＆Ｏ１７", 15},
        // a cut or malformed sequence, U+FF00 and U+FF5F just outside the forms,
        // an overlong '9' and a cut ideographic space end the number
        {"９\xEF\xBC", 9}, {"９\xEF\xBC\x39", 9}, {"９\xEF\xBC\x80", 9}, {"９\xEF\xBD\x9F", 9},
        {"\xC0\xB9", 0}, {"12\xE3\x80", 12},
        // range
        {"1.7976931348623158E308", DBL_MAX}, {"1E-999", 0}, {"0E999", 0},
        {"5E-324", std::numeric_limits<double>::denorm_min()}, {"2.2250738585072014E-308", DBL_MIN},
        // hexadecimal and octal
        {"&H10", 16}, {"&hff", 255}, {"&O17", 15}, {"&H1G", 1}, {"&O78", 7}, {"&HFFFFFFFF", 4294967295.0},
        {"& H 1 0", 16}, {"-&H10", 0}, {"1&H10", 1}, {"&H", 0}, {"&", 0}, {"&X10", 0},
        {"&H" + repeat("0", 100) + "1", 1},
        // long texts read in one pass
        {"0." + repeat("0", 1'000'000) + "1E1000001", 1},
        {repeat("1 ", 300) + "E-299", 1.1111111111111111111111}};
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
    } cases[] = {{"950", true}, {" 2 50 ", true}, {"5.", true}, {".5", true}, {"-3.5", true}, {"1e2", true},
        {"&H10", true}, {"&O17", true}, {"0", true}, {"1E999", true}, {"", false}, {"   ", false},
        {"abc", false}, {"12%", false}, {"50元", false}, {"1,000", false}, {"1.2.3", false}, {"12E+", false},
        {"3.14e", false}, {"-", false}, {".", false}, {"&H", false}, {"&", false}, {"元12", false},
        {"-&H10", false}, {"９５０", true}, {"９５０。", false}, {"1 e 2 ", true}, {"&H1G", false},
        {"& h 0 ", true}, {"-0", true}, {"1e2.5", false}, {"12\r", false}, {std::string("7\0", 2), false},
        {"&H" + repeat("F", 300), true}, // beyond the range, all number
        {repeat("9", 1'000'000) + "x", false}};
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

} // namespace
} // namespace quanvik
