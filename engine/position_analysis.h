#pragma once

#include "analysis_error.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace quanvik {

// Text1..Text6 are the inputs (principal, margin ratio in percent, entry
// price, exit price, lots, holding days); Text7..Text13 the results.
enum class FieldId : std::uint8_t {
    Text1,
    Text2,
    Text3,
    Text4,
    Text5,
    Text6,
    Text7,
    Text8,
    Text9,
    Text10,
    Text11,
    Text12,
    Text13
};

// The analysis reads and writes texts through this and nothing else, so it
// runs the same behind a window, a test or a fuzzer.
class FieldAccess {
public:
    virtual ~FieldAccess() = default;
    virtual std::string readText(FieldId field) const = 0;
    virtual void writeText(FieldId field, const std::string& text) = 0;
};

// One analysis of a planned trade: reads Text1..Text6 and writes the results in
// the order Text7, Text9, Text10, Text8, Text11, Text12, Text13, each the
// moment it is computed. Nothing is cleared first. On the first arithmetic
// fault the run stops and throws AnalysisError carrying the faulting step:
// fields written by earlier steps keep their new text, later ones their old.
class PositionAnalysis {
public:
    void run(FieldAccess& fields) const;
};

// The input fields whose values a step's computation depends on, directly or
// through earlier steps, so that a fault report can point the user at them.
// Empty for steps outside 1..19.
std::span<const FieldId> inputsOfStep(int step) noexcept;

// How one input of a faulting step reads, for the report of the fault.
struct InputReading {
    FieldId field = FieldId::Text1;
    std::string text;      // as the field holds it
    bool overflow = false; // its number is beyond the double range
    std::string valueText; // the number as the analysis writes it; empty on overflow
    bool whole = false;    // the number takes up the whole text, blanks aside

    // Read as zero, holding more than its number, or beyond the range: the
    // likely causes of a fault, which a report names first.
    bool isSuspect() const { return overflow || valueText == "0" || !whole; }
};

// The inputs the step of fault depends on, in the order of inputsOfStep, each
// as it reads from fields now. Empty for a fault raised outside a run.
std::vector<InputReading> diagnose(const AnalysisError& fault, const FieldAccess& fields);

} // namespace quanvik
