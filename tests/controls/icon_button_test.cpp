// CIconButton driven headless: state colours and set-up results, hover and focus behaviour,
// clicks, and the painted pixels of every state.
#include "controls/icon_button.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOption>
#include <QTest>
#include <QToolTip>
#include <QVBoxLayout>

#include <cstring>
#include <functional>

#include "controls/image_layout.h"
#include "fake_shell.h"
#include "qt_app.h"

namespace {

using testing_support::RecordingShell;

const QRgb kBgOut = qRgb(200, 200, 200);
const QRgb kBgIn = qRgb(230, 230, 230);
const QRgb kBgFocus = qRgb(180, 200, 220);
const QRgb kFgOut = qRgb(0, 0, 0);
const QRgb kFgIn = qRgb(0, 0, 255);
const QRgb kFgFocus = qRgb(0, 128, 0);
const QRgb kRed = qRgb(255, 0, 0);
const QRgb kGreen = qRgb(0, 255, 0);

QPixmap Solid(int width, int height, QRgb color) {
    QPixmap pixmap(width, height);
    pixmap.fill(QColor(color));
    return pixmap;
}

// A square of `inner` framed by `frame` pixels of `outer`.
QPixmap Framed(int size, int frame, QRgb outer, QRgb inner) {
    QPixmap pixmap = Solid(size, size, outer);
    QPainter painter(&pixmap);
    painter.fillRect(frame, frame, size - 2 * frame, size - 2 * frame, QColor(inner));
    return pixmap;
}

QRgb Pixel(const QImage& image, int x, int y) {
    return (image.pixel(x, y) & RGB_MASK) | 0xFF000000;
}

// The bounding box of the pixels of `color` inside `region`; null when there are none.
QRect InkBox(const QImage& image, QRgb color, const QRect& region) {
    QRect box;
    for (int y = region.top(); y <= region.bottom(); ++y) {
        for (int x = region.left(); x <= region.right(); ++x) {
            if (Pixel(image, x, y) == color)
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

class IconButtonTest : public ::testing::Test {
protected:
    IconButtonTest() {
        window.resize(300, 200);
        button = new CIconButton(&window);
        button->setGeometry(10, 10, 120, 49);
        QFont font("DejaVu Sans");
        font.setPixelSize(13);
        font.setStyleStrategy(QFont::NoAntialias);  // caption pixels in exactly the pen colour
        button->setFont(font);
        button->SetStateColor(CIconButton::ColorBackgroundOut, kBgOut);
        button->SetStateColor(CIconButton::ColorBackgroundIn, kBgIn);
        button->SetStateColor(CIconButton::ColorBackgroundFocus, kBgFocus);
        button->SetStateColor(CIconButton::ColorForegroundOut, kFgOut);
        button->SetStateColor(CIconButton::ColorForegroundIn, kFgIn);
        button->SetStateColor(CIconButton::ColorForegroundFocus, kFgFocus);
        button->SetShell(&shell);
    }

    void ShowAndActivate() {
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    static void Move(QWidget* widget, QPoint position, Qt::MouseButtons buttons = Qt::NoButton) {
        QMouseEvent move(QEvent::MouseMove, position, widget->mapToGlobal(position), Qt::NoButton,
                         buttons, Qt::NoModifier);
        QApplication::sendEvent(widget, &move);
    }
    static void Leave(QWidget* widget) {
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(widget, &leave);
    }
    void Hover() { Move(button, QPoint(60, 24)); }

    QImage Render() { return button->grab().toImage().convertToFormat(QImage::Format_RGB32); }

    QColor Dark() const { return button->palette().color(QPalette::Active, QPalette::Dark); }
    QColor Light() const { return button->palette().color(QPalette::Active, QPalette::Light); }

    // The caption area of a 36-pixel image and its expected text box.
    QRect ExpectedCaptionBox(const QString& text, const QRect& area) const {
        const int flags = Qt::AlignHCenter | Qt::TextWordWrap | Qt::TextShowMnemonic;
        return controls::CentreIn(
            area, QFontMetrics(button->font()).boundingRect(area, flags, text).size());
    }

    QApplication& app = testing_support::TestApp();  // before any widget
    RecordingShell shell;
    QWidget window;
    CIconButton* button;
};

// ---- Colours and set-up results -----------------------------------------------------------

TEST_F(IconButtonTest, StartsWithSystemButtonColours) {
    CIconButton fresh;
    const QRgb face = fresh.palette().color(QPalette::Button).rgb();
    const QRgb text = fresh.palette().color(QPalette::ButtonText).rgb();
    for (int index : {0, 2, 4}) EXPECT_EQ(fresh.StateColor(index), face) << index;
    for (int index : {1, 3, 5}) EXPECT_EQ(fresh.StateColor(index), text) << index;
}

TEST_F(IconButtonTest, ColourIndexAboveFiveIsRejectedAndChangesNothing) {
    EXPECT_EQ(button->SetStateColor(6, kRed), CIconButton::ResultBadColorIndex);
    EXPECT_EQ(button->SetStateColor(-1, kRed), CIconButton::ResultBadColorIndex);
    EXPECT_EQ(button->ShadeStateColor(6, 30), CIconButton::ResultBadColorIndex);
    EXPECT_EQ(button->SetStateColor(5, kRed), CIconButton::ResultOk);
    EXPECT_EQ(button->StateColor(5), kRed);
    EXPECT_EQ(button->StateColor(0), kBgIn);
}

TEST_F(IconButtonTest, ShadeFollowsTheExamples) {
    button->SetStateColor(0, qRgb(212, 208, 200));
    EXPECT_EQ(button->ShadeStateColor(0, 30), CIconButton::ResultOk);
    EXPECT_EQ(button->StateColor(0), qRgb(242, 238, 230));

    button->SetStateColor(2, qRgb(236, 233, 216));
    button->ShadeStateColor(2, 30);
    EXPECT_EQ(button->StateColor(2), qRgb(255, 252, 235));

    button->SetStateColor(4, qRgb(212, 208, 200));
    EXPECT_EQ(button->ShadeStateColor(4, -255), CIconButton::ResultOk);
    EXPECT_EQ(button->StateColor(4), qRgb(12, 8, 0));
}

TEST_F(IconButtonTest, ShadeOutsideRangeIsRejectedAndChangesNothing) {
    button->SetStateColor(0, qRgb(212, 208, 200));
    EXPECT_EQ(button->ShadeStateColor(0, 256), CIconButton::ResultBadShade);
    EXPECT_EQ(button->ShadeStateColor(0, -256), CIconButton::ResultBadShade);
    EXPECT_EQ(button->StateColor(0), qRgb(212, 208, 200));
    EXPECT_EQ(button->ShadeStateColor(0, 255), CIconButton::ResultOk);
}

TEST_F(IconButtonTest, SystemPaletteChangeReplacesDialogColours) {
    const QPalette original = QApplication::palette();
    QPalette changed = original;
    changed.setColor(QPalette::Button, QColor(10, 20, 30));
    changed.setColor(QPalette::ButtonText, QColor(40, 50, 60));
    QApplication::setPalette(changed);
    QApplication::processEvents();
    const QRgb face = qRgb(10, 20, 30), text = qRgb(40, 50, 60);
    const QRgb after[6] = {button->StateColor(0), button->StateColor(1), button->StateColor(2),
                           button->StateColor(3), button->StateColor(4), button->StateColor(5)};
    QApplication::setPalette(original);
    EXPECT_EQ(after[0], face);
    EXPECT_EQ(after[1], text);
    EXPECT_EQ(after[2], face);
    EXPECT_EQ(after[3], text);
    EXPECT_EQ(after[4], face);
    EXPECT_EQ(after[5], text);
}

TEST_F(IconButtonTest, DialogColoursSurviveShowingTheWindow) {
    ShowAndActivate();
    QApplication::processEvents();
    EXPECT_EQ(button->StateColor(CIconButton::ColorBackgroundIn), kBgIn);
    EXPECT_EQ(button->StateColor(CIconButton::ColorForegroundFocus), kFgFocus);

    // Also for a button that was set up before it was put into its window.
    auto* late = new CIconButton;
    late->SetStateColor(CIconButton::ColorBackgroundOut, kBgFocus);
    QPalette tinted = window.palette();
    tinted.setColor(QPalette::Window, QColor(1, 2, 3));
    window.setPalette(tinted);
    late->setParent(&window);
    late->show();
    QApplication::processEvents();
    EXPECT_EQ(late->StateColor(CIconButton::ColorBackgroundOut), kBgFocus);
}

TEST_F(IconButtonTest, IconsAndBitmapsReplaceEachOther) {
    EXPECT_EQ(button->SetIcons(Solid(36, 36, kRed)), CIconButton::ResultOk);
    EXPECT_FALSE(button->Icon(0).isNull());
    EXPECT_EQ(button->SetBitmaps(Solid(22, 22, kRed), kGreen), CIconButton::ResultOk);
    EXPECT_TRUE(button->Icon(0).isNull());
    EXPECT_FALSE(button->Bitmap(0).isNull());
    button->SetIcons(Solid(36, 36, kRed));
    EXPECT_TRUE(button->Bitmap(0).isNull());
}

TEST_F(IconButtonTest, MissingHoverImageMeansNoImageAtAll) {
    EXPECT_EQ(button->SetIcons(QPixmap(), Solid(36, 36, kRed)), CIconButton::ResultOk);
    EXPECT_TRUE(button->Icon(0).isNull());
    EXPECT_TRUE(button->Icon(1).isNull());
    EXPECT_EQ(button->LoadIcons(424242, 36, 36, 9001, 36, 36), CIconButton::ResultOk);
    EXPECT_TRUE(button->Icon(1).isNull());
}

TEST_F(IconButtonTest, LoadsResourcesAtRequestedOrNaturalSize) {
    EXPECT_EQ(button->LoadIcons(9001, 36, 36, 9001, 32, 32), CIconButton::ResultOk);
    EXPECT_EQ(button->Icon(0).size(), QSize(36, 36));
    EXPECT_EQ(button->Icon(1).size(), QSize(32, 32));
    EXPECT_EQ(button->LoadBitmaps(9002, qRgb(255, 0, 255), 0, 0), CIconButton::ResultOk);
    EXPECT_EQ(button->Bitmap(0).size(), QSize(22, 22));
    EXPECT_TRUE(button->Bitmap(1).isNull());
}

// ---- Address, tooltip, default --------------------------------------------------------------

TEST_F(IconButtonTest, LinkUrlKeepsAtMost259Bytes) {
    const std::string longUrl = "https://example.org/" + std::string(400, 'a');
    button->SetLinkUrl(longUrl.c_str());
    EXPECT_EQ(std::strlen(button->LinkUrl()), 259u);
    EXPECT_EQ(std::string(button->LinkUrl()), longUrl.substr(0, 259));
    button->SetLinkUrl(nullptr);
    EXPECT_STREQ(button->LinkUrl(), "");
}

TEST_F(IconButtonTest, LinkUrlIsNeverCutInsideACharacter) {
    const std::string url = std::string(258, 'a') + "\xC3\xA9";  // é spans bytes 259 and 260
    button->SetLinkUrl(url.c_str());
    EXPECT_EQ(std::string(button->LinkUrl()), std::string(258, 'a'));
}

TEST_F(IconButtonTest, ClickOpensAddressThenDialogHandlerRuns) {
    ShowAndActivate();
    button->SetLinkUrl("https://example.org/vantrel");
    std::size_t openedBeforeDialog = 99;
    QObject::connect(button, &QPushButton::clicked,
                     [&] { openedBeforeDialog = shell.opened.size(); });
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(shell.opened, std::vector<std::string>({"https://example.org/vantrel"}));
    EXPECT_EQ(openedBeforeDialog, 1u);
}

TEST_F(IconButtonTest, ClickWithoutAddressOpensNothingAndTakesFocus) {
    QPushButton other(&window);
    other.setGeometry(150, 10, 50, 20);
    ShowAndActivate();
    other.setFocus();
    button->click();
    EXPECT_TRUE(shell.opened.empty());
    EXPECT_TRUE(button->hasFocus());
}

// Records what CIconButton would report in its message box.
class ReportingButton : public CIconButton {
public:
    using CIconButton::CIconButton;
    std::vector<int> errors;

protected:
    void ReportOpenError(int code) override { errors.push_back(code); }
};

TEST_F(IconButtonTest, AddressThatCannotBeOpenedIsReportedWithTheShellsCode) {
    auto* reporting = new ReportingButton(&window);
    reporting->SetShell(&shell);
    reporting->SetLinkUrl("https://example.org/vantrel");
    for (const int result : {platform::kShellOk, platform::kShellNoAssociation,
                             platform::kShellFileNotFound, platform::kShellOutOfResources}) {
        shell.result = result;
        reporting->errors.clear();
        reporting->click();
        const std::vector<int> expected =
            result > 32 ? std::vector<int>() : std::vector<int>{result};
        EXPECT_EQ(reporting->errors, expected) << result;
    }
    EXPECT_EQ(shell.opened.size(), 4u);
}

TEST_F(IconButtonTest, ScreenReadersHearTheCaptionAndAnAddressAsALink) {
    const struct {
        const char* caption;
        const char* url;
        QAccessible::Role role;
        const char* name;
    } cases[] = {
        {"&Add", nullptr, QAccessible::PushButton, "Add"},
        {"Conver&t", nullptr, QAccessible::PushButton, "Convert"},
        {"Save && Quit", nullptr, QAccessible::PushButton, "Save & Quit"},
        {"&Help", "https://vantrel.example/help", QAccessible::Link, "Help"},
        {"vantrel.example", "https://vantrel.example/", QAccessible::Link, "vantrel.example"},
    };
    button->SetToolTipText(QStringLiteral("Add video files."));
    QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(button);
    ASSERT_NE(reader, nullptr);
    for (const auto& c : cases) {
        button->setText(QString::fromLatin1(c.caption));
        button->SetLinkUrl(c.url);
        EXPECT_EQ(reader->role(), c.role) << c.caption;
        EXPECT_EQ(reader->text(QAccessible::Name), QString::fromLatin1(c.name)) << c.caption;
        EXPECT_EQ(reader->text(QAccessible::Value), QString::fromLatin1(c.url ? c.url : ""))
            << c.caption;
        EXPECT_EQ(reader->text(QAccessible::Description), QStringLiteral("Add video files."));
    }
    // Pressing it as a reader does returns at once and clicks afterwards: the address opens.
    QSignalSpy clicks(button, &QPushButton::clicked);
    reader->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(clicks.count(), 0);
    EXPECT_TRUE(clicks.wait(2000));
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(shell.opened, std::vector<std::string>({"https://vantrel.example/"}));
}

TEST_F(IconButtonTest, DoubleClickGivesTwoClicks) {
    ShowAndActivate();
    QSignalSpy clicks(button, &QAbstractButton::clicked);
    // As the window system delivers it: press, release, press with double click, release.
    QTest::mouseDClick(window.windowHandle(), Qt::LeftButton, Qt::NoModifier,
                       button->geometry().center());
    EXPECT_EQ(clicks.count(), 2);
    // And as a double-click event that replaces the second press.
    clicks.clear();
    QTest::mouseClick(button, Qt::LeftButton);
    QTest::mouseDClick(button, Qt::LeftButton);
    QTest::mouseRelease(button, Qt::LeftButton);
    EXPECT_EQ(clicks.count(), 2);
}

TEST_F(IconButtonTest, ToolTipShowsOnlyWhileActivated) {
    const QString text = "Stop converting.";
    button->SetToolTipText(nullptr);
    EXPECT_TRUE(button->toolTip().isEmpty());
    button->SetToolTipText(text, false);
    EXPECT_TRUE(button->toolTip().isEmpty());
    ShowAndActivate();
    QToolTip::hideText();
    QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), button->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(button, &help);
    EXPECT_FALSE(QToolTip::isVisible());
    button->SetToolTipText(text, true);
    EXPECT_EQ(button->toolTip(), text);
    QApplication::sendEvent(button, &help);
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), text);
    QToolTip::hideText();
}

TEST_F(IconButtonTest, LongToolTipWrapsAt400Pixels) {
    ShowAndActivate();
    const QString text =
        QString("Select a directory for saving FLV video files, then start the batch. ")
            .repeated(5);
    button->SetToolTipText(text);
    QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), button->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(button, &help);
    ASSERT_TRUE(QToolTip::isVisible());
    QWidget* tip = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == "qtooltip_label" && widget->isVisible())
            tip = widget;
    }
    ASSERT_NE(tip, nullptr);
    const int line = QFontMetrics(QToolTip::font()).height();
    EXPECT_LE(tip->width(), 400 + 40);  // the text's 400 plus the tip's own margins
    EXPECT_GT(tip->height(), 3 * line);
    QToolTip::hideText();
}

