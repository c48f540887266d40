#include "controls/hyperlink.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QTextDocument>
#include <algorithm>

#include "controls/accessible.h"
#include "controls/focus_frame.h"
#include "controls/link_fit.h"
#include "controls/link_launch.h"
#include "platform/shell.h"

namespace {

constexpr int kFocusFrameRoom = 2;  // pixels

// A tooltip that shows the target as it is, even when it looks like markup.
QString PlainToolTip(const QString& text) {
    return Qt::mightBeRichText(text)
               ? QStringLiteral("<p style='white-space:pre'>%1</p>").arg(text.toHtmlEscaped())
               : text;
}

}  // namespace

CHyperLink::CHyperLink()
    : m_shell(&platform::DesktopShell()), m_fallback(&controls::SystemBrowserFallback()) {}

CHyperLink::~CHyperLink() {
    if (m_control) {
        m_control->removeEventFilter(this);
        if (QLabel* label = Label())
            controls::SetLinkOfLabel(*label, nullptr);
    }
}

QLabel* CHyperLink::Label() const {
    return qobject_cast<QLabel*>(m_control.data());
}

void CHyperLink::SetShell(platform::Shell* shell) {
    m_shell = shell != nullptr ? shell : &platform::DesktopShell();
}

void CHyperLink::SetBrowserFallback(controls::BrowserFallback* fallback) {
    m_fallback = fallback != nullptr ? fallback : &controls::SystemBrowserFallback();
}

void CHyperLink::SubclassDlgItem(QLabel* label) {
    if (label == nullptr || m_control == label)
        return;
    if (m_control) {
        m_control->removeEventFilter(this);
        if (QLabel* previous = Label())
            controls::SetLinkOfLabel(*previous, nullptr);
    }
    m_control = label;

    // A label that shows a URL opens it; an empty label shows its target.
    label->setTextFormat(Qt::PlainText);
    if (m_strLink.isEmpty())
        m_strLink = label->text();
    if (label->text().isEmpty())
        label->setText(m_strLink);

    m_fontLink = label->font();
    m_fontLink.setUnderline((m_dwOptions & OptionUnderline) != 0);
    label->setFont(m_fontLink);
    // Room around the text for the focus frame (and a glyph that overhangs its advance),
    // which fitting keeps.
    label->setMargin(std::max(label->margin(), kFocusFrameRoom));
    FitToText();

    if (!(m_dwOptions & OptionNoHandCursor))
        label->setCursor(Qt::PointingHandCursor);
    label->setToolTip(PlainToolTip(m_strLink));
    label->setMouseTracking(true);
    label->setAttribute(Qt::WA_TransparentForMouseEvents, false);
    // Reached with Tab; a click gives the focus only with OptionFocusOnClick.
    if (label->focusPolicy() == Qt::NoFocus)
        label->setFocusPolicy(Qt::TabFocus);
    label->installEventFilter(this);
    controls::SetLinkOfLabel(*label, this);
    Refresh();
}

void CHyperLink::FitToText() {
    QLabel* label = Label();
    if (label == nullptr || !(m_dwOptions & OptionFitToText))
        return;
    const QRect window = label->geometry();
    const QRect contents = label->contentsRect();
    const int margins = 2 * label->margin();
    const QSize allowance(window.width() - contents.width() + margins,
                          window.height() - contents.height() + margins);
    const QFontMetrics metrics(m_fontLink);
    const QSize text(metrics.horizontalAdvance(label->text()), metrics.height());
    const QRect fitted = controls::FitLinkRect(window, allowance, text, label->alignment());
    // Fixed, so that a layout keeps the clickable area to the text as well.
    label->setFixedSize(fitted.size());
    label->move(fitted.topLeft());
    label->update();
}

QRgb CHyperLink::CtlColor() const {
    if (m_bOverControl && (m_dwOptions & OptionHoverColor))
        return kHoverColor;
    if (m_bActive && !(m_dwOptions & OptionNoActiveColor))
        return kActiveColor;
    return m_bVisited ? kVisitedColor : kLinkColor;
}

