#include "controls/shade.h"

#include <gtest/gtest.h>

namespace {

using controls::ShadeColor;

TEST(ShadeColor, LightensAllChannelsBySameAmount) {
    EXPECT_EQ(ShadeColor(qRgb(212, 208, 200), 30), qRgb(242, 238, 230));
}

TEST(ShadeColor, LighteningStopsWhereBrightestChannelReachesWhite) {
    EXPECT_EQ(ShadeColor(qRgb(236, 233, 216), 30), qRgb(255, 252, 235));
    EXPECT_EQ(ShadeColor(qRgb(255, 10, 10), 100), qRgb(255, 10, 10));
}

TEST(ShadeColor, DarkeningStopsWhereDarkestChannelReachesBlack) {
    EXPECT_EQ(ShadeColor(qRgb(212, 208, 200), -255), qRgb(12, 8, 0));
    EXPECT_EQ(ShadeColor(qRgb(212, 208, 200), -20), qRgb(192, 188, 180));
    EXPECT_EQ(ShadeColor(qRgb(0, 50, 60), -10), qRgb(0, 50, 60));
}

TEST(ShadeColor, ZeroShadeAndAlphaAreKept) {
    EXPECT_EQ(ShadeColor(qRgb(1, 2, 3), 0), qRgb(1, 2, 3));
    EXPECT_EQ(qAlpha(ShadeColor(qRgba(100, 100, 100, 77), 10)), 77);
}

}  // namespace