TEST_F(IconButtonTest, DefaultFlagFollowsSetDefault) {
    EXPECT_FALSE(button->IsDefault());
    button->SetDefault(true);
    EXPECT_TRUE(button->IsDefault());
    EXPECT_TRUE(button->isDefault());
    button->SetDefault(false);
    EXPECT_FALSE(button->isDefault());
}

// ---- Hover and focus --------------------------------------------------------------------------

TEST_F(IconButtonTest, HoverStartsOnMoveAndEndsOnLeave) {
    EXPECT_FALSE(button->IsMouseOver());
    Hover();
    EXPECT_TRUE(button->IsMouseOver());
    Hover();
    EXPECT_TRUE(button->IsMouseOver());
    Leave(button);
    EXPECT_FALSE(button->IsMouseOver());
}

TEST_F(IconButtonTest, EnteringWithLeftButtonHeldDoesNotHover) {
    Move(button, QPoint(60, 24), Qt::LeftButton);
    EXPECT_FALSE(button->IsMouseOver());
}

TEST_F(IconButtonTest, HoverEndsWhenPointerIsDraggedOutside) {
    Hover();
    Move(button, QPoint(60, 24), Qt::LeftButton);  // pressed on it: stays lit
    EXPECT_TRUE(button->IsMouseOver());
    Move(button, QPoint(200, 24), Qt::LeftButton);  // dragged off while holding the button
    EXPECT_FALSE(button->IsMouseOver());
}

