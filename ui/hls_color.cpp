#include "ui/hls_color.h"

#include <algorithm>

namespace ui {
namespace {

// The single-precision reciprocals the arithmetic multiplies by.
constexpr float kOver510 = 0.0019607844f;
constexpr float kOver360 = 0.0027777778f;
constexpr float kOver255 = 0.003921569f;
constexpr float kOver60 = 0.016666668f;

// Moves a byte towards 255 (percent > 0) or towards 0 (percent < 0); integer division.
int Adjust(int value, int percent) {
    if (percent > 0)
        return value + ((255 - value) * percent) / 100;
    if (percent < 0)
        return (value * (percent + 100)) / 100;
    return value;
}

}  // namespace

PackedHls RgbToHls(ColorRef rgb) {
    const int r = RedOf(rgb), g = GreenOf(rgb), b = BlueOf(rgb);
    const int mx = std::max({r, g, b});
    const int mn = std::min({r, g, b});
    const float delta = static_cast<float>(mx - mn);
    const float sum = static_cast<float>(mx + mn);
    const float lightness = sum * kOver510;
    float hue = 0.0f;
    float saturation = 0.0f;
    if (mx != mn) {
        saturation = lightness <= 0.5f ? delta / sum : delta / (510.0f - sum);
        const float rc = static_cast<float>(mx - r) / delta;
        const float gc = static_cast<float>(mx - g) / delta;
        const float bc = static_cast<float>(mx - b) / delta;
        // Later matches win, as with ties between the largest channels.
        if (r == mx)
            hue = (bc + 6.0f - gc) * 60.0f;
        if (g == mx)
            hue = (rc + 2.0f - bc) * 60.0f;
        if (b == mx)
            hue = (gc + 4.0f - rc) * 60.0f;
        if (hue > 360.0f)
            hue -= 360.0f;
    }
    const auto hueByte = static_cast<PackedHls>(hue * 255.0f * kOver360);
    const auto lightByte = static_cast<PackedHls>(lightness * 255.0f);
    const auto satByte = static_cast<PackedHls>(saturation * 255.0f);
    return hueByte | lightByte << 8 | satByte << 16;
}

int HueToChannel(float m1, float m2, float hue) {
    if (hue > 360.0f)
        hue -= 360.0f;
    else if (hue < 0.0f)
        hue += 360.0f;
    float v = m1;
    if (hue < 60.0f)
        v = m1 + (m2 - m1) * hue * kOver60;
    else if (hue < 180.0f)
        v = m2;
    else if (hue < 240.0f)
        v = m1 + (m2 - m1) * (240.0f - hue) * kOver60;
    return static_cast<int>(v * 255.0f);
}

ColorRef HlsToRgb(PackedHls hls) {
    const int hueByte = hls & 0xFF;
    const int lightByte = (hls >> 8) & 0xFF;
    const int satByte = (hls >> 16) & 0xFF;
    const float hue = static_cast<float>(hueByte * 360) * kOver255;
    const float lightness = static_cast<float>(lightByte) * kOver255;
    const float saturation = static_cast<float>(satByte) * kOver255;
    if (saturation == 0.0f)
        return Rgb(lightByte, lightByte, lightByte);
    const float m2 = lightness <= 0.5f ? lightness * (1.0f + saturation)
                                       : lightness + saturation - lightness * saturation;
    const float m1 = 2.0f * lightness - m2;
    const float redHue = hue + 120.0f;
    const float blueHue = hue - 120.0f;
    return Rgb(HueToChannel(m1, m2, redHue), HueToChannel(m1, m2, hue),
               HueToChannel(m1, m2, blueHue));
}

ColorRef AdjustLightSat(ColorRef rgb, int lightPercent, int saturationPercent) {
    const PackedHls hls = RgbToHls(rgb);
    const int hue = hls & 0xFF;
    const int lightness = Adjust((hls >> 8) & 0xFF, lightPercent);
    const int saturation = Adjust((hls >> 16) & 0xFF, saturationPercent);
    return HlsToRgb(static_cast<PackedHls>(hue | lightness << 8 | saturation << 16));
}

}  // namespace ui
