// How far apart two colours are to the eye, by the contrast ratio of the Web Content
// Accessibility Guidelines: 1 for one colour, 21 for black and white. Parts of a control that
// tell its state (the job list's per-row bar) keep at least 3:1 against what they lie on.
#pragma once

#include "ui/hls_color.h"

namespace ui {

inline constexpr double kControlContrast = 3.0;
// Text keeps at least 4.5:1 against what it is drawn on.
inline constexpr double kTextContrast = 4.5;

// The relative luminance of an sRGB colour: 0 for black, 1 for white.
double RelativeLuminance(ColorRef color);

// (the lighter luminance + 0.05) / (the darker + 0.05): 1 to 21, the same either way round.
double ContrastRatio(ColorRef a, ColorRef b);

// `color` itself when it contrasts with `background` by at least `ratio`; otherwise `color`
// mixed with black or white, whichever stands further from the background, by the least
// share that reaches the ratio (or pure black or white, when even they do not).
ColorRef WithContrast(ColorRef color, ColorRef background, double ratio);

// The colour of a bar drawn on `background` with `text` over it: the colour nearest to `color`
// on its way to black or to white that stands out from the background by kControlContrast and
// keeps the text at kTextContrast; when no colour does both, WithContrast's for the bar alone.
ColorRef BarColor(ColorRef color, ColorRef background, ColorRef text);

}  // namespace ui
