// Dialog units to pixels: the dialog manager's rounding and base units.
#include "ui/dialog_units.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>
#include <QFontMetrics>

namespace {

using ui::DialogBaseUnits;
using ui::MulDiv;

TEST(MulDivTest, RoundsHalvesAwayFromZero) {
    EXPECT_EQ(MulDiv(341, 6, 4), 512);    // 511.5
    EXPECT_EQ(MulDiv(259, 13, 8), 421);   // 420.875
    EXPECT_EQ(MulDiv(1, 13, 8), 2);       // 1.625
    EXPECT_EQ(MulDiv(3, 1, 8), 0);        // 0.375
    EXPECT_EQ(MulDiv(-341, 6, 4), -512);  // -511.5
    EXPECT_EQ(MulDiv(341, -6, 4), -512);
    EXPECT_EQ(MulDiv(-341, -6, 4), 512);
}

TEST(MulDivTest, KeepsLargeProductsAndRefusesZeroDivisor) {
    EXPECT_EQ(MulDiv(1 << 30, 8, 16), 1 << 29);
    EXPECT_EQ(MulDiv(5, 7, 0), -1);
}

TEST(BaseUnitsTest, AverageOfTheFiftyTwoLettersIsRoundedAsTheDialogManagerDoes) {
    EXPECT_EQ(ui::BaseUnitsFromMetrics(312, 13).x, 6);  // 6.0
    EXPECT_EQ(ui::BaseUnitsFromMetrics(337, 13).x, 6);  // 6.48
    EXPECT_EQ(ui::BaseUnitsFromMetrics(338, 13).x, 7);  // 6.5
    EXPECT_EQ(ui::BaseUnitsFromMetrics(338, 13).y, 13);
}

TEST(BaseUnitsTest, MeasuredFromTheFont) {
    QFont font = QApplication::font();
    font.setPointSize(8);
    const QFontMetrics metrics(font);
    const int advance = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    const DialogBaseUnits units = ui::BaseUnitsOf(font);
    EXPECT_EQ(units.x, (advance / 26 + 1) / 2);
    EXPECT_EQ(units.y, metrics.height());

    font.setPointSize(16);
    const DialogBaseUnits larger = ui::BaseUnitsOf(font);
    EXPECT_GT(larger.x, units.x);
    EXPECT_GT(larger.y, units.y);
}

TEST(ToPixelsTest, ConvertsEachEdgeOnItsOwn) {
    const DialogBaseUnits units{6, 13};
    // Top bar "Settings": 8, 1, 56 x 12 (edges 12, 2, 96, 21).
    EXPECT_EQ(ui::ToPixels(units, {8, 1, 56, 12}), QRect(12, 2, 84, 19));
    // Output folder field: 87, 222, 159 x 13 (edges 131, 361, 369, 382).
    EXPECT_EQ(ui::ToPixels(units, {87, 222, 159, 13}), QRect(131, 361, 238, 21));
    EXPECT_EQ(ui::ToPixels(units, 341, 259), QSize(512, 421));
}

TEST(ToPixelsTest, ControlsThatTouchInUnitsTouchInPixels) {
    // Help (225, 22 wide) and About (247) of the top bar: rounding the width on its own
    // would make them overlap by a pixel at these base units.
    const DialogBaseUnits units{7, 15};
    const QRect help = ui::ToPixels(units, {225, 1, 22, 12});
    const QRect about = ui::ToPixels(units, {247, 1, 25, 12});
    EXPECT_EQ(help.right() + 1, about.left());
    EXPECT_FALSE(help.intersects(about));
}

}  // namespace
