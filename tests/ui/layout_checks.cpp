#include "layout_checks.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOptionComboBox>

#include "controls/icon_button.h"

namespace testing_support {
namespace {

QString NameOf(const QWidget* widget) {
    QString name = widget->objectName();
    if (name.isEmpty()) {
        if (auto* label = qobject_cast<const QLabel*>(widget))
            name = label->text();
    }
    return QString::fromLatin1(widget->metaObject()->className()) + QLatin1Char(' ') + name;
}

QString WithoutMnemonic(QString text) {
    text.remove(QRegularExpression(QStringLiteral("&(?!&)")));
    return text;
}

int ImageWidth(const CIconButton& button) {
    if (!button.Icon(1).isNull())
        return button.Icon(1).width();
    if (!button.Icon(0).isNull())
        return button.Icon(0).width();
    if (!button.Bitmap(1).isNull())
        return button.Bitmap(1).width();
    if (!button.Bitmap(0).isNull())
        return button.Bitmap(0).width();
    return -1;
}

int ClosedTextWidth(const QComboBox& combo) {
    QStyleOptionComboBox option;
    option.initFrom(&combo);
    option.editable = combo.isEditable();
    return combo.style()
        ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, &combo)
        .width();
}

QList<QWidget*> Controls(const QWidget& dialog) {
    QList<QWidget*> controls;
    for (QWidget* child : dialog.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (!child->isWindow())
            controls << child;
    }
    return controls;
}

}  // namespace

QStringList ClippedTexts(const QWidget& dialog) {
    QStringList problems;
    for (QWidget* control : Controls(dialog)) {
        const QFontMetrics metrics(control->font());
        const auto complain = [&](const QString& text, int need, int have) {
            problems << QStringLiteral("%1: \"%2\" needs %3 px, has %4")
                            .arg(NameOf(control), text)
                            .arg(need)
                            .arg(have);
        };
        if (metrics.height() > control->height() && !qobject_cast<QGroupBox*>(control)) {
            complain(QStringLiteral("(height)"), metrics.height(), control->height());
        }
        if (auto* label = qobject_cast<QLabel*>(control); label && label->pixmap().isNull()) {
            const int need = metrics.horizontalAdvance(label->text());
            if (need > label->contentsRect().width())
                complain(label->text(), need, label->width());
        } else if (auto* iconButton = qobject_cast<CIconButton*>(control)) {
            const QString text = WithoutMnemonic(iconButton->text());
            const int image = ImageWidth(*iconButton);
            // The image sits 3 px inside, the caption area starts 3 px right of it.
            const int need = metrics.horizontalAdvance(text) + (image < 0 ? 2 : 3 + image + 3 + 1);
            if (need > iconButton->width())
                complain(text, need, iconButton->width());
        } else if (auto* button = qobject_cast<QPushButton*>(control)) {
            const int need = button->sizeHint().width() -
                             button->style()->pixelMetric(QStyle::PM_ButtonMargin) * 2 +
                             metrics.horizontalAdvance(QLatin1Char(' '));
            if (need > button->width())
                complain(button->text(), need, button->width());
        } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
            const int need = metrics.horizontalAdvance(combo->currentText());
            const int have = ClosedTextWidth(*combo);
            if (need > have)
                complain(combo->currentText(), need, have);
        } else if (auto* box = qobject_cast<QGroupBox*>(control); box && !box->title().isEmpty()) {
            const int need = metrics.horizontalAdvance(box->title()) + 2 * metrics.height();
            if (need > box->width())
                complain(box->title(), need, box->width());
        }
    }
    return problems;
}

QStringList EntriesThatDoNotFit(const QComboBox& combo) {
    QStringList problems;
    const QFontMetrics metrics(combo.font());
    for (int i = 0; i < combo.count(); ++i) {
        const int need = metrics.horizontalAdvance(combo.itemText(i));
        if (need > ClosedTextWidth(combo)) {
            problems << QStringLiteral("\"%1\" needs %2 px, has %3")
                            .arg(combo.itemText(i))
                            .arg(need)
                            .arg(ClosedTextWidth(combo));
        }
    }
    return problems;
}

QStringList Overlaps(const QWidget& dialog) {
    QStringList problems;
    const QList<QWidget*> controls = Controls(dialog);
    QList<QWidget*> frames;
    QList<QWidget*> others;
    for (QWidget* control : controls) {
        (qobject_cast<QGroupBox*>(control) ? frames : others) << control;
        if (!dialog.rect().contains(control->geometry())) {
            problems << NameOf(control) + QStringLiteral(" leaves the dialog");
        }
    }
    for (int i = 0; i < others.size(); ++i) {
        for (int j = i + 1; j < others.size(); ++j) {
            if (others[i]->geometry().intersects(others[j]->geometry())) {
                problems << NameOf(others[i]) + QStringLiteral(" overlaps ") + NameOf(others[j]);
            }
        }
    }
    for (QWidget* frame : frames) {
        for (QWidget* control : others) {
            const QRect f = frame->geometry();
            const QRect c = control->geometry();
            if (c.intersects(f) && !f.adjusted(1, 1, -1, -1).contains(c)) {
                problems << NameOf(control) + QStringLiteral(" crosses the frame ") + NameOf(frame);
            }
        }
    }
    return problems;
}

}  // namespace testing_support
