#pragma once

#include "position_analysis.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <vector>

namespace quanvik {

constexpr std::size_t FIELD_COUNT = 13;

// The fields where there is no window: thirteen plain strings, for tests,
// benchmarks and fuzzers. It also keeps the order of every write, which is
// part of what a run promises.
class MemoryFields : public FieldAccess {
public:
    MemoryFields() = default;
    // The first fields from leading, in order; the rest empty.
    explicit MemoryFields(std::span<const std::string> leading)
    {
        std::copy_n(leading.begin(), std::min(leading.size(), FIELD_COUNT), texts_.begin());
    }

    std::string readText(FieldId field) const override { return text(field); }
    void writeText(FieldId field, const std::string& text) override
    {
        texts_.at(static_cast<std::size_t>(field)) = text;
        written_.push_back(field);
    }

    const std::string& text(FieldId field) const { return texts_.at(static_cast<std::size_t>(field)); }
    const std::array<std::string, FIELD_COUNT>& texts() const { return texts_; }
    const std::vector<FieldId>& written() const { return written_; }

private:
    std::array<std::string, FIELD_COUNT> texts_;
    std::vector<FieldId> written_;
};

} // namespace quanvik
