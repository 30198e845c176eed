#include "numeric_text.h"

#include <cmath>

// The two roundings the analysis names besides the text form's. Neither goes
// through digits, and roundTo2 has its own tie rule: half to even.
namespace quanvik {

double floorToInteger(double value)
{
    return std::floor(value);
}

double roundTo2(double value)
{
    // Whole values, every magnitude from 2^52 up among them, come back as
    // they are: scaling one by 100 could overflow or round it off the integer.
    if (!std::isfinite(value) || std::floor(value) == value)
        return value;

    // Half to even is symmetric, so round the magnitude, where the fraction
    // below is exact (Sterbenz), and put the sign back.
    const double scaled = std::fabs(value * 100.0);
    const double below = std::floor(scaled);
    const double fraction = scaled - below;
    double rounded = below;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(below, 2.0) != 0.0))
        rounded = below + 1.0;
    return std::copysign(rounded, value) / 100.0;
}

} // namespace quanvik