TEST_F(IconButtonTest, HoverEndsOnFocusLoss) {
    QPushButton other(&window);
    other.setGeometry(150, 10, 50, 20);
    ShowAndActivate();
    button->setFocus();
    Hover();
    other.setFocus();
    EXPECT_FALSE(button->IsMouseOver());
}

TEST_F(IconButtonTest, DisablingEndsHoverAndMovesFocusToNextTabStop) {
    auto* second = new CIconButton(&window);
    auto* third = new CIconButton(&window);
    second->setGeometry(140, 10, 50, 20);
    third->setGeometry(200, 10, 50, 20);
    ShowAndActivate();
    second->setFocus();
    Move(second, QPoint(5, 5));
    ASSERT_TRUE(second->IsMouseOver());
    second->setEnabled(false);
    EXPECT_FALSE(second->IsMouseOver());
    EXPECT_TRUE(third->hasFocus());
}

TEST_F(IconButtonTest, DisablingMovesFocusEvenWhenAnotherControlHasIt) {
    auto* second = new CIconButton(&window);
    auto* third = new CIconButton(&window);
    ShowAndActivate();
    button->setFocus();
    second->setEnabled(false);
    EXPECT_TRUE(third->hasFocus());
}

TEST_F(IconButtonTest, DisablingSkipsDisabledControlsAndWrapsAround) {
    auto* second = new CIconButton(&window);
    auto* third = new CIconButton(&window);
    third->setEnabled(false);
    ShowAndActivate();
    second->setFocus();
    second->setEnabled(false);
    EXPECT_TRUE(button->hasFocus());
}

