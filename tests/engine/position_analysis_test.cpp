#include "memory_fields.h"
#include "position_analysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace quanvik {
namespace {

// Result fields start with this so that a field the run never reached is
// told apart from one it wrote.
const std::string OLD = "旧值";

// The inputs in Text1..Text6, OLD in every result field.
MemoryFields fieldsWith(const std::array<std::string, 6>& inputs)
{
    std::array<std::string, FIELD_COUNT> texts;
    std::copy(inputs.begin(), inputs.end(), texts.begin());
    std::fill(texts.begin() + 6, texts.end(), OLD);
    return MemoryFields(texts);
}

struct Fault {
    FaultKind kind;
    int step;

    bool operator==(const Fault&) const = default;
    friend std::ostream& operator<<(std::ostream& out, const Fault& f)
    {
        return out << "kind " << static_cast<int>(f.kind) << " at step " << f.step;
    }
};

// Inputs principal, margin %, entry, exit, lots, days; results in field
// order Text7..Text13 (OLD where the run stops before the field).
struct RunCase {
    const char* name;
    std::array<std::string, 6> inputs;
    std::array<std::string, 7> results;
    std::optional<Fault> fault;
};

const RunCase RUN_CASES[] = {
    {"worked example", {"950", "10", "50", "51", "2", "3"},
        {"12", "26.676", "2.424", "0.9", "51", "540.67", "49"}, std::nullopt},
    {"principal too small: message, the rest still computed", {"100", "10", "50", "51", "2", "3"},
        {"开仓手数过大", "26.676", "2.424", "0.9", "51", "-167.67", "49"}, std::nullopt},
    {"maxLots equal to lots counts as too many", {"150", "10", "50", "51", "2", "3"},
        {"开仓手数过大", "26.676", "2.424", "0.9", "51", "-126", "49"}, std::nullopt},
    {"exit below entry: same gross, smaller commission", {"950", "10", "50", "49", "2", "3"},
        {"12", "26.724", "2.376", "0.9", "51", "540.67", "49"}, std::nullopt},
    {"fractional lots", {"950", "10", "50", "51", "2.5", "3"},
        {"12", "33.345", "3.03", "1.125", "51", "382.33", "49"}, std::nullopt},
    {"maxLots a hair below 3 settles to 3 before the floor", {"4.4999999999999994", "10", "1", "1", "2", "3"},
        {"3", "-0.066", "0.048", "0.018", "2", "-12313.5", "0"}, std::nullopt},
    {"typed as a user might", {" 9 50元", "10%", "50.", "+51", "2手", "3天"},
        {"12", "26.676", "2.424", "0.9", "51", "540.67", "49"}, std::nullopt},
    {"all empty: 0/0 at maxLots, nothing written", {"", "", "", "", "", ""},
        {OLD, OLD, OLD, OLD, OLD, OLD, OLD}, Fault {FaultKind::InvalidOperation, 3}},
    {"empty margin ratio", {"950", "", "50", "51", "2", "3"}, {OLD, OLD, OLD, OLD, OLD, OLD, OLD},
        Fault {FaultKind::DivisionByZero, 3}},
    {"empty margin ratio and principal", {"", "", "50", "51", "2", "3"}, {OLD, OLD, OLD, OLD, OLD, OLD, OLD},
        Fault {FaultKind::InvalidOperation, 3}},
    {"empty entry price", {"950", "10", "", "51", "2", "3"}, {OLD, OLD, OLD, OLD, OLD, OLD, OLD},
        Fault {FaultKind::DivisionByZero, 3}},
    {"empty lots: risk base is zero, the last two fields keep their text", {"950", "10", "50", "51", "", "3"},
        {"12", "0", "0", "0", "51", OLD, OLD}, Fault {FaultKind::DivisionByZero, 18}},
    {"no principal and no lots: 0/0 at the risk rate", {"0", "10", "50", "51", "0", "3"},
        {"开仓手数过大", "0", "0", "0", "51", OLD, OLD}, Fault {FaultKind::InvalidOperation, 18}},
    {"entry price so large the gross profit overflows", {"950", "10", "1E307", "51", "2", "3"},
        {"开仓手数过大", OLD, "2.4E+305", "1.8E+305", OLD, OLD, OLD}, Fault {FaultKind::Overflow, 7}},
    {"lots so large the per-lot charge overflows", {"950", "10", "50", "51", "1E307", "3"},
        {"开仓手数过大", "1.3338E+308", "1.212E+307", "4.5E+306", "51", OLD, OLD},
        Fault {FaultKind::Overflow, 15}},
};

std::array<std::string, 7> resultsOf(const MemoryFields& fields)
{
    std::array<std::string, 7> results;
    for (std::size_t i = 0; i < results.size(); ++i)
        results[i] = fields.text(static_cast<FieldId>(6 + i));
    return results;
}

std::optional<Fault> runOn(MemoryFields& fields)
{
    try {
        PositionAnalysis().run(fields);
    } catch (const AnalysisError& error) {
        return Fault {error.kind(), error.step()};
    }
    return std::nullopt;
}

TEST(PositionAnalysis, ResultTextsAndFaults)
{
    for (const auto& c : RUN_CASES) {
        SCOPED_TRACE(c.name);
        MemoryFields fields = fieldsWith(c.inputs);
        const auto fault = runOn(fields);
        EXPECT_EQ(resultsOf(fields), c.results);
        EXPECT_EQ(fault, c.fault);
    }
}

TEST(PositionAnalysis, WritesEachResultOnceInStepOrder)
{
    using F = FieldId;
    MemoryFields fields = fieldsWith({"950", "10", "50", "51", "2", "3"});
    ASSERT_FALSE(runOn(fields));
    const std::vector<FieldId> expected = {
        F::Text7, F::Text9, F::Text10, F::Text8, F::Text11, F::Text12, F::Text13};
    EXPECT_EQ(fields.written(), expected);
}

// '1E999' in one input, the others as in the worked example: the run
// stops at the first step that reads that input, and the fault report
// names the input among those the step depends on.
TEST(PositionAnalysis, UnreadableInputStopsAtItsFirstUse)
{
    const struct {
        FieldId input;
        int step;
        std::size_t fieldsWritten;
    } cases[] = {
        {FieldId::Text1, 3, 0},
        {FieldId::Text2, 1, 0},
        {FieldId::Text3, 2, 0},
        {FieldId::Text4, 5, 1},
        {FieldId::Text5, 4, 0},
        {FieldId::Text6, 6, 2},
    };
    for (const auto& c : cases) {
        const auto index = static_cast<std::size_t>(c.input);
        SCOPED_TRACE("Text" + std::to_string(index + 1));
        std::array<std::string, 6> inputs = {"950", "10", "50", "51", "2", "3"};
        inputs[index] = "1E999";
        MemoryFields fields = fieldsWith(inputs);
        EXPECT_EQ(runOn(fields), (Fault {FaultKind::Overflow, c.step}));
        EXPECT_EQ(fields.written().size(), c.fieldsWritten);
        const auto named = inputsOfStep(c.step);
        EXPECT_NE(std::find(named.begin(), named.end(), c.input), named.end());
    }
}

TEST(PositionAnalysis, InputsOfStepNameOnlyInputs)
{
    for (int step = 1; step <= 19; ++step) {
        SCOPED_TRACE(step);
        const auto inputs = inputsOfStep(step);
        EXPECT_FALSE(inputs.empty());
        for (const FieldId field : inputs)
            EXPECT_LE(static_cast<int>(field), static_cast<int>(FieldId::Text6));
    }
    EXPECT_TRUE(inputsOfStep(0).empty());
    EXPECT_TRUE(inputsOfStep(20).empty());
}

} // namespace
} // namespace quanvik
