#include "controls/tooltip_text.h"

#include <gtest/gtest.h>

#include <QFont>
#include <QFontMetrics>
#include <QTextDocument>

#include "qt_app.h"

namespace {

using controls::WrapToolTip;

class WrapToolTipTest : public ::testing::Test {
protected:
    WrapToolTipTest() { testing_support::TestApp(); }
    QFontMetrics metrics{QFont()};
};

TEST_F(WrapToolTipTest, ShortPlainTextStaysAsItIs) {
    EXPECT_EQ(WrapToolTip("Stop converting.", metrics), "Stop converting.");
}

TEST_F(WrapToolTipTest, LongTextWrapsWithinTheWidth) {
    const QString text = QString("Add video files to convert flv video format. ").repeated(6);
    const QString tip = WrapToolTip(text, metrics);
    ASSERT_NE(tip, text);
    QTextDocument document;
    document.setDefaultFont(QFont());
    document.setHtml(tip);
    document.setTextWidth(2000);  // room to spare: the width must come from the markup
    EXPECT_LE(document.idealWidth(), 400 + 2 * document.documentMargin() + 2);
    EXPECT_GT(document.size().height(), 3 * metrics.height());
    EXPECT_EQ(document.toPlainText().simplified(), text.simplified());
}

TEST_F(WrapToolTipTest, MarkupInTheTextIsShownLiterally) {
    QTextDocument document;
    document.setHtml(WrapToolTip("<b>bold</b> & more", metrics));
    EXPECT_EQ(document.toPlainText(), "<b>bold</b> & more");
}

}  // namespace