TEST_F(IconButtonTest, DisablingTheOnlyControlFocusesTheParent) {
    QWidget panel(&window);
    panel.setGeometry(0, 100, 200, 60);
    window.setFocusPolicy(Qt::NoFocus);
    button->setEnabled(false);  // the other button of the window is out of the way
    auto* only = new CIconButton(&panel);
    ShowAndActivate();
    only->setFocus();
    only->setEnabled(false);
    EXPECT_FALSE(only->hasFocus());
    EXPECT_EQ(QApplication::focusWidget(), &panel);
}

// ---- Painting -----------------------------------------------------------------------------

TEST_F(IconButtonTest, NormalStateHasOutBackgroundAndNoBorder) {
    const QImage image = Render();
    EXPECT_EQ(Pixel(image, 60, 2), kBgOut);
    for (QPoint corner : {QPoint(0, 0), QPoint(119, 0), QPoint(0, 48), QPoint(119, 48),
                          QPoint(60, 0), QPoint(0, 24)}) {
        EXPECT_EQ(Pixel(image, corner.x(), corner.y()), kBgOut) << corner.x() << "," << corner.y();
    }
}

TEST_F(IconButtonTest, HoverHasInBackgroundAndRaisedBorder) {
    Hover();
    const QImage image = Render();
    EXPECT_EQ(Pixel(image, 60, 2), kBgIn);
    EXPECT_EQ(Pixel(image, 0, 0), Light().rgb());    // top-left: highlight
    EXPECT_EQ(Pixel(image, 60, 0), Light().rgb());   // top edge
    EXPECT_EQ(Pixel(image, 0, 24), Light().rgb());   // left edge
    EXPECT_EQ(Pixel(image, 119, 24), Dark().rgb());  // right edge: shadow
    EXPECT_EQ(Pixel(image, 60, 48), Dark().rgb());   // bottom edge
    EXPECT_EQ(Pixel(image, 119, 0), Dark().rgb());   // top-right corner belongs to the shadow
    EXPECT_EQ(Pixel(image, 0, 48), Dark().rgb());    // bottom-left corner too
    EXPECT_EQ(Pixel(image, 1, 1), kBgIn);            // one pixel wide
}

