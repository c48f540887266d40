// The job list's drawing, on the main window's own list: rows numbered by position after
// insertions at the top and removals, and selected rows drawn as an outlined, tinted rectangle
// with the cell texts 6 pixels in, on one line, elided in the middle.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QImage>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>
#include <memory>
#include <optional>

#include "controls/icon_button.h"
#include "fake_ui_services.h"
#include "support/settings_env.h"
#include "ui/contrast.h"
#include "ui/converter_dlg.h"
#include "ui/job_columns.h"
#include "ui/job_list_ctrl.h"

namespace {

using testing_support::FakeUiServices;
using testing_support::SettingsEnv;

const QColor kHighlight(49, 106, 197);
const QColor kTint(202, 218, 241);  // kHighlight 75 % lighter
const QColor kText(160, 0, 0);      // a text colour no part of the list uses otherwise

// A pixel that differs clearly from the background: part of a glyph.
bool IsInk(QColor pixel, QColor background) {
    return std::abs(pixel.red() - background.red()) + std::abs(pixel.green() - background.green()) +
               std::abs(pixel.blue() - background.blue()) >
           60;
}

class JobListDrawingTest : public ::testing::Test {
protected:
    JobListDrawingTest() {
        dlg_ = std::make_unique<CConverterDlg>(nullptr, &services_);
        list_ = dlg_->m_listJobs;
        QPalette palette = list_->palette();
        palette.setColor(QPalette::Highlight, kHighlight);
        palette.setColor(QPalette::Text, kText);
        list_->setPalette(palette);
        dlg_->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dlg_.get()));
    }

    // Inserts a row as Add does: at `index`, the zero-based index written into "NO.".
    QTreeWidgetItem* InsertRow(int index, const QString& name, const QString& length = {}) {
        auto* item =
            new QTreeWidgetItem(QStringList{QString::number(index), name, length, "flv", "Ready"});
        list_->insertTopLevelItem(index, item);
        return item;
    }
    QImage Paint() const { return list_->viewport()->grab().toImage(); }
    QRect RowRect(int row) const {
        const QRect first = list_->visualRect(list_->model()->index(row, 0));
        return QRect(0, first.top(), list_->header()->length(), first.height());
    }
    QRect CellRect(int row, int column) const {
        return list_->visualRect(list_->model()->index(row, column));
    }
    QColor Base() const { return list_->palette().color(QPalette::Base); }
    QStringList Numbers() const {
        QStringList numbers;
        for (int row = 0; row < list_->topLevelItemCount(); ++row)
            numbers << list_->topLevelItem(row)->text(0);
        return numbers;
    }
    // The leftmost column of `area` holding a glyph pixel, if any.
    static std::optional<int> FirstInkColumn(const QImage& image, const QRect& area, QColor bg) {
        for (int x = area.left(); x <= area.right(); ++x)
            for (int y = area.top(); y <= area.bottom(); ++y)
                if (IsInk(image.pixelColor(x, y), bg))
                    return x;
        return std::nullopt;
    }
    static std::optional<int> LastInkColumn(const QImage& image, const QRect& area, QColor bg) {
        for (int x = area.right(); x >= area.left(); --x)
            for (int y = area.top(); y <= area.bottom(); ++y)
                if (IsInk(image.pixelColor(x, y), bg))
                    return x;
        return std::nullopt;
    }
    // Every pixel of `area` that is not `expected`, described; empty when there is none.
    static QString PixelsOtherThan(const QImage& image, const QRect& area, QColor expected) {
        QString found;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (image.pixelColor(x, y) != expected && found.size() < 200)
                    found += QStringLiteral("(%1,%2)=%3 ")
                                 .arg(x)
                                 .arg(y)
                                 .arg(image.pixelColor(x, y).name());
        return found;
    }

    SettingsEnv env_;
    FakeUiServices services_;
    std::unique_ptr<CConverterDlg> dlg_;
    QTreeWidget* list_ = nullptr;
};

