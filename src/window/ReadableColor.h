#pragma once

#include <QColor>

// Relative luminance and contrast ratio as the web accessibility guidelines
// (WCAG 2) define them: 1 for equal colours, 21 for black on white.
double relativeLuminance(const QColor &color);
double contrastRatio(const QColor &first, const QColor &second);

// The usual floor for ordinary text.
inline constexpr double ReadableContrast = 4.5;

// The shade of color that reads on background: the colour itself when it
// already reaches minimumRatio there, otherwise the same colour moved towards
// black on a light background or towards white on a dark one, just far enough.
QColor readableShade(const QColor &color, const QColor &background,
                     double minimumRatio = ReadableContrast);