TEST_F(IconButtonTest, PressedHasInBackgroundAndSunkenBorder) {
    button->setDown(true);
    const QImage image = Render();
    EXPECT_EQ(Pixel(image, 60, 2), kBgIn);
    EXPECT_EQ(Pixel(image, 0, 0), Dark().rgb());
    EXPECT_EQ(Pixel(image, 60, 0), Dark().rgb());
    EXPECT_EQ(Pixel(image, 119, 24), Light().rgb());
    EXPECT_EQ(Pixel(image, 60, 48), Light().rgb());
    EXPECT_EQ(Pixel(image, 1, 1), kBgIn);
}

TEST_F(IconButtonTest, FocusedHasFocusColoursAndNoBorder) {
    button->setText("&Add");
    ShowAndActivate();
    button->setFocus();
    ASSERT_TRUE(button->hasFocus());
    const QImage image = Render();
    EXPECT_EQ(Pixel(image, 60, 2), kBgFocus);
    EXPECT_EQ(Pixel(image, 0, 0), kBgFocus);
    EXPECT_EQ(Pixel(image, 119, 48), kBgFocus);
    // Focus given by the program, not the keyboard: only the background and the caption's
    // colour, no dotted focus frame anywhere.
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = Pixel(image, x, y);
            ASSERT_TRUE(pixel == kBgFocus || pixel == kFgFocus) << x << "," << y;
        }
    }
}

