// The digits read made a double: the nearest, ties to even; beyond the
// range, an overflow (nearest_double.cpp).
#include "numeric_test_support.h"
#include "numeric_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace quanvik {
namespace {

// The 768 digits of the point halfway between (2^53 - 2) x 2^-1074 and the
// next double: the longest a halfway point gets, so all of them decide.
const std::string LONGEST_HALFWAY =
    "0."
    "445014771701440202508199667279499186358524265859260511351695091228726223124931264069530541271189"
    "424317838013700808305231545782515453032382772695923684574304409936197089118747150815050941806048"
    "037511737832041185193533879641611520514874130831632725201246060231058690536206311752656217652146"
    "466431814205051640436322226680064743260560117135282915796422274554896821334728738317548403413978"
    "098469341510556195293821919814730032341053661708792231510873354131880491105553390278848567812190"
    "177545006298062245710295816371174594568773301103242116891776567137054973871082078224775842509670"
    "618916870627821633352993761380751142008862499795052791018709663463944015644907297315659352441231"
    "715398102212132212018470035807616260163568645811358486831521563686919762403704226016998291015625";

TEST(TextToNumber, RoundsToTheNearestTiesToEven)
{
    const struct {
        std::string text;
        double expected;
    } cases[] = {
        // exactly halfway between two doubles: ties to even, unless any
        // digit, however far out, says the value lies above
        {"9007199254740993", 9007199254740992.0},
        {"1." + repeat("0", 799) + "1", 1}, // zeros kept before a dropped digit
        {"9007199254740993" + repeat("0", 900) + "1E-901", 9007199254740994.0},
        {"&H20000000000001", 9007199254740992.0},
        {"&H20000000000001" + repeat("0", 20) + "1", std::ldexp(9007199254740994.0, 84)},
        {LONGEST_HALFWAY + "E-307", std::ldexp(9007199254740990.0, -1074)},
        {LONGEST_HALFWAY + "0001E-307", std::ldexp(9007199254740991.0, -1074)}, // a digit past the 768th
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("text '" + c.text.substr(0, 60) + "'");
        EXPECT_EQ(bitsOf(textToNumber(c.text)), bitsOf(c.expected));
    }
}

TEST(TextToNumber, ThrowsOverflowBeyondTheRange)
{
    // past the midpoint to 2^1024, 2^1024 itself, a megabyte of nines
    const std::string cases[] = {"1E999", "-1E999", "1.7976931348623159E308", "1E99999999999999999999",
        "&H1" + repeat("0", 256), repeat("9", 1'000'000)};
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
