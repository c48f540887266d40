// CIconButton: a flat push button that paints itself completely: a background by state, a
// one-pixel border only while hovered or pressed, an optional image left of the caption and
// the caption centred in what the image leaves; a dotted focus frame while it has the keyboard
// focus.
#pragma once

#include <QPalette>
#include <QPixmap>
#include <QPushButton>
#include <QRect>
#include <QRgb>
#include <QString>

class QPainter;

namespace platform {
class Shell;
}

class CIconButton : public QPushButton {
    Q_OBJECT

public:
    enum ColorIndex {
        ColorBackgroundIn = 0,     // background while hovered or pressed
        ColorForegroundIn = 1,     // caption while hovered or pressed
        ColorBackgroundOut = 2,    // background in the normal state
        ColorForegroundOut = 3,    // caption in the normal state
        ColorBackgroundFocus = 4,  // background while focused (neither hovered nor pressed)
        ColorForegroundFocus = 5,  // caption in that state
    };

    // Results of the set-up operations.
    enum Result {
        ResultOk = 0,
        ResultInvalidImage = 1,
        ResultMaskFailed = 2,
        ResultBadColorIndex = 3,
        ResultBadShade = 5,
    };

    explicit CIconButton(QWidget* parent = nullptr);
    ~CIconButton() override;

    // Icons are read from the resource ":/icons/<id>.svg" or ".png", bitmaps from
    // ":/bitmaps/<id>.svg" or ".png", at their natural size (an SVG needs Qt's SVG plugin). A
    // normal id of 0 means no normal image. Setting one kind of image drops the other kind. A
    // null hover image means no image at all; a null normal image means the hover image is
    // shown in every state.
    // Bitmaps have their transparent colour made see-through once, here, not at each paint.
    // (A pixmap's size can always be read, so ResultInvalidImage does not occur.)
    int LoadIcons(int hoverId, int hoverWidth, int hoverHeight, int normalId, int normalWidth,
                  int normalHeight);
    int SetIcons(const QPixmap& hover, const QPixmap& normal = QPixmap());
    int LoadBitmaps(int hoverId, QRgb hoverTransparent, int normalId, QRgb normalTransparent);
    int SetBitmaps(const QPixmap& hover, QRgb hoverTransparent, const QPixmap& normal = QPixmap(),
                   QRgb normalTransparent = 0);

    // Index outside 0..5: ResultBadColorIndex. Shade outside -255..255: ResultBadShade. The
    // shade is added to every channel alike, limited so that none leaves 0..255.
    int SetStateColor(int index, QRgb color, bool repaint = true);
    int ShadeStateColor(int index, int shade, bool repaint = true);
    // The palette's Button and ButtonText colours; also run when the system palette changes.
    int ResetColors(bool repaint = true);
    QRgb StateColor(int index) const;

    // A null text changes nothing. Long tips wrap at 400 pixels; an inactive tip never shows.
    void SetToolTipText(const QString* text, bool activate = true);
    void SetToolTipText(const QString& text, bool activate = true) {
        SetToolTipText(&text, activate);
    }
    // The tooltip's plain text while it is activated, else empty.
    QString ToolTipText() const { return m_bToolTipActive ? m_strToolTip : QString(); }

    // The web address opened on click (at most 259 bytes are kept, never half a UTF-8
    // character); null or empty means none. A button with an address reads as a link to
    // screen readers, with the address as its value.
    int SetLinkUrl(const char* url);
    const char* LinkUrl() const;

    // Where web addresses are opened; the desktop's opener unless replaced.
    void SetShell(platform::Shell* shell);

    // The dialog's default push button (Enter presses it).
    void SetDefault(bool isDefault);
    bool IsDefault() const;

    bool IsMouseOver() const;

    // The images in use: index 0 is the hover image, 1 the normal image (null when none).
    QPixmap Icon(int index) const;
    QPixmap Bitmap(int index) const;

protected:
    // One paint: snapshots the state, then background, border, icon, bitmap and caption.
    virtual void DrawItem(QPainter& painter, const QRect& item);
    virtual int DrawBackground(QPainter& painter, const QRect& rect);
    virtual int DrawBorder(QPainter& painter, const QRect& rect);
    // The image steps narrow `caption` to what the image leaves when there is a caption.
    virtual int DrawIconImage(QPainter& painter, bool hasCaption, const QRect& item, QRect& caption,
                              bool pressed, bool disabled);
    virtual int DrawBitmapImage(QPainter& painter, bool hasCaption, const QRect& item,
                                QRect& caption, bool pressed, bool disabled);
    virtual int DrawCaptionText(QPainter& painter, const QString& text, const QRect& item,
                                QRect& caption, bool pressed, bool disabled);

    // How an address that could not be opened is reported (`code` is the shell's, 32 or
    // less): a beep and the message box of CHyperLink, unless a subclass says otherwise.
    virtual void ReportOpenError(int code);

    // Qt's virtuals, bridged to the handlers of the button.
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

    // What the painting reads; the three state flags are set at the start of every paint.
    bool m_bMouseOver = false;
    bool m_bPressed = false;
    bool m_bFocused = false;
    bool m_bDisabled = false;
    bool m_bDefault = false;
    QRgb m_crColors[6] = {};

private:
    struct IconImage {
        QPixmap icon;      // null: none
        QPixmap disabled;  // the platform's disabled rendering, made when set
    };
    struct BitmapImage {
        QPixmap bitmap;    // transparent colour already masked out
        QPixmap disabled;  // the platform's disabled rendering, made when set
        QRgb transparent = 0;
    };

    void OnClicked();
    void OnMouseMove(const QPoint& position, Qt::MouseButtons buttons);
    void OnDisabled();
    void CancelHover();
    void FreeImages();
    QPixmap DisabledPixmap(const QPixmap& pixmap) const;
    int ChosenImage(bool hasNormal) const;
    QRgb CaptionColor() const;
    void Invalidate(bool repaint);

    QPalette m_systemPalette;  // the application's palette the colours were last reset from
    QString m_strToolTip;
    bool m_bToolTipActive = false;
    char m_szUrl[260] = {};
    IconImage m_icons[2];
    BitmapImage m_bitmaps[2];
    platform::Shell* m_shell;
};