TEST_F(IconButtonTest, DottedFocusFrameOnceTheKeyboardMovedTheFocus) {
    button->setText("&Add");
    auto* before = new QPushButton(&window);
    before->setGeometry(150, 100, 50, 20);
    QWidget::setTabOrder(before, button);
    ShowAndActivate();
    const struct {
        const char* how;
        std::function<void()> focus;
        bool frame;
    } cases[] = {
        {"click", [&] { QTest::mouseClick(button, Qt::LeftButton); }, false},
        {"Tab", [&] { QTest::keyClick(before, Qt::Key_Tab); }, true},
        {"focus gone", [&] { before->setFocus(); }, false},
    };
    for (const auto& c : cases) {
        before->setFocus();
        c.focus();
        Leave(button);
        const QImage image = Render();
        // Inside the border, with a pixel between: every other pixel, from the corner.
        const QRgb gap = Pixel(image, 3, 2);
        const QRgb dot = c.frame ? kFgFocus : gap;
        EXPECT_EQ(button->hasFocus(), c.how != std::string("focus gone")) << c.how;
        EXPECT_EQ(Pixel(image, 3, 2), Pixel(image, 2, 3)) << c.how;
        for (const QPoint& p : {QPoint(2, 2), QPoint(4, 2), QPoint(2, 4), QPoint(116, 46)}) {
            EXPECT_EQ(Pixel(image, p.x(), p.y()), dot) << c.how << " " << p.x() << "," << p.y();
        }
        EXPECT_EQ(Pixel(image, 1, 1), Pixel(image, 1, 2)) << c.how;  // nothing outside it
    }
}

