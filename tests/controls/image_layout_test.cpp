#include "controls/image_layout.h"

#include <gtest/gtest.h>

namespace {

using controls::CentreIn;
using controls::PlaceImage;

TEST(PlaceImage, WithCaptionSitsThreePixelsInsideAndCentredVertically) {
    const auto placement = PlaceImage(QRect(0, 0, 94, 49), QSize(36, 36), true, false);
    // (49 - 36) / 2 = 6: the half rounds toward zero.
    EXPECT_EQ(placement.image, QRect(3, 6, 36, 36));
    // The caption area begins where the image's width plus the margin ends.
    EXPECT_EQ(placement.caption, QRect(39, 0, 55, 49));
}

TEST(PlaceImage, WithoutCaptionIsCentredBothWays) {
    const auto placement = PlaceImage(QRect(0, 0, 95, 49), QSize(36, 36), false, false);
    EXPECT_EQ(placement.image.topLeft(), QPoint(29, 6));
    EXPECT_EQ(placement.caption, QRect(0, 0, 95, 49));
}

TEST(PlaceImage, PressedMovesImageOneRightOneDown) {
    const auto placement = PlaceImage(QRect(10, 20, 94, 49), QSize(36, 36), true, true);
    EXPECT_EQ(placement.image.topLeft(), QPoint(14, 27));
    EXPECT_EQ(placement.caption.left(), 49);  // the caption gets its own offset when drawn
}

TEST(PlaceImage, ImageLargerThanButtonRoundsTowardZero) {
    // (20 - 37) / 2 = -8 (not -9): truncation toward zero, as on the original platform.
    const auto placement = PlaceImage(QRect(0, 0, 20, 20), QSize(37, 37), false, false);
    EXPECT_EQ(placement.image.topLeft(), QPoint(-8, -8));
}

TEST(CentreIn, CentresWithTruncatedHalves) {
    EXPECT_EQ(CentreIn(QRect(39, 0, 55, 49), QSize(20, 14)), QRect(56, 17, 20, 14));
    EXPECT_EQ(CentreIn(QRect(0, 0, 10, 10), QSize(13, 13)), QRect(-1, -1, 13, 13));
}

}  // namespace
