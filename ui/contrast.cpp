#include "ui/contrast.h"

#include <algorithm>
#include <cmath>

namespace ui {
namespace {

double Linear(int channel) {
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

int Mix(int from, int to, int step, int steps) {
    return from + static_cast<int>(std::lround(double(to - from) * step / steps));
}

}  // namespace

double RelativeLuminance(ColorRef color) {
    return 0.2126 * Linear(RedOf(color)) + 0.7152 * Linear(GreenOf(color)) +
           0.0722 * Linear(BlueOf(color));
}

double ContrastRatio(ColorRef a, ColorRef b) {
    const double la = RelativeLuminance(a);
    const double lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

ColorRef WithContrast(ColorRef color, ColorRef background, double ratio) {
    const ColorRef black = Rgb(0, 0, 0);
    const ColorRef white = Rgb(255, 255, 255);
    const ColorRef target =
        ContrastRatio(black, background) >= ContrastRatio(white, background) ? black : white;
    constexpr int kSteps = 64;
    for (int step = 0; step < kSteps; ++step) {
        const ColorRef mixed = Rgb(Mix(RedOf(color), RedOf(target), step, kSteps),
                                   Mix(GreenOf(color), GreenOf(target), step, kSteps),
                                   Mix(BlueOf(color), BlueOf(target), step, kSteps));
        if (ContrastRatio(mixed, background) >= ratio)
            return mixed;
    }
    return target;
}

ColorRef BarColor(ColorRef color, ColorRef background, ColorRef text) {
    constexpr int kSteps = 256;
    for (int step = 0; step <= kSteps; ++step) {
        for (const int to : {0, 255}) {
            const ColorRef mixed =
                Rgb(Mix(RedOf(color), to, step, kSteps), Mix(GreenOf(color), to, step, kSteps),
                    Mix(BlueOf(color), to, step, kSteps));
            if (ContrastRatio(mixed, background) >= kControlContrast &&
                ContrastRatio(mixed, text) >= kTextContrast)
                return mixed;
        }
    }
    return WithContrast(color, background, kControlContrast);
}

}  // namespace ui
