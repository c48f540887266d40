// AnchorLayout: the layout of a sizable dialog built from a template. Every control keeps the
// pixel rectangle the template gave it at the template's size; when the dialog grows, each of
// the control's edges that is anchored to the right or bottom edge of the dialog moves with
// that edge, and the other edges stay where they were. So a control anchored left and right
// stretches, one anchored right only moves, and one anchored top-left stays put.
#pragma once

#include <QFlags>
#include <QLayout>
#include <QList>
#include <QRect>
#include <QSize>

namespace ui {

enum class Anchor : unsigned {
    Left = 0x1,
    Top = 0x2,
    Right = 0x4,
    Bottom = 0x8,
};
Q_DECLARE_FLAGS(Anchors, Anchor)
Q_DECLARE_OPERATORS_FOR_FLAGS(Anchors)

// Keeps place and size whatever the dialog's size.
inline constexpr Anchors kStayTopLeft = Anchors(Anchor::Left) | Anchor::Top;

// Where a control anchored by `anchors` whose rectangle is `base` at the dialog's base size
// lies when the dialog is `grown` pixels wider and taller than that. An edge not anchored on
// either side (neither Left nor Right) counts as anchored left, likewise top.
QRect AnchoredRect(const QRect& base, Anchors anchors, const QSize& grown);

class AnchorLayout final : public QLayout {
public:
    // `baseSize` is the dialog's client size at which the controls have their base rectangles;
    // it is also the layout's minimum and preferred size.
    AnchorLayout(QWidget* dialog, const QSize& baseSize);
    ~AnchorLayout() override;

    // `control` is a child of the dialog, `base` its rectangle at the base size.
    void AddControl(QWidget* control, const QRect& base, Anchors anchors);

    void addItem(QLayoutItem* item) override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    int count() const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    Qt::Orientations expandingDirections() const override;
    void setGeometry(const QRect& rect) override;

private:
    struct Entry {
        QLayoutItem* item;
        QRect base;
        Anchors anchors;
    };
    QSize baseSize_;
    QList<Entry> entries_;
};

}  // namespace ui
