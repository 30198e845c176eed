// The digits read made a double: beyond the range, an overflow
// (nearest_double.cpp).
#include "numeric_test_support.h"
#include "numeric_text.h"

#include <gtest/gtest.h>

#include <string>

namespace quanvik {
namespace {

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

} // namespace
} // namespace quanvik
