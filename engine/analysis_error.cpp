#include "analysis_error.h"

namespace quanvik {
namespace {

const char* describe(FaultKind kind) noexcept
{
    switch (kind) {
    case FaultKind::DivisionByZero:
        return "division by zero";
    case FaultKind::Overflow:
        return "overflow";
    case FaultKind::InvalidOperation:
        return "invalid operation";
    }
    return "arithmetic fault";
}

} // namespace

AnalysisError::AnalysisError(FaultKind kind, int step)
    : std::runtime_error(describe(kind))
    , kind_(kind)
    , step_(step)
{
}

} // namespace quanvik
