#include "controls/link_fit.h"

#include <gtest/gtest.h>

namespace {

using controls::FitLinkRect;

const QRect kWindow(10, 20, 200, 30);
const QSize kText(81, 14);

TEST(FitLinkRect, LeftAlignedKeepsLeftAndTopEdges) {
    EXPECT_EQ(FitLinkRect(kWindow, QSize(0, 0), kText, Qt::AlignLeft | Qt::AlignTop),
              QRect(10, 20, 81, 14));
}

TEST(FitLinkRect, CentredKeepsItsCentre) {
    // Width: shrink by (200 - 81) / 2 = 59 on each side; height by (30 - 14) / 2 = 8.
    EXPECT_EQ(FitLinkRect(kWindow, QSize(0, 0), kText, Qt::AlignCenter), QRect(69, 28, 82, 14));
}

TEST(FitLinkRect, RightAlignedKeepsRightEdge) {
    const QRect fitted = FitLinkRect(kWindow, QSize(0, 0), kText, Qt::AlignRight | Qt::AlignTop);
    EXPECT_EQ(fitted.x() + fitted.width(), kWindow.x() + kWindow.width());
    EXPECT_EQ(fitted.width(), 81);
}

TEST(FitLinkRect, BottomAlignedKeepsBottomEdge) {
    const QRect fitted = FitLinkRect(kWindow, QSize(0, 0), kText, Qt::AlignLeft | Qt::AlignBottom);
    EXPECT_EQ(fitted, QRect(10, 36, 81, 14));
}

TEST(FitLinkRect, FrameAllowanceIsAddedBack) {
    EXPECT_EQ(FitLinkRect(kWindow, QSize(4, 6), kText, Qt::AlignLeft | Qt::AlignTop),
              QRect(10, 20, 85, 20));
}

TEST(FitLinkRect, TextWiderThanLabelGrowsIt) {
    const QRect fitted = FitLinkRect(QRect(100, 0, 40, 14), QSize(0, 0), QSize(81, 14),
                                     Qt::AlignHCenter | Qt::AlignTop);
    EXPECT_EQ(fitted, QRect(80, 0, 80, 14));  // -41 / 2 = -20 on each side
}

}  // namespace
