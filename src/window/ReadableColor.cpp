#include "ReadableColor.h"

#include <cmath>

namespace {

double linearChannel(int value)
{
    const double c = value / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

QColor mixed(const QColor &from, const QColor &to, double share)
{
    const auto channel = [share](int a, int b) { return int(std::lround(a + (b - a) * share)); };
    return QColor(channel(from.red(), to.red()), channel(from.green(), to.green()),
                  channel(from.blue(), to.blue()));
}

} // namespace

double relativeLuminance(const QColor &color)
{
    const QColor rgb = color.toRgb();
    return 0.2126 * linearChannel(rgb.red()) + 0.7152 * linearChannel(rgb.green()) +
           0.0722 * linearChannel(rgb.blue());
}

double contrastRatio(const QColor &first, const QColor &second)
{
    const double a = relativeLuminance(first);
    const double b = relativeLuminance(second);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

QColor readableShade(const QColor &color, const QColor &background, double minimumRatio)
{
    const QColor rgb = color.toRgb();
    if (contrastRatio(rgb, background) >= minimumRatio)
        return rgb;
    // Black and white read equally well on a luminance of about 0.18; whichever
    // end reads better reaches 4.58 at least, so the search always ends there.
    const QColor end = relativeLuminance(background) > 0.18 ? QColor(Qt::black) : QColor(Qt::white);
    // The ratio grows steadily along the way to the end: halve the interval.
    double low = 0;
    double high = 1;
    for (int step = 0; step < 16; ++step) {
        const double middle = (low + high) / 2;
        if (contrastRatio(mixed(rgb, end, middle), background) >= minimumRatio)
            high = middle;
        else
            low = middle;
    }
    return mixed(rgb, end, high);
}
