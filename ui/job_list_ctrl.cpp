#include "ui/job_list_ctrl.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPainter>
#include <QPen>
#include <algorithm>

#include "ui/hls_color.h"
#include "ui/job_columns.h"

namespace {

// A selected row's rectangle starts 2 pixels in from the row's left; cell texts 6 pixels in
// from their cell's left.
constexpr int kFrameIndent = 2;
constexpr int kTextIndent = 6;

// The selected row's fill: the highlight colour made 75 % lighter, saturation unchanged.
QColor SelectedRowFill(const QColor& highlight) {
    const ui::ColorRef tint =
        ui::AdjustLightSat(ui::Rgb(highlight.red(), highlight.green(), highlight.blue()), 75, 0);
    return QColor(ui::RedOf(tint), ui::GreenOf(tint), ui::BlueOf(tint));
}

}  // namespace

CJobListCtrl::CJobListCtrl(QWidget* parent) : QTreeWidget(parent) {}

void CJobListCtrl::drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                           const QModelIndex& index) const {
    if (OnCustomdrawJobList(painter, option, index))
        return;
    if (const QTreeWidgetItem* item = itemFromIndex(index))
        DrawProgress(painter, option, *item);
    QTreeWidget::drawRow(painter, option, index);
}

void CJobListCtrl::DrawProgress(QPainter* painter, const QStyleOptionViewItem& option,
                                const QTreeWidgetItem& item) const {
    const QVariant progress = item.data(ui::kColumnStatus, kProgressRole);
    if (!progress.isValid())
        return;
    const QRect cell(columnViewportPosition(ui::kColumnStatus), option.rect.top(),
                     columnWidth(ui::kColumnStatus), option.rect.height());
    const int filled = cell.width() * std::clamp(progress.toInt(), 0, 100) / 100;
    const QColor highlight = palette().color(QPalette::Active, QPalette::Highlight);
    painter->fillRect(QRect(cell.left(), cell.top() + 1, filled, cell.height() - 2),
                      SelectedRowFill(highlight).darker(115));
}

bool CJobListCtrl::OnCustomdrawJobList(QPainter* painter, const QStyleOptionViewItem& option,
                                       const QModelIndex& index) const {
    QTreeWidgetItem* item = itemFromIndex(index);
    if (item == nullptr)
        return false;

    // Insertions at the top and removals shift rows, so the number follows the position. Only a
    // changed text is written: the write asks for one more paint, which then finds it equal.
    const QString number = QString::number(index.row() + 1);
    if (item->text(0) != number)
        item->setText(0, number);

    if (!selectionModel()->isSelected(index.siblingAtColumn(0)))
        return false;
    DrawSelectedRow(painter, option, *item);
    return true;
}

void CJobListCtrl::DrawSelectedRow(QPainter* painter, const QStyleOptionViewItem& option,
                                   const QTreeWidgetItem& item) const {
    // The system's highlight colour whatever the focus, as the selection it stands for.
    const QColor highlight = palette().color(QPalette::Active, QPalette::Highlight);
    const int top = option.rect.top();
    const int height = option.rect.height();

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);

    // The whole row across the columns, less its first two pixels: filled, then outlined on
    // its outermost pixels.
    QRect frame(-header()->offset(), top, header()->length(), height);
    frame.setLeft(frame.left() + kFrameIndent);
    if (frame.isValid()) {
        painter->fillRect(frame, SelectedRowFill(highlight));
        painter->setPen(QPen(highlight, 1));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(frame.adjusted(0, 0, -1, -1));
    }

    DrawProgress(painter, option, item);

    // The normal text colour stays readable on the light tint.
    painter->setPen(palette().color(QPalette::Active, QPalette::Text));
    painter->setFont(option.font);
    const QFontMetrics metrics(option.font);
    for (int column = 0; column < columnCount(); ++column) {
        if (isColumnHidden(column))
            continue;
        QRect cell(columnViewportPosition(column), top, columnWidth(column), height);
        cell.setLeft(cell.left() + kTextIndent);
        if (cell.width() <= 0)
            continue;
        // Plain text: no mnemonic prefixes, so an "&" in a path shows as it is.
        const QString text = metrics.elidedText(item.text(column), Qt::ElideRight, cell.width());
        painter->drawText(cell, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
    }
    painter->restore();
}
