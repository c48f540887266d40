// CIconButton: a flat push button that paints itself completely: a background by state, a
// one-pixel border only while hovered or pressed, an optional image left of the caption and
// the caption centred in what the image leaves.
#pragma once

#include <QPixmap>
#include <QPushButton>
#include <QRgb>
#include <QString>

namespace platform {
class Shell;
}

class CIconButton : public QPushButton {
    Q_OBJECT

public:
    enum ColorIndex {
        ColorBackgroundIn = 0,    // background while hovered or pressed
        ColorForegroundIn = 1,    // caption while hovered or pressed
        ColorBackgroundOut = 2,   // background in the normal state
        ColorForegroundOut = 3,   // caption in the normal state
        ColorBackgroundFocus = 4, // background while focused (neither hovered nor pressed)
        ColorForegroundFocus = 5, // caption in that state
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

    // Icons are read from the resource ":/icons/<id>.svg", bitmaps from ":/bitmaps/<id>.svg"
    // (rendered at their natural size). A normal id of 0 means no normal image.
    int LoadIcons(int hoverId, int hoverWidth, int hoverHeight, int normalId, int normalWidth,
                  int normalHeight);
    int SetIcons(const QPixmap& hover, const QPixmap& normal = QPixmap());
    int LoadBitmaps(int hoverId, QRgb hoverTransparent, int normalId, QRgb normalTransparent);
    int SetBitmaps(const QPixmap& hover, QRgb hoverTransparent, const QPixmap& normal = QPixmap(),
                   QRgb normalTransparent = 0);

    int SetStateColor(int index, QRgb color, bool repaint = true);
    int ShadeStateColor(int index, int shade, bool repaint = true);
    int ResetColors(bool repaint = true);
    QRgb StateColor(int index) const;

    void SetToolTipText(const QString* text, bool activate = true);
    void SetToolTipText(const QString& text, bool activate = true) { SetToolTipText(&text, activate); }

    // The web address opened on click (at most 259 bytes are kept).
    int SetLinkUrl(const char* url);
    const char* LinkUrl() const;

    // Where web addresses are opened; the desktop's opener unless replaced.
    void SetShell(platform::Shell* shell);

    // The dialog's default push button (Enter presses it).
    void SetDefault(bool isDefault);
    bool IsDefault() const;

    bool IsMouseOver() const;

    // ... painting and input handling are private; see icon_button.cpp.
};
