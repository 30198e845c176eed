#pragma once

#include <cstdint>
#include <stdexcept>

namespace quanvik {

// The arithmetic faults that stop an analysis run. Malformed input text is
// never a fault: it reads as the number it begins with, or 0.
enum class FaultKind : std::uint8_t {
    DivisionByZero,   // a nonzero value divided by zero
    Overflow,         // a result, or a number read from text, beyond the double range
    InvalidOperation, // zero divided by zero
};

class AnalysisError : public std::runtime_error {
public:
    // step: 1..19, the step of the run that faulted; 0 when raised outside a run.
    explicit AnalysisError(FaultKind kind, int step = 0);

    FaultKind kind() const noexcept { return kind_; }
    int step() const noexcept { return step_; }

private:
    FaultKind kind_;
    int step_;
};

} // namespace quanvik
