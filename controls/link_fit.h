// The geometry of a link label fitted to its text; pure arithmetic.
#pragma once

#include <QRect>
#include <QSize>
#include <Qt>

namespace controls {

// `window` is the label's rectangle in its parent, `allowance` what its frame and margins add
// to the text area, `text` the size of its text in the link font. Horizontally a centred label
// keeps its centre, a right-aligned one its right edge, any other its left edge; vertically a
// centred label keeps its centre, a bottom-aligned one its bottom, any other its top. Halves
// round toward zero. The result is the fitted rectangle including the allowance.
QRect FitLinkRect(const QRect& window, const QSize& allowance, const QSize& text,
                  Qt::Alignment alignment);

}  // namespace controls
