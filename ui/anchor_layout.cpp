#include "ui/anchor_layout.h"

#include <QWidget>
#include <QWidgetItem>

namespace ui {

QRect AnchoredRect(const QRect& base, Anchors anchors, const QSize& grown) {
    QRect rect = base;
    const auto shift = [](Anchors a, Anchor low, Anchor high, int delta, int& first, int& last) {
        if (!a.testFlag(high))
            return;
        if (!a.testFlag(low))
            first += delta;  // moves along with the far edge
        last += delta;
    };
    int left = rect.left();
    int right = rect.left() + rect.width();
    int top = rect.top();
    int bottom = rect.top() + rect.height();
    shift(anchors, Anchor::Left, Anchor::Right, grown.width(), left, right);
    shift(anchors, Anchor::Top, Anchor::Bottom, grown.height(), top, bottom);
    rect.setRect(left, top, right - left, bottom - top);
    return rect;
}

AnchorLayout::AnchorLayout(QWidget* dialog, const QSize& baseSize)
    : QLayout(dialog), baseSize_(baseSize) {
    setContentsMargins(0, 0, 0, 0);
    setSizeConstraint(QLayout::SetMinimumSize);
}

AnchorLayout::~AnchorLayout() {
    for (const Entry& entry : entries_) delete entry.item;
}

void AnchorLayout::AddControl(QWidget* control, const QRect& base, Anchors anchors) {
    addChildWidget(control);
    entries_.append({new QWidgetItem(control), base, anchors});
    control->setGeometry(base);
    invalidate();
}

void AnchorLayout::addItem(QLayoutItem* item) {
    // Items come with their anchors through AddControl; one added otherwise stays top-left.
    const QRect base = item->widget() != nullptr ? item->widget()->geometry() : item->geometry();
    entries_.append({item, base, kStayTopLeft});
}

QLayoutItem* AnchorLayout::itemAt(int index) const {
    return index >= 0 && index < entries_.size() ? entries_[index].item : nullptr;
}

QLayoutItem* AnchorLayout::takeAt(int index) {
    if (index < 0 || index >= entries_.size())
        return nullptr;
    return entries_.takeAt(index).item;
}

int AnchorLayout::count() const {
    return static_cast<int>(entries_.size());
}

QSize AnchorLayout::sizeHint() const {
    return baseSize_;
}

QSize AnchorLayout::minimumSize() const {
    return baseSize_;
}

Qt::Orientations AnchorLayout::expandingDirections() const {
    return Qt::Horizontal | Qt::Vertical;
}

void AnchorLayout::setGeometry(const QRect& rect) {
    QLayout::setGeometry(rect);
    // Below the base size (the window manager may insist) the controls keep their base places.
    const QSize grown = (rect.size() - baseSize_).expandedTo(QSize(0, 0));
    for (const Entry& entry : entries_) {
        // The widget itself, not QWidgetItem::setGeometry: that would trim the rectangle to the
        // style's layout margins and the control's size hints, and the template's pixels are
        // what counts.
        const QRect placed =
            AnchoredRect(entry.base, entry.anchors, grown).translated(rect.topLeft());
        if (QWidget* widget = entry.item->widget())
            widget->setGeometry(placed);
        else
            entry.item->setGeometry(placed);
    }
}

}  // namespace ui
