// CJobListCtrl: the main window's job list, a tree widget used as a report-style list. It takes
// part in its own drawing the way the list's custom-draw handler (OnCustomdrawJobList) did:
// every row painted gets its "NO." cell set to its one-based position, and a selected row is
// drawn here as an outlined rectangle in the highlight colour, filled with a light tint of it,
// with the cell texts over it, long ones elided in the middle. Unselected rows are the tree
// widget's own drawing. A job that converts beside others shows its own progress as a bar
// behind its Status text.
#pragma once

#include <QTreeWidget>

class CJobListCtrl : public QTreeWidget {
    Q_OBJECT

public:
    // The Status cell's data under this role: the running job's per cent, or nothing.
    static constexpr int kProgressRole = Qt::UserRole + 1;
    // The Name cell's data under this role: the target the user agreed the row may write.
    static constexpr int kConfirmedTargetRole = Qt::UserRole + 2;

    explicit CJobListCtrl(QWidget* parent = nullptr);

protected:
    // Over a Name or Target cell without a tooltip of its own: the whole path.
    bool viewportEvent(QEvent* event) override;
    // A dotted frame along the rows' edge while the keyboard has brought the focus here: the
    // list's own focus mark shows only on an unselected current row, so an empty list or a
    // selected current row would not show where the focus is.
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                 const QModelIndex& index) const override;

private:
    // The item pre-paint stage of one row: numbers it, and draws it when it is selected.
    // Returns true when the row is drawn, false when the list should draw it.
    bool OnCustomdrawJobList(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const;
    void DrawSelectedRow(QPainter* painter, const QStyleOptionViewItem& option,
                         const QTreeWidgetItem& item) const;
    // The bar of a row's own progress, across the filled part of its Status cell.
    // `background` is the row's, which the bar stands out from.
    void DrawProgress(QPainter* painter, const QStyleOptionViewItem& option,
                      const QTreeWidgetItem& item, const QColor& background) const;
};
