#include "ui/hls_color.h"

#include <gtest/gtest.h>

#include "ui/contrast.h"

using ui::AdjustLightSat;
using ui::HlsToRgb;
using ui::Rgb;
using ui::RgbToHls;

namespace {

struct Hls {
    int hue, lightness, saturation;
};
Hls Unpack(ui::PackedHls hls) {
    return {static_cast<int>(hls & 0xFF), static_cast<int>((hls >> 8) & 0xFF),
            static_cast<int>((hls >> 16) & 0xFF)};
}

}  // namespace

TEST(HlsColorTest, SelectedRowTintOfTheUsualHighlightColours) {
    EXPECT_EQ(AdjustLightSat(Rgb(49, 106, 197), 75, 0), Rgb(202, 218, 241));
    EXPECT_EQ(AdjustLightSat(Rgb(10, 36, 106), 75, 0), Rgb(163, 186, 246));
    EXPECT_EQ(AdjustLightSat(Rgb(0, 120, 215), 75, 0), Rgb(181, 222, 255));
    EXPECT_EQ(AdjustLightSat(Rgb(0, 0, 0), 75, 0), Rgb(191, 191, 191));
    EXPECT_EQ(AdjustLightSat(Rgb(255, 255, 255), 75, 0), Rgb(255, 255, 255));
}

TEST(HlsColorTest, RgbToHlsOfPureAndGreyColours) {
    const Hls red = Unpack(RgbToHls(Rgb(255, 0, 0)));
    EXPECT_EQ(red.hue, 255);  // 360 degrees stays 360
    EXPECT_EQ(red.lightness, 127);
    EXPECT_EQ(red.saturation, 255);

    const Hls navy = Unpack(RgbToHls(Rgb(0, 0, 128)));
    EXPECT_EQ(navy.hue, 170);
    EXPECT_EQ(navy.lightness, 64);
    EXPECT_EQ(navy.saturation, 255);

    for (int grey : {0, 1, 127, 128, 254, 255}) {
        const Hls hls = Unpack(RgbToHls(Rgb(grey, grey, grey)));
        EXPECT_EQ(hls.hue, 0) << grey;
        EXPECT_EQ(hls.saturation, 0) << grey;
    }
}

TEST(HlsColorTest, RoundTripLosesALittleAsTheTruncationsDictate) {
    EXPECT_EQ(HlsToRgb(RgbToHls(Rgb(49, 106, 197))), Rgb(49, 108, 196));
    EXPECT_EQ(HlsToRgb(RgbToHls(Rgb(255, 0, 0))), Rgb(254, 0, 0));
    EXPECT_EQ(HlsToRgb(RgbToHls(Rgb(90, 90, 90))), Rgb(90, 90, 90));  // greys are exact
}

TEST(HlsColorTest, NegativePercentagesMoveTowardsZero) {
    // Saturation to zero gives the grey of the colour's lightness.
    const ui::ColorRef grey = AdjustLightSat(Rgb(49, 106, 197), 0, -100);
    EXPECT_EQ(ui::RedOf(grey), ui::GreenOf(grey));
    EXPECT_EQ(ui::GreenOf(grey), ui::BlueOf(grey));
    EXPECT_EQ(AdjustLightSat(Rgb(200, 100, 50), -100, 0), Rgb(0, 0, 0));
}

TEST(HlsColorTest, HueToChannelWrapsHuesOutsideTheCircle) {
    EXPECT_EQ(ui::HueToChannel(0.0f, 1.0f, 420.0f), ui::HueToChannel(0.0f, 1.0f, 60.0f));
    EXPECT_EQ(ui::HueToChannel(0.0f, 1.0f, -60.0f), ui::HueToChannel(0.0f, 1.0f, 300.0f));
    EXPECT_EQ(ui::HueToChannel(0.0f, 1.0f, 120.0f), 255);
    EXPECT_EQ(ui::HueToChannel(0.25f, 1.0f, 300.0f), 63);
}

// ---- Contrast ------------------------------------------------------------------------------

TEST(ContrastTest, RatioOfKnownPairs) {
    const struct {
        ui::ColorRef a, b;
        double ratio;
    } cases[] = {
        {Rgb(0, 0, 0), Rgb(255, 255, 255), 21.0},
        {Rgb(255, 255, 255), Rgb(0, 0, 0), 21.0},
        {Rgb(49, 106, 197), Rgb(49, 106, 197), 1.0},
        {Rgb(118, 118, 118), Rgb(255, 255, 255), 4.54},  // the lightest grey for text on white
        {Rgb(255, 0, 0), Rgb(255, 255, 255), 4.00},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(ui::ContrastRatio(c.a, c.b), c.ratio, 0.01) << c.a << " " << c.b;
}

// The per-row bar in the highlight colours of common desktops, on a white, a dark and the
// selected row's tinted background, with the row's text over it.
TEST(ContrastTest, TheBarStandsOutFromEveryRowBackgroundAndKeepsTheTextReadable) {
    const ui::ColorRef highlights[] = {Rgb(49, 106, 197), Rgb(10, 36, 106),  Rgb(0, 120, 215),
                                       Rgb(48, 140, 198), Rgb(61, 174, 233), Rgb(0, 0, 0),
                                       Rgb(255, 255, 255)};
    for (const ui::ColorRef highlight : highlights) {
        const std::pair<ui::ColorRef, ui::ColorRef> rows[] = {
            {Rgb(255, 255, 255), Rgb(0, 0, 0)},
            {Rgb(42, 42, 42), Rgb(255, 255, 255)},
            {AdjustLightSat(highlight, 75, 0), Rgb(0, 0, 0)},
        };
        for (const auto& [background, text] : rows) {
            const ui::ColorRef alone = ui::WithContrast(highlight, background, 3.0);
            EXPECT_GE(ui::ContrastRatio(alone, background), 3.0) << highlight << " " << background;
            if (ui::ContrastRatio(highlight, background) >= 3.0) {
                EXPECT_EQ(alone, highlight) << "a colour that stands out is kept";
            }
            const ui::ColorRef bar = ui::BarColor(highlight, background, text);
            EXPECT_GE(ui::ContrastRatio(bar, background), 3.0) << highlight << " " << background;
            // Room for a colour between the row and its text with 3:1 on one side and 4.5:1
            // on the other: the two must stand 13.5:1 apart (not so on a dark tint).
            if (ui::ContrastRatio(background, text) >= 3.0 * 4.5) {
                EXPECT_GE(ui::ContrastRatio(bar, text), 4.5) << highlight << " " << background;
            }
        }
    }
}