void CHyperLink::Refresh() {
    QLabel* label = Label();
    if (label == nullptr)
        return;
    const QColor color(CtlColor());
    QPalette palette = label->palette();
    if (palette.color(QPalette::WindowText) != color) {
        palette.setColor(QPalette::WindowText, color);
        label->setPalette(palette);
    }
    label->update();
}

bool CHyperLink::eventFilter(QObject* watched, QEvent* event) {
    // Label() is null while the label is being destroyed: nothing to do for it then.
    if (watched != m_control.data() || Label() == nullptr)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::MouseMove:
            OnMouseMove(static_cast<QMouseEvent*>(event)->position().toPoint());
            return false;
        case QEvent::Leave:
            if (m_bOverControl) {
                m_bOverControl = false;
                Refresh();
            }
            return false;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:  // the second click of a double click is a click too
            if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton)
                return false;
            OnLButtonDown();
            return true;
        case QEvent::MouseButtonRelease: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() != Qt::LeftButton)
                return false;
            OnLButtonUp(mouse->position().toPoint());
            return true;
        }
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent*>(event)->key() != Qt::Key_Space)
                return false;
            OpenLink();
            return true;
        case QEvent::FocusIn:
            OnSetFocus();
            return false;
        case QEvent::FocusOut:
            OnKillFocus();
            return false;
        case QEvent::Paint:
            OnPaint(event);
            return true;
        default:
            return false;
    }
}

void CHyperLink::OnMouseMove(const QPoint& position) {
    const bool inside = Label()->rect().contains(position);
    if (inside == m_bOverControl)
        return;
    m_bOverControl = inside;
    Refresh();
}

void CHyperLink::OnLButtonDown() {
    if (m_dwOptions & OptionFocusOnClick)
        Label()->setFocus(Qt::MouseFocusReason);
    if (m_dwOptions & OptionOpenOnPress)
        OpenLink();
    m_bActive = true;
    Refresh();
}

void CHyperLink::OnLButtonUp(const QPoint& position) {
    // Opens only when released over the link: pressing on it and moving away cancels.
    QLabel* label = Label();
    if (m_bActive && !(m_dwOptions & OptionOpenOnPress) && label != nullptr &&
        label->rect().contains(position)) {
        OpenLink();
    }
}

void CHyperLink::OnSetFocus() {
    m_bActive = true;
    Refresh();
}

void CHyperLink::OnKillFocus() {
    m_bOverControl = false;
    m_bActive = false;
    Refresh();
}

void CHyperLink::OnPaint(QEvent* event) {
    QLabel* label = Label();
    // QObject::event is public: the label paints its text as it always does.
    static_cast<QObject*>(label)->event(event);
    if (!controls::ShowsFocusFrame(*label))
        return;
    QPainter painter(label);
    controls::DrawFocusFrame(painter, label->rect(), QColor(CtlColor()));
}

void CHyperLink::OpenLink() {
    const int result = controls::LaunchTarget(m_strLink.toStdString(), *m_shell, *m_fallback);
    if (result <= 32) {
        ReportOpenError(result);
        return;
    }
    m_bVisited = true;
    Refresh();
}

void CHyperLink::ReportOpenError(int code) {
    QLabel* label = Label();
    ShowOpenError(code, label != nullptr ? label->window() : nullptr);
}

int CHyperLink::LaunchTarget(const QString& target, int /*showCommand*/) {
    return controls::LaunchTarget(target.toStdString(), platform::DesktopShell(),
                                  controls::SystemBrowserFallback());
}

void CHyperLink::ShowOpenError(int code, QWidget* parent) {
    QApplication::beep();
    QMessageBox box(QMessageBox::Warning, QGuiApplication::applicationDisplayName(),
                    QString::fromStdString(controls::OpenErrorMessage(code)), QMessageBox::Ok,
                    parent);
    box.exec();
}