TEST_F(JobListDrawingTest, SelectedRowIsATintedRectangleOutlinedInTheHighlightTwoPixelsIn) {
    for (int i = 0; i < 3; ++i) InsertRow(i, QStringLiteral("clip%1.avi").arg(i));
    list_->topLevelItem(1)->setSelected(true);
    const QImage image = Paint();
    const QRect row = RowRect(1);
    ASSERT_LT(row.right(), image.width()) << "the whole row must be on screen";

    // Outline on the rectangle's outermost pixels, from x = 2 to the last column's end.
    const QRect frame(row.left() + 2, row.top(), row.width() - 2, row.height());
    EXPECT_EQ(
        PixelsOtherThan(image, QRect(frame.left(), frame.top(), frame.width(), 1), kHighlight), "");
    EXPECT_EQ(
        PixelsOtherThan(image, QRect(frame.left(), frame.bottom(), frame.width(), 1), kHighlight),
        "");
    EXPECT_EQ(
        PixelsOtherThan(image, QRect(frame.left(), frame.top(), 1, frame.height()), kHighlight),
        "");
    EXPECT_EQ(
        PixelsOtherThan(image, QRect(frame.right(), frame.top(), 1, frame.height()), kHighlight),
        "");
    // Inside, where no text lies (the empty Length cell): the tint and nothing else.
    const QRect length = CellRect(1, ui::kColumnLength);
    EXPECT_EQ(
        PixelsOtherThan(
            image, QRect(length.left(), row.top() + 1, length.width(), row.height() - 2), kTint),
        "");
    // The first two pixels of the row keep the list's background.
    EXPECT_EQ(PixelsOtherThan(image, QRect(row.left(), row.top(), 2, row.height()), Base()), "");
}

TEST_F(JobListDrawingTest, EachSelectedRowIsDrawnAndUnselectedRowsAreNotTinted) {
    for (int i = 0; i < 4; ++i) InsertRow(i, QStringLiteral("clip%1.avi").arg(i));
    list_->topLevelItem(0)->setSelected(true);
    list_->topLevelItem(1)->setSelected(true);
    list_->topLevelItem(3)->setSelected(true);
    const QImage image = Paint();

    // Adjacent selected rows each have their own outline: the first's bottom, the second's top.
    const int x = CellRect(0, ui::kColumnLength).center().x();
    EXPECT_EQ(image.pixelColor(x, RowRect(0).bottom()), kHighlight);
    EXPECT_EQ(image.pixelColor(x, RowRect(1).top()), kHighlight);
    EXPECT_EQ(image.pixelColor(x, RowRect(1).center().y()), kTint);
    EXPECT_EQ(image.pixelColor(x, RowRect(3).center().y()), kTint);

    // The unselected row is the list's own: its empty cells show the plain background.
    const QRect length = CellRect(2, ui::kColumnLength);
    EXPECT_EQ(PixelsOtherThan(image, length, Base()), "");
    EXPECT_FALSE(IsInk(image.pixelColor(2, RowRect(2).center().y()), Base()));
}

TEST_F(JobListDrawingTest, TintFollowsTheHighlightColour) {
    InsertRow(0, QStringLiteral("clip.avi"));
    list_->topLevelItem(0)->setSelected(true);
    const struct {
        QColor highlight, tint;
    } cases[] = {
        {QColor(10, 36, 106), QColor(163, 186, 246)},
        {QColor(0, 120, 215), QColor(181, 222, 255)},
        {QColor(0, 0, 0), QColor(191, 191, 191)},
        {QColor(255, 255, 255), QColor(255, 255, 255)},
    };
    for (const auto& c : cases) {
        QPalette palette = list_->palette();
        palette.setColor(QPalette::Highlight, c.highlight);
        list_->setPalette(palette);
        const QImage image = Paint();
        const QPoint inside(CellRect(0, ui::kColumnLength).center().x(), RowRect(0).center().y());
        EXPECT_EQ(image.pixelColor(inside), c.tint) << c.highlight.name().toStdString();
        EXPECT_EQ(image.pixelColor(inside.x(), RowRect(0).top()), c.highlight)
            << c.highlight.name().toStdString();
    }
}

