#pragma once

#include "position_analysis.h"

#include <array>
#include <cstddef>
#include <string>

namespace quanvik::bench {

// Thirteen plain strings, as a FieldAccess without a window.
class MemoryFields final : public FieldAccess {
public:
    std::string readText(FieldId field) const override { return texts_.at(static_cast<std::size_t>(field)); }
    void writeText(FieldId field, const std::string& text) override
    {
        texts_.at(static_cast<std::size_t>(field)) = text;
    }

private:
    std::array<std::string, 13> texts_;
};

} // namespace quanvik::bench
