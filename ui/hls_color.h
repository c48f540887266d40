// Colour conversions between packed RGB colour values (red in the low byte) and packed
// hue/lightness/saturation values (hue in the low byte, 0..255 standing for 0..360 degrees),
// in single-precision arithmetic so that the selected row's tint is the same everywhere.
#pragma once

#include <cstdint>

namespace ui {

using ColorRef = std::uint32_t;   // 0x00BBGGRR
using PackedHls = std::uint32_t;  // 0x00SSLLHH

constexpr ColorRef Rgb(int r, int g, int b) {
    return static_cast<ColorRef>(r & 0xFF) | static_cast<ColorRef>(g & 0xFF) << 8 |
           static_cast<ColorRef>(b & 0xFF) << 16;
}
constexpr int RedOf(ColorRef c) {
    return c & 0xFF;
}
constexpr int GreenOf(ColorRef c) {
    return (c >> 8) & 0xFF;
}
constexpr int BlueOf(ColorRef c) {
    return (c >> 16) & 0xFF;
}

PackedHls RgbToHls(ColorRef rgb);
ColorRef HlsToRgb(PackedHls hls);
// One channel, 0..255 for inputs in range, from the two HLS helper values and a hue in degrees.
int HueToChannel(float m1, float m2, float hue);
// The colour with its lightness and saturation moved by the given percentages (-100..100):
// positive towards full, negative towards zero.
ColorRef AdjustLightSat(ColorRef rgb, int lightPercent, int saturationPercent);

}  // namespace ui
