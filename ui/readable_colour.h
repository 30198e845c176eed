#pragma once

#include <QColor>

// Text colours that stay readable whatever the theme, measured as the web's
// accessibility guidelines measure them: relative luminance of sRGB and the
// contrast ratio (L1 + 0.05) / (L2 + 0.05), from 1:1 to 21:1.
namespace quanvik {

// What the guidelines ask of body text.
inline constexpr double MIN_TEXT_CONTRAST = 4.5;

double contrastRatio(const QColor& a, const QColor& b);

// True where white text reads better than black, i.e. a dark theme.
bool isDarkBackground(const QColor& background);

// from, moved in a straight line towards target just far enough to reach the
// contrast ratio against background: from itself where it already does,
// target where nothing short of it does. Moving towards white keeps the hue.
QColor towardContrast(const QColor& from, const QColor& target, const QColor& background, double ratio);

// A caption colour of the layout on this background: exactly as given on a
// light one; on a dark one, lightened in its own hue to MIN_TEXT_CONTRAST,
// which white always reaches there.
QColor captionColourOn(const QColor& colour, const QColor& background);

} // namespace quanvik
