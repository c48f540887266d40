// Tooltip text that wraps at a fixed width instead of running across the screen.
#pragma once

#include <QFontMetrics>
#include <QString>

namespace controls {

inline constexpr int kToolTipMaxWidth = 400;

// The tooltip markup for a plain `text`. A text whose lines all fit into `maxWidth` pixels (in
// the tooltip font `metrics`) stays as it is; a longer one becomes rich text in a table cell of
// that width, so the tooltip wraps it at word breaks. Markup in the text is shown literally.
QString WrapToolTip(const QString& text, const QFontMetrics& metrics,
                    int maxWidth = kToolTipMaxWidth);

}  // namespace controls
