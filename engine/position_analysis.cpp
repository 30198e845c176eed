#include "position_analysis.h"
// placeholder, replaced by the real analysis
namespace quanvik {
void PositionAnalysis::run(FieldAccess&) const
{
}
std::span<const FieldId> inputsOfStep(int) noexcept
{
    return {};
}
} // namespace quanvik
