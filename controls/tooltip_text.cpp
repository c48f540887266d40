#include "controls/tooltip_text.h"

#include <QStringList>
#include <QTextDocument>
#include <Qt>

namespace controls {

QString WrapToolTip(const QString& text, const QFontMetrics& metrics, int maxWidth) {
    bool fits = true;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        if (metrics.horizontalAdvance(line) > maxWidth)
            fits = false;
    }
    // The tooltip guesses rich text from the text itself; keep plain texts plain.
    if (fits && !Qt::mightBeRichText(text))
        return text;
    QString html = text.toHtmlEscaped();
    html.replace(QLatin1Char('\n'), QLatin1String("<br>"));
    if (fits)
        return QStringLiteral("<p style='white-space:pre'>%1</p>").arg(html);
    return QStringLiteral(
               "<table width='%1' cellspacing='0' cellpadding='0'><tr><td>%2</td></tr></table>")
        .arg(QString::number(maxWidth), html);
}

}  // namespace controls
