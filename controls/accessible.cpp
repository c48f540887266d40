#include "controls/accessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeySequence>
#include <QLabel>
#include <QPointer>
#include <QVariant>

#include "controls/hyperlink.h"
#include "controls/icon_button.h"

namespace controls {
namespace {

// The label property that names its CHyperLink.
constexpr char kLinkProperty[] = "vantrelHyperLink";

CHyperLink* LinkOf(const QLabel& label) {
    return qobject_cast<CHyperLink*>(label.property(kLinkProperty).value<QObject*>());
}

// Push button or link, decided at each question, so that setting an address later changes
// what the reader is told.
class IconButtonAccessible final : public QAccessibleWidget {
public:
    explicit IconButtonAccessible(CIconButton* button)
        : QAccessibleWidget(button, QAccessible::PushButton) {}

    QAccessible::Role role() const override {
        return IsLink() ? QAccessible::Link : QAccessible::PushButton;
    }

    QString text(QAccessible::Text t) const override {
        switch (t) {
            case QAccessible::Name:
                return Button()->accessibleName().isEmpty() ? WithoutMnemonics(Button()->text())
                                                            : Button()->accessibleName();
            case QAccessible::Value:
                return IsLink() ? QString::fromUtf8(Button()->LinkUrl()) : QString();
            case QAccessible::Description:
                return Button()->accessibleDescription().isEmpty()
                           ? Button()->ToolTipText()
                           : Button()->accessibleDescription();
            case QAccessible::Accelerator:
                return QKeySequence::mnemonic(Button()->text()).toString(QKeySequence::NativeText);
            default:
                return QAccessibleWidget::text(t);
        }
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.pressed = Button()->isDown();
        state.defaultButton = Button()->IsDefault();
        return state;
    }

    QStringList actionNames() const override {
        return QStringList(pressAction()) + QAccessibleWidget::actionNames();
    }

    void doAction(const QString& action) override {
        if (action != pressAction()) {
            QAccessibleWidget::doAction(action);
            return;
        }
        // Clicked after a short pressed look, once the caller has had its answer: a click
        // that opens a modal dialog would otherwise keep the assistive tool waiting until the
        // dialog closes.
        if (Button()->isEnabled())
            Button()->animateClick();
    }

    QStringList keyBindingsForAction(const QString& action) const override {
        if (action != pressAction())
            return QAccessibleWidget::keyBindingsForAction(action);
        const QKeySequence mnemonic = QKeySequence::mnemonic(Button()->text());
        return mnemonic.isEmpty() ? QStringList() : QStringList(mnemonic.toString());
    }

private:
    CIconButton* Button() const { return static_cast<CIconButton*>(widget()); }
    bool IsLink() const { return Button()->LinkUrl()[0] != '\0'; }
};

// A label that CHyperLink has made a link: named by its text, its value the target, visited
// once opened, and pressing it opens it.
class HyperLinkAccessible final : public QAccessibleWidget {
public:
    HyperLinkAccessible(QLabel* label, CHyperLink* link)
        : QAccessibleWidget(label, QAccessible::Link), link_(link) {}

    QAccessible::Role role() const override {
        return link_ ? QAccessible::Link : QAccessible::StaticText;
    }

    QString text(QAccessible::Text t) const override {
        const auto* label = static_cast<const QLabel*>(widget());
        switch (t) {
            case QAccessible::Name:
                return label->accessibleName().isEmpty() ? label->text() : label->accessibleName();
            case QAccessible::Value:
                return link_ ? link_->m_strLink : QString();
            case QAccessible::Description:
                // The tooltip shows the target; as text, not as the tooltip's markup.
                if (!label->accessibleDescription().isEmpty())
                    return label->accessibleDescription();
                return link_ ? link_->m_strLink : QString();
            default:
                return QAccessibleWidget::text(t);
        }
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.traversed = link_ && link_->IsVisited();
        return state;
    }

    QStringList actionNames() const override {
        QStringList names = QAccessibleWidget::actionNames();
        if (link_)
            names.prepend(pressAction());
        return names;
    }

    void doAction(const QString& action) override {
        if (action == pressAction() && link_)
            link_->OpenLink();
        else
            QAccessibleWidget::doAction(action);
    }

private:
    QPointer<CHyperLink> link_;
};

QAccessibleInterface* Factory(const QString& className, QObject* object) {
    if (className == QLatin1String("CIconButton")) {
        if (auto* button = qobject_cast<CIconButton*>(object))
            return new IconButtonAccessible(button);
    }
    if (className == QLatin1String("QLabel")) {
        auto* label = qobject_cast<QLabel*>(object);
        if (CHyperLink* link = label != nullptr ? LinkOf(*label) : nullptr)
            return new HyperLinkAccessible(label, link);
    }
    return nullptr;
}

}  // namespace

QString WithoutMnemonics(const QString& caption) {
    QString text;
    text.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&')) {
            if (++i == caption.size())
                break;  // a trailing "&" marks nothing
        }
        text += caption[i];
    }
    return text;
}

void InstallAccessibleFactory() {
    static const bool installed = [] {
        QAccessible::installFactory(&Factory);
        return true;
    }();
    (void)installed;
}

void SetLinkOfLabel(QLabel& label, CHyperLink* link) {
    InstallAccessibleFactory();
    label.setProperty(kLinkProperty, QVariant::fromValue<QObject*>(link));
    if (link == nullptr)
        return;  // a link interface made before turns into static text by itself
    // Interfaces are made once per object and kept: one made while the label was plain text
    // would go on saying so.
    QAccessibleInterface* existing = QAccessible::queryAccessibleInterface(&label);
    if (existing != nullptr && existing->role() != QAccessible::Link)
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(existing));
}

}  // namespace controls
