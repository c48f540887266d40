// CHyperLink attached to a real label, driven headless; opening goes to recorders only.
#include "controls/hyperlink.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QFontMetrics>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "fake_shell.h"
#include "qt_app.h"

namespace {

using testing_support::RecordingFallback;
using testing_support::RecordingShell;

const QString kSite = "https://vantrel.example/";

// Records failed opens instead of showing the message box.
class RecordingLink : public CHyperLink {
public:
    std::vector<int> errors;

protected:
    void ReportOpenError(int code) override { errors.push_back(code); }
};

class HyperLinkTest : public ::testing::Test {
protected:
    HyperLinkTest() {
        window.resize(400, 200);
        label = new QLabel(kSite, &window);
        label->setGeometry(20, 30, 300, 40);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        other = new QPushButton("other", &window);
        other->setGeometry(20, 150, 80, 30);
        link.SetShell(&shell);
        link.SetBrowserFallback(&fallback);
    }

    void ShowAndActivate() {
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        other->setFocus();  // the link is a tab stop, first in the window's order
    }

    QRgb TextColor() const { return label->palette().color(QPalette::WindowText).rgb(); }
    // The text and the two pixels around it that the focus frame takes.
    QSize TextSize() const {
        const QFontMetrics metrics(link.LinkFont());
        return QSize(metrics.horizontalAdvance(label->text()), metrics.height()) + QSize(4, 4);
    }
    void MoveOver(QPoint position) {
        QMouseEvent move(QEvent::MouseMove, position, label->mapToGlobal(position), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(label, &move);
    }

    QApplication& app = testing_support::TestApp();  // before any widget
    RecordingShell shell;
    RecordingFallback fallback;
    RecordingLink link;
    QWidget window;
    QLabel* label;
    QPushButton* other;
};

// ---- Attaching ----------------------------------------------------------------------------

TEST_F(HyperLinkTest, LabelTextBecomesTargetAndTooltip) {
    link.SubclassDlgItem(label);
    EXPECT_EQ(link.m_strLink, kSite);
    EXPECT_EQ(label->toolTip(), kSite);
}

TEST_F(HyperLinkTest, EmptyLabelShowsTheTarget) {
    label->clear();
    link.m_strLink = "https://example.org/x";
    link.SubclassDlgItem(label);
    EXPECT_EQ(label->text(), "https://example.org/x");
    EXPECT_EQ(label->toolTip(), "https://example.org/x");
}

TEST_F(HyperLinkTest, SetTargetWinsOverLabelText) {
    link.m_strLink = "https://example.org/other";
    link.SubclassDlgItem(label);
    EXPECT_EQ(link.m_strLink, "https://example.org/other");
    EXPECT_EQ(label->text(), kSite);
}

TEST_F(HyperLinkTest, FontIsAnUnderlinedCopyOfTheLabelFont) {
    QFont font("DejaVu Sans", 11);
    font.setBold(true);
    label->setFont(font);
    link.SubclassDlgItem(label);
    EXPECT_TRUE(label->font().underline());
    EXPECT_TRUE(label->font().bold());
    EXPECT_EQ(label->font().family(), font.family());
    EXPECT_EQ(label->font(), link.LinkFont());
}

TEST_F(HyperLinkTest, UnderlineFollowsItsOptionBit) {
    link.m_dwOptions = CHyperLink::kDefaultOptions & ~CHyperLink::OptionUnderline;
    link.SubclassDlgItem(label);
    EXPECT_FALSE(label->font().underline());
}

TEST_F(HyperLinkTest, PointingHandUnlessOptionSaysOtherwise) {
    link.SubclassDlgItem(label);
    EXPECT_EQ(label->cursor().shape(), Qt::PointingHandCursor);

    QLabel plain("x", &window);
    RecordingLink noHand;
    noHand.m_dwOptions |= CHyperLink::OptionNoHandCursor;
    noHand.SubclassDlgItem(&plain);
    EXPECT_EQ(plain.cursor().shape(), Qt::ArrowCursor);
}

// ---- Fitting --------------------------------------------------------------------------------

TEST_F(HyperLinkTest, LeftAlignedLabelKeepsLeftAndTopEdges) {
    link.SubclassDlgItem(label);
    EXPECT_EQ(label->geometry(), QRect(QPoint(20, 30), TextSize()));
}

TEST_F(HyperLinkTest, CentredLabelKeepsItsCentre) {
    label->setAlignment(Qt::AlignCenter);
    link.SubclassDlgItem(label);
    EXPECT_EQ(label->size(),
              TextSize() + QSize((300 - TextSize().width()) % 2, (40 - TextSize().height()) % 2));
    // Centred on the text; the room for the focus frame is then added right and below, as a
    // frame's allowance is, which moves the centre by half of it.
    EXPECT_NEAR(label->geometry().center().x(), QRect(20, 30, 300, 40).center().x() + 2, 1);
    EXPECT_NEAR(label->geometry().center().y(), QRect(20, 30, 300, 40).center().y() + 2, 1);
}

TEST_F(HyperLinkTest, RightAlignedLabelKeepsItsRightEdge) {
    label->setAlignment(Qt::AlignRight | Qt::AlignTop);
    link.SubclassDlgItem(label);
    // The room for the focus frame is added beyond the right edge, as a frame's allowance is.
    EXPECT_EQ(label->geometry().right(), 319 + 4);
    EXPECT_EQ(label->width(), TextSize().width());
}

TEST_F(HyperLinkTest, FrameIsAddedAroundTheText) {
    label->setFrameStyle(QFrame::Box | QFrame::Plain);
    label->setLineWidth(2);
    link.SubclassDlgItem(label);
    EXPECT_EQ(label->size(), TextSize() + QSize(4, 4));
}

TEST_F(HyperLinkTest, NoFittingWithoutItsOptionBit) {
    link.m_dwOptions = CHyperLink::kDefaultOptions & ~CHyperLink::OptionFitToText;
    link.SubclassDlgItem(label);
    EXPECT_EQ(label->geometry(), QRect(20, 30, 300, 40));
}

// ---- Colours and opening ----------------------------------------------------------------------

TEST_F(HyperLinkTest, ColourGoesLinkThenActiveThenVisited) {
    link.SubclassDlgItem(label);
    ShowAndActivate();
    EXPECT_EQ(TextColor(), CHyperLink::kLinkColor);

    QTest::mouseClick(label, Qt::LeftButton);
    EXPECT_EQ(shell.opened, std::vector<std::string>({kSite.toStdString()}));
    EXPECT_TRUE(label->hasFocus());  // a click takes the focus
    EXPECT_TRUE(link.IsVisited());
    EXPECT_EQ(TextColor(), CHyperLink::kActiveColor);

    other->setFocus();
    EXPECT_EQ(TextColor(), CHyperLink::kVisitedColor);
}

TEST_F(HyperLinkTest, FocusAloneMakesItActive) {
    link.SubclassDlgItem(label);
    ShowAndActivate();
    label->setFocus();
    EXPECT_EQ(TextColor(), CHyperLink::kActiveColor);
    other->setFocus();
    EXPECT_EQ(TextColor(), CHyperLink::kLinkColor);
}

TEST_F(HyperLinkTest, ActiveColourCanBeTurnedOff) {
    link.m_dwOptions |= CHyperLink::OptionNoActiveColor;
    link.SubclassDlgItem(label);
    ShowAndActivate();
    label->setFocus();
    EXPECT_EQ(TextColor(), CHyperLink::kLinkColor);
}

TEST_F(HyperLinkTest, HoverColourOnlyWithItsOptionBit) {
    link.SubclassDlgItem(label);
    MoveOver(QPoint(2, 2));
    EXPECT_TRUE(link.IsOverControl());
    EXPECT_EQ(TextColor(), CHyperLink::kLinkColor);

    QLabel second("https://example.org", &window);
    RecordingLink hovering;
    hovering.m_dwOptions |= CHyperLink::OptionHoverColor;
    hovering.SubclassDlgItem(&second);
    QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), second.mapToGlobal(QPointF(2, 2)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&second, &move);
    EXPECT_EQ(second.palette().color(QPalette::WindowText).rgb(), CHyperLink::kHoverColor);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&second, &leave);
    EXPECT_FALSE(hovering.IsOverControl());
    EXPECT_EQ(second.palette().color(QPalette::WindowText).rgb(), CHyperLink::kLinkColor);
}