TEST_F(IconButtonTest, CaptionColourFollowsState) {
    button->setText("Convert");
    const QRect inside(2, 2, 116, 45);
    QImage image = Render();
    EXPECT_FALSE(InkBox(image, kFgOut, inside).isNull());
    EXPECT_TRUE(InkBox(image, kFgIn, inside).isNull());

    Hover();
    image = Render();
    EXPECT_FALSE(InkBox(image, kFgIn, inside).isNull());
    EXPECT_TRUE(InkBox(image, kFgOut, inside).isNull());

    Leave(button);
    button->setDown(true);
    image = Render();
    EXPECT_FALSE(InkBox(image, kFgIn, inside).isNull());
}

TEST_F(IconButtonTest, DisabledCaptionIsEngraved) {
    button->setText("Convert");
    button->setEnabled(false);
    const QImage image = Render();
    const QRect inside(0, 0, 120, 49);
    const QRect shadow = InkBox(image, Dark().rgb(), inside);
    const QRect highlight = InkBox(image, Light().rgb(), inside);
    ASSERT_FALSE(shadow.isNull());
    ASSERT_FALSE(highlight.isNull());
    EXPECT_TRUE(InkBox(image, kFgOut, inside).isNull());
    // The highlight copy lies one pixel right and down, under the shadow copy.
    EXPECT_EQ(highlight.bottomRight(), shadow.bottomRight() + QPoint(1, 1));
}

TEST_F(IconButtonTest, IconSitsThreePixelsInAndVerticallyCentred) {
    button->setText("&Add");
    button->SetIcons(Solid(36, 36, kRed));
    const QImage image = Render();
    // (49 - 36) / 2 = 6 pixels down.
    EXPECT_EQ(InkBox(image, kRed, QRect(0, 0, 120, 49)), QRect(3, 6, 36, 36));
}

TEST_F(IconButtonTest, IconWithoutCaptionIsCentred) {
    button->SetIcons(Solid(36, 36, kRed));
    const QImage image = Render();
    EXPECT_EQ(InkBox(image, kRed, QRect(0, 0, 120, 49)), QRect(42, 6, 36, 36));
}

TEST_F(IconButtonTest, CaptionIsCentredInWhatTheImageLeaves) {
    button->setText("Add");
    button->SetIcons(Solid(36, 36, kRed));
    const QImage image = Render();
    const QRect area(39, 0, 81, 49);
    const QRect ink = InkBox(image, kFgOut, area);
    const QRect expected = ExpectedCaptionBox("Add", area);
    ASSERT_FALSE(ink.isNull());
    EXPECT_TRUE(expected.adjusted(-1, -1, 1, 1).contains(ink));
    EXPECT_NEAR(ink.center().x(), expected.center().x(), 2);
}

TEST_F(IconButtonTest, CaptionWithoutImageIsCentredAndWrapsAtWords) {
    button->setGeometry(10, 10, 70, 60);
    button->setText("Start the conversion");
    const QImage image = Render();
    const QRect ink = InkBox(image, kFgOut, QRect(0, 0, 70, 60));
    ASSERT_FALSE(ink.isNull());
    EXPECT_GT(ink.height(), QFontMetrics(button->font()).height());  // more than one line
    EXPECT_NEAR(ink.center().x(), 35, 3);
    EXPECT_NEAR(ink.center().y(), 30, 4);
}

