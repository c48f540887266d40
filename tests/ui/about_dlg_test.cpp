// The about box: its texts, the link to the web site, and every way of closing it.
#include "ui/about_dlg.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "fake_ui_services.h"
#include "layout_checks.h"
#include "ui/product.h"

namespace {

using testing_support::RecordingShell;

QLabel* Label(const CAboutDlg& dlg, const char* name) {
    return dlg.findChild<QLabel*>(QString::fromLatin1(name));
}

TEST(AboutDlgTest, ShowsTitleVersionAddressAndNotice) {
    RecordingShell shell;
    CAboutDlg dlg(nullptr, &shell);
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Vantrel"));
    EXPECT_EQ(Label(dlg, "1013")->text(), QStringLiteral("Vantrel Version 1.40"));
    EXPECT_EQ(Label(dlg, "1043")->text(), QString::fromLatin1(product::kWebSiteUrl));
    EXPECT_EQ(Label(dlg, "notice")->text(), QString::fromLatin1(product::kNotice));
    EXPECT_EQ(Label(dlg, "icon")->pixmap().size(), QSize(32, 32));
    EXPECT_EQ(dlg.findChild<QPushButton*>(QStringLiteral("1"))->text(), QStringLiteral("OK"));
}

TEST(AboutDlgTest, TitleShowsAmpersandsAsTheyAre) {
    CAboutDlg dlg;
    EXPECT_EQ(Label(dlg, "1013")->textFormat(), Qt::PlainText);
    EXPECT_TRUE(Label(dlg, "1013")->buddy() == nullptr);
}

TEST(AboutDlgTest, ClickOnTheAddressOpensTheWebSiteAndMarksItVisited) {
    RecordingShell shell;
    CAboutDlg dlg(nullptr, &shell);
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    EXPECT_EQ(dlg.m_link.m_strLink, QString::fromLatin1(product::kWebSiteUrl));
    EXPECT_FALSE(dlg.m_link.IsVisited());

    QLabel* address = Label(dlg, "1043");
    QTest::mouseClick(address, Qt::LeftButton, {}, address->rect().center());
    EXPECT_EQ(shell.opened, std::vector<std::string>{product::kWebSiteUrl});
    EXPECT_TRUE(dlg.m_link.IsVisited());

    // A new box starts with an unvisited link.
    CAboutDlg again(nullptr, &shell);
    EXPECT_FALSE(again.m_link.IsVisited());
}

TEST(AboutDlgTest, OkButtonEnterAndEscapeCloseIt) {
    {
        CAboutDlg dlg;
        dlg.show();
        QTest::mouseClick(dlg.findChild<QPushButton*>(QStringLiteral("1")), Qt::LeftButton);
        EXPECT_FALSE(dlg.isVisible());
        EXPECT_EQ(dlg.result(), QDialog::Accepted);
    }
    {
        CAboutDlg dlg;
        dlg.show();
        QTest::keyClick(&dlg, Qt::Key_Return);
        EXPECT_FALSE(dlg.isVisible());
        EXPECT_EQ(dlg.result(), QDialog::Accepted);
    }
    {
        CAboutDlg dlg;
        dlg.show();
        QTest::keyClick(&dlg, Qt::Key_Escape);
        EXPECT_FALSE(dlg.isVisible());
        EXPECT_EQ(dlg.result(), QDialog::Rejected);
    }
    {
        CAboutDlg dlg;
        dlg.show();
        EXPECT_TRUE(dlg.close());
        EXPECT_FALSE(dlg.isVisible());
    }
}

TEST(AboutDlgTest, OpensWithTheFocusOnOkAndTabReachesTheLink) {
    CAboutDlg dlg;
    dlg.show();
    QApplication::setActiveWindow(&dlg);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg));
    QPushButton* ok = dlg.findChild<QPushButton*>(QStringLiteral("1"));
    EXPECT_TRUE(ok->hasFocus());
    EXPECT_EQ(Label(dlg, "1043")->palette().color(QPalette::WindowText).rgb(),
              CHyperLink::kLinkColor);
    QTest::keyClick(ok, Qt::Key_Tab);
    EXPECT_TRUE(Label(dlg, "1043")->hasFocus());
}

TEST(AboutDlgTest, IsAFixedSizeBoxWithoutMinimiseOrMaximise) {
    CAboutDlg dlg;
    EXPECT_EQ(dlg.minimumSize(), dlg.maximumSize());
    EXPECT_FALSE(dlg.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_FALSE(dlg.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
}

TEST(AboutDlgTest, EveryTextFitsAndNothingOverlaps) {
    CAboutDlg dlg;
    dlg.show();
    EXPECT_EQ(testing_support::ClippedTexts(dlg), QStringList());
    EXPECT_EQ(testing_support::Overlaps(dlg), QStringList());
}

}  // namespace
