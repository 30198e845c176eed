// What the engine tells of the inputs behind a fault (fault_diagnosis.cpp).
#include "position_analysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace quanvik {
namespace {

class Fields final : public FieldAccess {
public:
    explicit Fields(const std::array<std::string, 6>& inputs)
    {
        std::copy(inputs.begin(), inputs.end(), texts_.begin());
    }
    std::string readText(FieldId field) const override { return texts_.at(static_cast<std::size_t>(field)); }
    void writeText(FieldId field, const std::string& text) override
    {
        texts_.at(static_cast<std::size_t>(field)) = text;
    }

private:
    std::array<std::string, 13> texts_;
};

// An input as "<field> <value as written, or overflow> <whole|part>", and " *"
// where the report names it as a likely cause.
std::string describe(const InputReading& input)
{
    return "Text" + std::to_string(static_cast<int>(input.field) + 1) + ' '
        + (input.overflow ? "overflow" : input.valueText) + (input.whole ? " whole" : " part")
        + (input.isSuspect() ? " *" : "");
}

TEST(Diagnose, ReadsEachInputOfTheFaultingStep)
{
    const struct {
        const char* name;
        std::array<std::string, 6> inputs;
        std::vector<std::string> readings;
    } cases[] = {
        {"all empty: 0 / 0 at step 3", {"", "", "", "", "", ""},
            {"Text1 0 part *", "Text2 0 part *", "Text3 0 part *"}},
        {"principal beyond the range", {"1E999", "10", "50", "51", "2", "3"},
            {"Text1 overflow whole *", "Text2 10 whole", "Text3 50 whole"}},
        {"blanks aside; a zero typed; a unit after the price", {" 9 50 ", "0", "50元", "51", "2", "3"},
            {"Text1 950 whole", "Text2 0 whole *", "Text3 50 part *"}},
        {"words read as 0; the value written, not the text", {"９５０", "ten percent", "5e1", "51", "2", "3"},
            {"Text1 950 whole", "Text2 0 part *", "Text3 50 whole"}},
        {"past the fifteenth digit", {"950", "０", "1.23456789012345678", "51", "2", "3"},
            {"Text1 950 whole", "Text2 0 whole *", "Text3 1.23456789012346 whole"}},
        {"lots empty: step 18 depends on the principal, the entry price and the lots",
            {"950", "10", "50", "51", "", "3"}, {"Text1 950 whole", "Text3 50 whole", "Text5 0 part *"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Fields fields(c.inputs);
        try {
            PositionAnalysis().run(fields);
            ADD_FAILURE() << "no fault";
        } catch (const AnalysisError& fault) {
            std::vector<std::string> readings;
            for (const InputReading& input : diagnose(fault, fields)) {
                readings.push_back(describe(input));
                EXPECT_EQ(input.text, c.inputs.at(static_cast<std::size_t>(input.field)));
            }
            EXPECT_EQ(readings, c.readings);
        }
    }
    EXPECT_TRUE(diagnose(AnalysisError(FaultKind::Overflow), Fields({})).empty()); // outside a run
}

} // namespace
} // namespace quanvik
