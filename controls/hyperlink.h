// CHyperLink: turns a label into a clickable link that opens its target.
#pragma once

#include <QFont>
#include <QObject>
#include <QPointer>
#include <QRgb>
#include <QString>
#include <QWidget>

class QLabel;
class QWidget;

namespace platform {
class Shell;
}
namespace controls {
class BrowserFallback;
}

class CHyperLink : public QObject {
    Q_OBJECT

public:
    // Option bits (m_dwOptions).
    enum Option : unsigned int {
        OptionUnderline = 0x01,      // the link font is underlined
        OptionHoverColor = 0x02,     // the hover colour while the pointer is over the link
        OptionFitToText = 0x04,      // the label is fitted to its text when attached
        OptionOpenOnPress = 0x08,    // opens when the button goes down (else when it comes up)
        OptionFocusOnClick = 0x10,   // a click gives the label the keyboard focus
        OptionNoHandCursor = 0x20,   // the pointer keeps its cursor over the link
        OptionNoActiveColor = 0x40,  // the active colour is never used
    };
    static constexpr unsigned int kDefaultOptions = 0x15;

    // Text colours shared by every link.
    static constexpr QRgb kLinkColor = 0xFF0000FF;     // RGB(0, 0, 255), not yet visited
    static constexpr QRgb kActiveColor = 0xFF008080;   // RGB(0, 128, 128)
    static constexpr QRgb kVisitedColor = 0xFF800080;  // RGB(128, 0, 128)
    static constexpr QRgb kHoverColor = 0xFFFF0000;    // RGB(255, 0, 0)

    CHyperLink();
    ~CHyperLink() override;

    // The URL or path that is opened; also the tooltip. Set before attaching.
    QString m_strLink;
    // Option bits; set before attaching to change them.
    unsigned int m_dwOptions = kDefaultOptions;

    // Attaches to a label of a dialog: link colours, underlined font, fitted size, hand cursor,
    // tooltip, opening on click or Space. The label becomes a tab stop, shows a dotted focus
    // frame in the link's colour while it has the keyboard focus, and reads as a link to
    // screen readers.
    void SubclassDlgItem(QLabel* label);

    // Where targets are opened; the desktop's opener unless replaced.
    void SetShell(platform::Shell* shell);
    // Where a browser is looked for when the desktop's opener fails; the system's unless
    // replaced.
    void SetBrowserFallback(controls::BrowserFallback* fallback);

    // Opens the link target; marks the link visited on success, reports a failure.
    void OpenLink();
    // Resizes the label to its text (only with OptionFitToText).
    void FitToText();
    // The colour the text has in the current state.
    QRgb CtlColor() const;

    bool IsActive() const { return m_bActive; }
    bool IsOverControl() const { return m_bOverControl; }
    bool IsVisited() const { return m_bVisited; }
    const QFont& LinkFont() const { return m_fontLink; }

    // Opens `target` with the desktop's opener, else with the browser's own command. More than
    // 32 on success, otherwise a failure code. (`showCommand` is kept for callers that pass the
    // way a window is shown; the desktop decides that here.)
    static int LaunchTarget(const QString& target, int showCommand);
    // The warning for a failed open: a beep and a message box with the reason for `code`.
    static void ShowOpenError(int code, QWidget* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // How a failed open is reported; the message box unless a subclass says otherwise.
    virtual void ReportOpenError(int code);

private:
    void OnMouseMove(const QPoint& position);
    void OnLButtonDown();
    void OnLButtonUp(const QPoint& position);
    void OnSetFocus();
    void OnKillFocus();
    // The label's own painting, then the focus frame over its outermost pixels.
    void OnPaint(QEvent* event);
    void Refresh();
    QLabel* Label() const;

    bool m_bActive = false;
    bool m_bOverControl = false;
    bool m_bVisited = false;
    QFont m_fontLink;
    // The attached label, held as a widget: while it is being destroyed it is no label any more.
    QPointer<QWidget> m_control;
    platform::Shell* m_shell;
    controls::BrowserFallback* m_fallback;
};
