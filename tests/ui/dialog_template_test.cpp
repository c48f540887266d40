// Building a dialog from a template: font, frame, fixed size and the placement rules.
#include "ui/dialog_template.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFontMetrics>
#include <QGroupBox>
#include <QPushButton>

namespace {

TEST(DialogTemplateTest, UsesTheApplicationFontAtTheTemplatesSize) {
    QDialog dialog;
    const ui::DialogTemplate dlg(&dialog, 9, 305, 189, ui::DialogFrame::Modal);
    EXPECT_EQ(dialog.font().family(), QApplication::font().family());
    EXPECT_EQ(dialog.font().pointSize(), 9);
    EXPECT_EQ(dlg.Units().x, ui::BaseUnitsOf(dialog.font()).x);
}

TEST(DialogTemplateTest, ClientAreaIsFixedAtTheTemplatesSize) {
    QDialog dialog;
    const ui::DialogTemplate dlg(&dialog, 8, 204, 59, ui::DialogFrame::Modal);
    const QSize expected = ui::ToPixels(dlg.Units(), 204, 59);
    EXPECT_EQ(dialog.minimumSize(), expected);
    EXPECT_EQ(dialog.maximumSize(), expected);
}

TEST(DialogTemplateTest, WindowsGetTheirFrames) {
    QDialog main;
    const ui::DialogTemplate mainDlg(&main, 8, 100, 100, ui::DialogFrame::Main);
    EXPECT_EQ(main.windowType(), Qt::Window);
    EXPECT_TRUE(main.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_TRUE(main.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_FALSE(main.windowFlags().testFlag(Qt::WindowContextHelpButtonHint));
    EXPECT_EQ(main.minimumSize(), ui::ToPixels(mainDlg.Units(), 100, 100));
    EXPECT_EQ(main.size(), main.minimumSize());
    EXPECT_GT(main.maximumSize().width(), main.minimumSize().width());

    QDialog modal;
    const ui::DialogTemplate modalDlg(&modal, 8, 100, 100, ui::DialogFrame::Modal);
    EXPECT_EQ(modal.windowType(), Qt::Dialog);
    EXPECT_TRUE(modal.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(modal.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(modal.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
}

TEST(DialogTemplateTest, ControlsFollowTheFontSize) {
    for (int points : {8, 12}) {
        QDialog dialog;
        const ui::DialogTemplate dlg(&dialog, points, 200, 100, ui::DialogFrame::Modal);
        auto* button = new QPushButton(&dialog);
        dlg.Place(button, {10, 20, 50, 14});
        const ui::DialogBaseUnits units = ui::BaseUnitsOf(dialog.font());
        EXPECT_EQ(button->geometry(), ui::ToPixels(units, {10, 20, 50, 14})) << points;
    }
}

TEST(DialogTemplateTest, DropDownKeepsItsClosedHeight) {
    QDialog dialog;
    const ui::DialogTemplate dlg(&dialog, 8, 200, 200, ui::DialogFrame::Modal);
    auto* combo = new QComboBox(&dialog);
    combo->addItem(QStringLiteral("entry"));
    dlg.PlaceDropDown(combo, {10, 20, 80, 120});
    const QRect expected = dlg.ToPixels({10, 20, 80, 120});
    EXPECT_EQ(combo->geometry().topLeft(), expected.topLeft());
    EXPECT_EQ(combo->width(), expected.width());
    EXPECT_EQ(combo->height(), combo->sizeHint().height());
}

TEST(DialogTemplateTest, UntitledGroupBoxDrawsItsFrameHalfACharacterDown) {
    QDialog dialog;
    const ui::DialogTemplate dlg(&dialog, 8, 200, 200, ui::DialogFrame::Modal);
    const int half = QFontMetrics(dialog.font()).height() / 2 - 1;
    const QRect expected = dlg.ToPixels({7, 11, 100, 37});

    auto* untitled = new QGroupBox(&dialog);
    dlg.PlaceGroupBox(untitled, {7, 11, 100, 37});
    EXPECT_EQ(untitled->geometry(), expected.adjusted(0, half, 0, 0));

    auto* titled = new QGroupBox(QStringLiteral("Video"), &dialog);
    dlg.PlaceGroupBox(titled, {7, 11, 100, 37});
    EXPECT_EQ(titled->geometry(), expected);
}

TEST(DialogTemplateTest, AnchoredEdgesFollowTheGrowingDialog) {
    using ui::Anchor;
    const QRect base(10, 20, 100, 30);
    const QSize grown(40, 15);
    const struct {
        ui::Anchors anchors;
        QRect expected;
    } cases[] = {
        {ui::kStayTopLeft, base},
        {Anchor::Left | Anchor::Right | Anchor::Top, QRect(10, 20, 140, 30)},
        {Anchor::Right | Anchor::Top, QRect(50, 20, 100, 30)},
        {Anchor::Left | Anchor::Bottom, QRect(10, 35, 100, 30)},
        {Anchor::Left | Anchor::Top | Anchor::Right | Anchor::Bottom, QRect(10, 20, 140, 45)},
        {Anchor::Right | Anchor::Bottom, QRect(50, 35, 100, 30)},
        {ui::Anchors(), base},  // no side named: stays top-left
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ui::AnchoredRect(base, c.anchors, grown), c.expected) << c.anchors.toInt();
        EXPECT_EQ(ui::AnchoredRect(base, c.anchors, QSize(0, 0)), base) << c.anchors.toInt();
    }
}

}  // namespace
