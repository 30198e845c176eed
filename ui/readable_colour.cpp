#include "readable_colour.h"

#include <algorithm>
#include <cmath>

namespace quanvik {
namespace {

double linear(double channel)
{
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

double relativeLuminance(const QColor& colour)
{
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF())
        + 0.0722 * linear(colour.blueF());
}

QColor mix(const QColor& from, const QColor& target, double share)
{
    auto channel = [share](int a, int b) { return static_cast<int>(std::lround(a + (b - a) * share)); };
    return QColor(channel(from.red(), target.red()), channel(from.green(), target.green()),
        channel(from.blue(), target.blue()));
}

} // namespace

double contrastRatio(const QColor& a, const QColor& b)
{
    const double la = relativeLuminance(a);
    const double lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

bool isDarkBackground(const QColor& background)
{
    return contrastRatio(Qt::white, background) > contrastRatio(Qt::black, background);
}

QColor towardContrast(const QColor& from, const QColor& target, const QColor& background, double ratio)
{
    if (contrastRatio(from, background) >= ratio)
        return from;
    // Halving over the 8-bit steps: what it returns reaches the ratio (or is
    // target), and is the nearest such step wherever contrast grows steadily
    // along the line, as it does towards white or towards the text colour.
    int low = 0;
    int high = 255;
    while (high - low > 1) {
        const int middle = (low + high) / 2;
        if (contrastRatio(mix(from, target, middle / 255.0), background) >= ratio)
            high = middle;
        else
            low = middle;
    }
    return mix(from, target, high / 255.0);
}

QColor captionColourOn(const QColor& colour, const QColor& background)
{
    return isDarkBackground(background) ? towardContrast(colour, Qt::white, background, MIN_TEXT_CONTRAST)
                                        : colour;
}

} // namespace quanvik
