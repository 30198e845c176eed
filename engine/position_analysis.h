#pragma once

#include "analysis_error.h"

#include <cstdint>
#include <span>
#include <string>

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

} // namespace quanvik
