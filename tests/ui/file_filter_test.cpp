// File-type filters handed to Qt's file dialog.
#include "ui/file_filter.h"

#include <gtest/gtest.h>

#include "qt_printers.h"

namespace {

TEST(FileFilterTest, PatternsBecomeBlankSeparatedAfterTheDescription) {
    EXPECT_EQ(ui::ToQtNameFilter({"MPEG Files (*.mpg;*.mpeg)", "*.mpg;*.mpeg"}),
              QStringLiteral("MPEG Files (*.mpg;*.mpeg) (*.mpg *.mpeg)"));
}

TEST(FileFilterTest, SinglePatternAndStrayBlanksBetweenPatterns) {
    EXPECT_EQ(ui::ToQtNameFilter({"AVI Files (*.avi)", "*.avi"}),
              QStringLiteral("AVI Files (*.avi) (*.avi)"));
    EXPECT_EQ(ui::ToQtNameFilter({"Two", "*.a;;*.b;"}), QStringLiteral("Two (*.a *.b)"));
}

}  // namespace