TEST_F(HyperLinkTest, OpensOnReleaseNotOnPress) {
    link.SubclassDlgItem(label);
    ShowAndActivate();
    QTest::mousePress(label, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
    EXPECT_TRUE(shell.opened.empty());
    QTest::mouseRelease(label, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
    EXPECT_EQ(shell.opened.size(), 1u);
}

TEST_F(HyperLinkTest, ReleaseAwayFromTheLinkDoesNotOpen) {
    link.SubclassDlgItem(label);
    ShowAndActivate();
    QTest::mousePress(label, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
    QTest::mouseRelease(label, Qt::LeftButton, Qt::NoModifier, QPoint(2, 100));
    EXPECT_TRUE(shell.opened.empty());
}

TEST_F(HyperLinkTest, OpenOnPressOptionOpensOnceOnPress) {
    link.m_dwOptions |= CHyperLink::OptionOpenOnPress;
    link.SubclassDlgItem(label);
    ShowAndActivate();
    QTest::mousePress(label, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
    EXPECT_EQ(shell.opened.size(), 1u);
    QTest::mouseRelease(label, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
    EXPECT_EQ(shell.opened.size(), 1u);
}

TEST_F(HyperLinkTest, ClickKeepsFocusWhereItWasWithoutFocusOption) {
    link.m_dwOptions &= ~CHyperLink::OptionFocusOnClick;
    link.SubclassDlgItem(label);
    ShowAndActivate();
    other->setFocus();
    QTest::mouseClick(label, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
    EXPECT_TRUE(other->hasFocus());
    EXPECT_EQ(shell.opened.size(), 1u);
}

TEST_F(HyperLinkTest, SpaceOpensOtherKeysDoNot) {
    link.SubclassDlgItem(label);
    ShowAndActivate();
    label->setFocus();
    QTest::keyClick(label, Qt::Key_A);
    EXPECT_TRUE(shell.opened.empty());
    QTest::keyClick(label, Qt::Key_Space);
    EXPECT_EQ(shell.opened.size(), 1u);
}

TEST_F(HyperLinkTest, FailedOpenIsReportedAndLeavesLinkUnvisited) {
    shell.result = platform::kShellFileNotFound;
    link.SubclassDlgItem(label);
    link.OpenLink();
    EXPECT_EQ(link.errors, std::vector<int>({platform::kShellFileNotFound}));
    EXPECT_FALSE(link.IsVisited());
}

TEST_F(HyperLinkTest, BrowserCommandOpensWhatTheDesktopCannot) {
    shell.result = platform::kShellNoAssociation;
    fallback.command = "/usr/bin/web-browser --new-tab \"%1\"";
    link.m_strLink = "x-vantrel:help";
    link.SubclassDlgItem(label);
    link.OpenLink();
    ASSERT_EQ(fallback.runs.size(), 1u);
    EXPECT_EQ(fallback.runs[0],
              std::vector<std::string>({"/usr/bin/web-browser", "--new-tab", "x-vantrel:help"}));
    EXPECT_TRUE(link.errors.empty());
    EXPECT_TRUE(link.IsVisited());
}

TEST_F(HyperLinkTest, FailingBrowserCommandReportsItsCode) {
    shell.result = platform::kShellNoAssociation;
    fallback.command = "web %u";
    fallback.result = 2;
    link.SubclassDlgItem(label);
    link.OpenLink();
    EXPECT_EQ(link.errors, std::vector<int>({2}));
}

// ---- Keyboard focus frame and screen readers ------------------------------------------------

TEST_F(HyperLinkTest, DottedFocusFrameInTheLinkColourOnceTheKeyboardMovedTheFocus) {
    link.SubclassDlgItem(label);
    ShowAndActivate();
    const auto render = [&] {
        return label->grab().toImage().convertToFormat(QImage::Format_RGB32);
    };
    const auto pixel = [](const QImage& image, int x, int y) {
        return (image.pixel(x, y) & RGB_MASK) | 0xFF000000;
    };
    const int right = label->width() - 1;
    const int bottom = label->height() - 1;

    QTest::mouseClick(label, Qt::LeftButton);  // a click focuses it, but shows no frame
    ASSERT_TRUE(label->hasFocus());
    QImage image = render();
    EXPECT_EQ(pixel(image, 0, 0), pixel(image, 1, 0));
    EXPECT_NE(pixel(image, 0, 0), CHyperLink::kActiveColor);

    other->setFocus();
    QTest::keyClick(other, Qt::Key_Tab);
    ASSERT_TRUE(label->hasFocus());
    image = render();
    // Every other pixel of the outermost ones, in the active colour, from the corner.
    for (const QPoint& dot :
         {QPoint(0, 0), QPoint(2, 0), QPoint(0, 2), QPoint(right - right % 2, 0)})
        EXPECT_EQ(pixel(image, dot.x(), dot.y()), CHyperLink::kActiveColor)
            << dot.x() << "," << dot.y();
    EXPECT_NE(pixel(image, 1, 0), CHyperLink::kActiveColor);
    EXPECT_NE(pixel(image, 0, 1), CHyperLink::kActiveColor);
    EXPECT_EQ(pixel(image, (bottom % 2 == 0) ? 0 : 1, bottom), CHyperLink::kActiveColor);

    other->setFocus();
    image = render();
    EXPECT_EQ(pixel(image, 0, 0), pixel(image, 1, 0));
}

TEST_F(HyperLinkTest, ScreenReadersHearALinkWithItsTargetVisitedOnceOpened) {
    QAccessibleInterface* before = QAccessible::queryAccessibleInterface(label);
    ASSERT_NE(before, nullptr);
    EXPECT_EQ(before->role(), QAccessible::StaticText);  // asked before it became a link

    link.m_strLink = "https://vantrel.example/help";
    link.SubclassDlgItem(label);
    QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(label);
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(reader->role(), QAccessible::Link);
    EXPECT_EQ(reader->text(QAccessible::Name), kSite);
    EXPECT_EQ(reader->text(QAccessible::Value), QStringLiteral("https://vantrel.example/help"));
    EXPECT_TRUE(reader->state().focusable);
    EXPECT_FALSE(reader->state().traversed);

    reader->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(shell.opened, std::vector<std::string>({"https://vantrel.example/help"}));
    EXPECT_TRUE(reader->state().traversed);
}

// ---- The message box ----------------------------------------------------------------------

struct ShownBox {
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
};

// Shows the error box for `code` and answers it as a user would, returning what it showed.
ShownBox ShowAndAnswer(int code) {
    ShownBox shown;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr)
            return;
        poll.stop();
        shown = {box->text(), box->icon(), box->standardButtons()};
        box->button(QMessageBox::Ok)->click();
    });
    poll.start(10);
    CHyperLink::ShowOpenError(code);
    return shown;
}

TEST_F(HyperLinkTest, ErrorBoxShowsHeadingEmptyLineAndReason) {
    const ShownBox shown = ShowAndAnswer(2);
    EXPECT_EQ(shown.text, "Can't open link:\n\nThe specified file was not found.");
    EXPECT_EQ(shown.icon, QMessageBox::Warning);
    EXPECT_EQ(shown.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
}

TEST_F(HyperLinkTest, ErrorBoxNamesAnUnknownCode) {
    EXPECT_EQ(ShowAndAnswer(40).text, "Can't open link:\n\nUnknown Error (40) occurred.");
}

}  // namespace
