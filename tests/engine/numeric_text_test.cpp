// What numeric_text.h promises of all its conversions together.
#include "numeric_text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <locale>

namespace quanvik {
namespace {

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
