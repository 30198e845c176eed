// What the engine tells of the inputs behind a fault (fault_diagnosis.cpp).
#include "memory_fields.h"
#include "position_analysis.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace quanvik {
namespace {

// "<field> '<text>' <value as written, or overflow> <whole|part>", and " *"
// where the report names the input as a likely cause.
std::string describe(const InputReading& input)
{
    return "Text" + std::to_string(static_cast<int>(input.field) + 1) + " '" + input.text + "' "
        + (input.overflow ? "overflow" : input.valueText) + (input.whole ? " whole" : " part")
        + (input.isSuspect() ? " *" : "");
}

TEST(Diagnose, ReadsEachInputOfTheFaultingStep)
{
    const struct {
        int step;
        std::array<std::string, 6> inputs;
        std::vector<std::string> readings;
    } cases[] = {
        {3, {"", "", "", "", "", ""}, {"Text1 '' 0 part *", "Text2 '' 0 part *", "Text3 '' 0 part *"}},
        // beyond the range; blanks aside; a zero typed; a unit after the number
        {3, {"1E999", " 1 0 ", "50元"},
            {"Text1 '1E999' overflow whole *", "Text2 ' 1 0 ' 10 whole", "Text3 '50元' 50 part *"}},
        // the value as the analysis writes it, not as typed
        {3, {"９５０", "０", "1.23456789012345678"},
            {"Text1 '９５０' 950 whole", "Text2 '０' 0 whole *",
                "Text3 '1.23456789012345678' 1.23456789012346 whole"}},
        {18, {"950", "ten percent", "5e1", "51", "", "3"},
            {"Text1 '950' 950 whole", "Text3 '5e1' 50 whole", "Text5 '' 0 part *"}},
        {0, {"1E999"}, {}}, // a fault outside a run names no input
    };
    for (const auto& c : cases) {
        const MemoryFields fields(c.inputs);
        std::vector<std::string> readings;
        for (const InputReading& input : diagnose(AnalysisError(FaultKind::DivisionByZero, c.step), fields))
            readings.push_back(describe(input));
        EXPECT_EQ(readings, c.readings) << "step " << c.step;
    }
}

} // namespace
} // namespace quanvik
