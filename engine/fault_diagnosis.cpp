#include "numeric_text.h"
#include "position_analysis.h"

#include <utility>

// What a report of a fault needs to know of the inputs behind it. The window
// only words it.
namespace quanvik {

std::vector<InputReading> diagnose(const AnalysisError& fault, const FieldAccess& fields)
{
    std::vector<InputReading> inputs;
    for (const FieldId field : inputsOfStep(fault.step())) {
        InputReading input;
        input.field = field;
        input.text = fields.readText(field);
        try {
            input.valueText = numberToText(textToNumber(input.text));
        } catch (const AnalysisError&) {
            input.overflow = true; // the only fault a reading raises
        }
        input.whole = readsWhole(input.text);
        inputs.push_back(std::move(input));
    }
    return inputs;
}

} // namespace quanvik