TEST_F(IconButtonTest, PressedMovesImageAndCaptionOnePixel) {
    button->setText("Add");
    button->SetIcons(Solid(36, 36, kRed));
    Hover();
    const QImage hovered = Render();
    Leave(button);
    button->setDown(true);
    const QImage pressed = Render();
    EXPECT_EQ(InkBox(pressed, kRed, QRect(0, 0, 120, 49)), QRect(4, 7, 36, 36));
    const QRect area(41, 2, 76, 45);
    const QRect before = InkBox(hovered, kFgIn, area);
    ASSERT_FALSE(before.isNull());
    EXPECT_EQ(InkBox(pressed, kFgIn, area), before.translated(1, 1));
}

TEST_F(IconButtonTest, HoverImageWhileHoveredOrPressedNormalImageOtherwise) {
    button->SetIcons(Solid(36, 36, kRed), Solid(36, 36, kGreen));
    const QPoint inImage(50, 20);
    EXPECT_EQ(Pixel(Render(), inImage.x(), inImage.y()), kGreen);
    Hover();
    EXPECT_EQ(Pixel(Render(), inImage.x(), inImage.y()), kRed);
    Leave(button);
    button->setDown(true);
    EXPECT_EQ(Pixel(Render(), inImage.x(), inImage.y()), kRed);
}

TEST_F(IconButtonTest, HoverImageStandsInForMissingNormalImage) {
    button->SetIcons(Solid(36, 36, kRed));
    EXPECT_EQ(Pixel(Render(), 50, 20), kRed);
}

TEST_F(IconButtonTest, DisabledIconUsesPlatformDisabledRendering) {
    const QPixmap icon = Solid(36, 36, kRed);
    button->SetIcons(icon);
    button->setEnabled(false);
    QStyleOption option;
    option.initFrom(button);
    QImage expected =
        button->style()->generatedIconPixmap(QIcon::Disabled, icon, &option).toImage();
    QImage composed(36, 36, QImage::Format_RGB32);
    composed.fill(QColor(kBgOut));
    QPainter(&composed).drawImage(0, 0, expected);
    const QImage image = Render();
    EXPECT_NE(Pixel(image, 60, 24), kRed);
    EXPECT_EQ(Pixel(image, 60, 24), Pixel(composed, 18, 18));
}

TEST_F(IconButtonTest, BitmapTransparentColourShowsBackground) {
    const QRgb magenta = qRgb(255, 0, 255), white = qRgb(255, 255, 255);
    button->SetBitmaps(Framed(22, 4, magenta, kRed), magenta, Framed(22, 4, white, kGreen), white);
    // Normal state: the normal bitmap centred at (49, 13), its white frame see-through.
    QImage image = Render();
    EXPECT_EQ(InkBox(image, kGreen, QRect(0, 0, 120, 49)), QRect(53, 17, 14, 14));
    EXPECT_TRUE(InkBox(image, white, QRect(0, 0, 120, 49)).isNull());
    Hover();
    image = Render();
    EXPECT_EQ(InkBox(image, kRed, QRect(0, 0, 120, 49)), QRect(53, 17, 14, 14));
    EXPECT_TRUE(InkBox(image, magenta, QRect(0, 0, 120, 49)).isNull());
}

TEST_F(IconButtonTest, MnemonicIsUnderlinedNotShown) {
    button->setText("Add");
    const QImage plain = Render();
    button->setText("&Add");
    const QImage marked = Render();
    QRect changed;
    for (int y = 0; y < plain.height(); ++y) {
        for (int x = 0; x < plain.width(); ++x) {
            if (plain.pixel(x, y) != marked.pixel(x, y))
                changed |= QRect(x, y, 1, 1);
        }
    }
    ASSERT_FALSE(changed.isNull());
    EXPECT_LE(changed.height(), 2);  // a line under the letter, nothing else moved
    EXPECT_LT(changed.width(), QFontMetrics(button->font()).horizontalAdvance("Add"));
}

}  // namespace
