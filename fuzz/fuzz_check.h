#pragma once

#include "numeric_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string_view>

namespace quanvik::fuzz {

// Aborts so that libFuzzer records the input as a finding and keeps it.
inline void require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "fuzz check failed: %s\n", what);
        std::abort();
    }
}

// textToNumber's value, or nullopt for Overflow, the one fault it may raise.
inline std::optional<double> readWithEngine(std::string_view text)
{
    try {
        const double value = textToNumber(text);
        require(std::isfinite(value), "textToNumber returned a non-finite value");
        return value;
    } catch (const AnalysisError& error) {
        require(error.kind() == FaultKind::Overflow, "textToNumber raised a fault other than Overflow");
        require(error.step() == 0, "textToNumber raised a fault with a step");
        return std::nullopt;
    }
}

} // namespace quanvik::fuzz
