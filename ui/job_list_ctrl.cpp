#include "ui/job_list_ctrl.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QHelpEvent>
#include <QItemSelectionModel>
#include <QPainter>
#include <QPen>
#include <QToolTip>
#include <algorithm>

#include "controls/focus_frame.h"
#include "controls/tooltip_text.h"
#include "ui/contrast.h"
#include "ui/hls_color.h"
#include "ui/job_columns.h"

namespace {

// A selected row's rectangle starts 2 pixels in from the row's left; cell texts 6 pixels in
// from their cell's left.
constexpr int kFrameIndent = 2;
constexpr int kTextIndent = 6;

ui::ColorRef ToColorRef(const QColor& color) {
    return ui::Rgb(color.red(), color.green(), color.blue());
}

QColor ToQColor(ui::ColorRef color) {
    return QColor(ui::RedOf(color), ui::GreenOf(color), ui::BlueOf(color));
}

// The selected row's fill: the highlight colour made 75 % lighter, saturation unchanged.
QColor SelectedRowFill(const QColor& highlight) {
    return ToQColor(ui::AdjustLightSat(ToColorRef(highlight), 75, 0));
}

// The Name and Target cells hold paths.
bool HoldsPath(int column) {
    return column == ui::kColumnName || column == ui::kColumnTarget;
}

}  // namespace

CJobListCtrl::CJobListCtrl(QWidget* parent) : QTreeWidget(parent) {
    // A long path keeps its start and its file name; the tooltip and the accessible text
    // (the cell's own text) hold all of it.
    setTextElideMode(Qt::ElideMiddle);
}

bool CJobListCtrl::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QModelIndex index = indexAt(help->pos());
        const QString path = index.data().toString();
        // A tooltip of the row's own (a Status reason) takes precedence.
        if (index.isValid() && HoldsPath(index.column()) && !path.isEmpty() &&
            index.data(Qt::ToolTipRole).toString().isEmpty()) {
            QToolTip::showText(help->globalPos(),
                               controls::WrapToolTip(path, QFontMetrics(QToolTip::font())),
                               viewport(), visualRect(index));
            return true;
        }
    }
    return QTreeWidget::viewportEvent(event);
}

void CJobListCtrl::paintEvent(QPaintEvent* event) {
    QTreeWidget::paintEvent(event);
    if (!controls::ShowsFocusFrame(*this))
        return;
    QPainter painter(viewport());
    controls::DrawFocusFrame(painter, viewport()->rect(),
                             palette().color(QPalette::Active, QPalette::Text));
}

void CJobListCtrl::focusInEvent(QFocusEvent* event) {
    QTreeWidget::focusInEvent(event);
    viewport()->update();
}

void CJobListCtrl::focusOutEvent(QFocusEvent* event) {
    QTreeWidget::focusOutEvent(event);
    viewport()->update();
}

void CJobListCtrl::drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                           const QModelIndex& index) const {
    if (OnCustomdrawJobList(painter, option, index))
        return;
    if (const QTreeWidgetItem* item = itemFromIndex(index))
        DrawProgress(painter, option, *item, palette().color(QPalette::Active, QPalette::Base));
    QTreeWidget::drawRow(painter, option, index);
}

void CJobListCtrl::DrawProgress(QPainter* painter, const QStyleOptionViewItem& option,
                                const QTreeWidgetItem& item, const QColor& background) const {
    const QVariant progress = item.data(ui::kColumnStatus, kProgressRole);
    if (!progress.isValid())
        return;
    const QRect cell(columnViewportPosition(ui::kColumnStatus), option.rect.top(),
                     columnWidth(ui::kColumnStatus), option.rect.height());
    const int filled = cell.width() * std::clamp(progress.toInt(), 0, 100) / 100;
    // Behind the Status word: the highlight colour made just dark or light enough to stand out
    // from the row by 3:1 and keep the word readable over it.
    const QColor highlight = palette().color(QPalette::Active, QPalette::Highlight);
    const QColor text = palette().color(QPalette::Active, QPalette::Text);
    const ui::ColorRef bar =
        ui::BarColor(ToColorRef(highlight), ToColorRef(background), ToColorRef(text));
    painter->fillRect(QRect(cell.left(), cell.top() + 1, filled, cell.height() - 2), ToQColor(bar));
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

    DrawProgress(painter, option, item, SelectedRowFill(highlight));

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
        const QString text = metrics.elidedText(item.text(column), textElideMode(), cell.width());
        painter->drawText(cell, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
    }
    painter->restore();
}