TEST_F(JobListDrawingTest, CellTextsStartSixPixelsInVerticallyCentredInTheTextColour) {
    InsertRow(0, QStringLiteral("HHHH.avi"), QStringLiteral("Hh:00"));
    list_->topLevelItem(0)->setSelected(true);
    const QImage image = Paint();
    const QRect row = RowRect(0);

    for (int column : {ui::kColumnNo, ui::kColumnName, ui::kColumnLength, ui::kColumnTarget,
                       ui::kColumnStatus}) {
        const QRect cell = CellRect(0, column);
        // Right of the outline's left edge, inside its top and bottom edges.
        const int left = std::max(cell.left(), row.left() + 3);
        const QRect inner(left, row.top() + 1, cell.right() + 1 - left, row.height() - 2);
        const std::optional<int> first = FirstInkColumn(image, inner, kTint);
        ASSERT_TRUE(first.has_value()) << "no text in column " << column;
        EXPECT_GE(*first - cell.left(), 6) << "column " << column;
        // "1" has a wide left bearing; the letters start at once.
        EXPECT_LE(*first - cell.left(), column == ui::kColumnNo ? 12 : 8) << "column " << column;
    }

    // Drawn in the list's text colour, its ink centred on the row.
    const QRect name = CellRect(0, ui::kColumnName);
    int inkTop = row.bottom(), inkBottom = row.top();
    bool textColoured = false;
    for (int y = row.top() + 1; y < row.bottom(); ++y) {
        for (int x = name.left(); x <= name.right(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (!IsInk(pixel, kTint))
                continue;
            inkTop = std::min(inkTop, y);
            inkBottom = std::max(inkBottom, y);
            textColoured = textColoured || (pixel.red() > 130 && pixel.green() < 60);
        }
    }
    EXPECT_TRUE(textColoured);
    EXPECT_LE(std::abs((inkTop + inkBottom) - (row.top() + row.bottom())), 6)
        << "ink from " << inkTop << " to " << inkBottom << " in row " << row.top() << ".."
        << row.bottom();
}

TEST_F(JobListDrawingTest, TextTooLongForItsCellIsElidedInTheMiddleInsideTheCell) {
    const QString longName =
        QStringLiteral("/home/user/Videos/") + QString(80, QChar('W')) + QStringLiteral(".avi");
    QTreeWidgetItem* item = InsertRow(0, longName);
    item->setSelected(true);
    const QRect name = CellRect(0, ui::kColumnName);
    const QImage cut = Paint();

    // Nothing spills into the next, empty cell.
    const QRect length = CellRect(0, ui::kColumnLength);
    const QRect row = RowRect(0);
    EXPECT_EQ(
        PixelsOtherThan(cut, QRect(length.left(), row.top() + 1, length.width(), row.height() - 2),
                        kTint),
        "");

    // The same as the text shortened in its middle to the room 6 pixels in leaves: the start
    // of the path and the file's extension stay.
    const QString elided =
        QFontMetrics(list_->font()).elidedText(longName, Qt::ElideMiddle, name.width() - 6);
    ASSERT_TRUE(elided.contains(QChar(0x2026)) && elided.endsWith(".avi")) << elided.toStdString();
    item->setText(ui::kColumnName, elided);
    EXPECT_EQ(cut.copy(name), Paint().copy(name));
}

TEST_F(JobListDrawingTest, AmpersandInAPathIsDrawnAsItIs) {
    QTreeWidgetItem* item = InsertRow(0, QStringLiteral("MM.avi"));
    item->setSelected(true);
    const QRect cell = CellRect(0, ui::kColumnName);
    const QRect name(cell.left(), cell.top() + 1, cell.width(), cell.height() - 2);
    const std::optional<int> plainEnd = LastInkColumn(Paint(), name, kTint);

    item->setText(ui::kColumnName, QStringLiteral("M&M.avi"));
    const std::optional<int> ampersandEnd = LastInkColumn(Paint(), name, kTint);

    ASSERT_TRUE(plainEnd && ampersandEnd);
    EXPECT_GE(*ampersandEnd - *plainEnd,
              QFontMetrics(list_->font()).horizontalAdvance(QChar('&')) - 1);
}

TEST_F(JobListDrawingTest, NumbersFollowPositionsAfterInsertingAtTheTopAndRemoving) {
    // A first Add of two files, then a second Add putting one file above them.
    InsertRow(0, QStringLiteral("a.avi"));
    InsertRow(1, QStringLiteral("b.avi"));
    Paint();
    EXPECT_EQ(Numbers(), (QStringList{"1", "2"}));

    InsertRow(0, QStringLiteral("c.avi"));
    Paint();
    EXPECT_EQ(Numbers(), (QStringList{"1", "2", "3"}));
    EXPECT_EQ(list_->topLevelItem(0)->text(1), QStringLiteral("c.avi"));

    delete list_->takeTopLevelItem(1);
    Paint();
    EXPECT_EQ(Numbers(), (QStringList{"1", "2"}));
    EXPECT_EQ(list_->topLevelItem(1)->text(1), QStringLiteral("b.avi"));

    // Selected rows are numbered too.
    list_->topLevelItem(0)->setSelected(true);
    InsertRow(0, QStringLiteral("d.avi"));
    Paint();
    EXPECT_EQ(Numbers(), (QStringList{"1", "2", "3"}));
}

TEST_F(JobListDrawingTest, NumberingSettlesAfterOnePaint) {
    for (int i = 0; i < 3; ++i) InsertRow(0, QStringLiteral("clip%1.avi").arg(i));
    list_->topLevelItem(1)->setSelected(true);
    QSignalSpy changes(list_->model(), &QAbstractItemModel::dataChanged);
    Paint();
    EXPECT_GT(changes.count(), 0);

    // Once the numbers agree, painting writes nothing more, so no paint asks for another.
    changes.clear();
    Paint();
    QApplication::processEvents();
    Paint();
    EXPECT_EQ(changes.count(), 0);
}

TEST_F(JobListDrawingTest, SelectedRowUnderTheKeyboardFocusGetsNoFocusFrame) {
    for (int i = 0; i < 3; ++i) InsertRow(i, QStringLiteral("clip%1.avi").arg(i));
    QApplication::setActiveWindow(dlg_.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(dlg_.get()));
    // Without the outermost pixels, where the list marks its own focus.
    auto rowImage = [&](int row) { return Paint().copy(RowRect(row).adjusted(1, 0, -1, 0)); };

    // The list's own focus frame shows on an unselected current row, so the test can see one.
    list_->setCurrentItem(list_->topLevelItem(1), 0, QItemSelectionModel::NoUpdate);
    dlg_->m_btnQuit->setFocus();
    const QImage unfocused = rowImage(1);
    list_->setFocus();
    ASSERT_TRUE(list_->hasFocus());
    ASSERT_NE(rowImage(1), unfocused) << "no focus frame to compare with";

    // A selected current row looks the same with and without the focus.
    list_->setCurrentItem(list_->topLevelItem(1), 0,
                          QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    ASSERT_TRUE(list_->topLevelItem(1)->isSelected());
    const QImage focused = rowImage(1);
    dlg_->m_btnQuit->setFocus();
    ASSERT_FALSE(list_->hasFocus());
    EXPECT_EQ(focused, rowImage(1));

    // The list as a whole shows that the keyboard is in it, along the rows' edge.
    const QImage without = Paint();
    list_->setFocus();
    const QImage with = Paint();
    EXPECT_NE(with.copy(0, 0, 1, with.height()), without.copy(0, 0, 1, without.height()));
}

}  // namespace

// The bar stands out from the row by at least 3:1.
TEST_F(JobListDrawingTest, AJobConvertingBesideOthersShowsItsProgressBehindItsStatus) {
    for (const bool selected : {false, true}) {
        list_->clear();
        QTreeWidgetItem* item = InsertRow(0, "/in/a.avi");
        item->setData(ui::kColumnStatus, CJobListCtrl::kProgressRole, 50);
        item->setText(ui::kColumnStatus, QString());
        item->setSelected(selected);
        const QImage image = Paint();
        const QRect cell = CellRect(0, ui::kColumnStatus);
        const int y = cell.center().y();
        const QColor done = image.pixelColor(cell.left() + cell.width() / 4, y);
        const QColor left = image.pixelColor(cell.left() + cell.width() * 3 / 4, y);
        EXPECT_EQ(left, selected ? kTint : Base()) << "selected " << selected;
        EXPECT_GE(ui::ContrastRatio(ui::Rgb(done.red(), done.green(), done.blue()),
                                    ui::Rgb(left.red(), left.green(), left.blue())),
                  ui::kControlContrast)
            << "selected " << selected;

        item->setData(ui::kColumnStatus, CJobListCtrl::kProgressRole, QVariant());
        const QImage ended = Paint();
        EXPECT_EQ(ended.pixelColor(cell.left() + cell.width() / 4, y),
                  ended.pixelColor(cell.left() + cell.width() * 3 / 4, y));
    }
}
