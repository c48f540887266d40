#include "controls/icon_button.h"

#include <QApplication>
#include <QEvent>
#include <QFocusEvent>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QStyle>
#include <QStyleOption>
#include <QToolTip>

#include <cstring>

#include "controls/accessible.h"
#include "controls/focus_frame.h"
#include "controls/hyperlink.h"
#include "controls/image_layout.h"
#include "controls/shade.h"
#include "controls/tooltip_text.h"
#include "platform/shell.h"

namespace {

constexpr int kColorCount = 6;
constexpr std::size_t kUrlCapacity = 260;  // bytes, with the terminating zero
// The focus frame lies inside the one-pixel border, with a pixel between them.
constexpr int kFocusFrameInset = 2;

// The longest prefix of `text` of at most `limit` bytes that does not end inside a UTF-8
// character, so a cut address never carries half a character.
std::size_t Utf8PrefixLength(const char* text, std::size_t limit) {
    std::size_t length = ::strnlen(text, limit + 1);
    if (length <= limit)
        return length;
    length = limit;
    while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) --length;
    return length;
}

// An image resource by id: the SVG, else a PNG of the same id; null when there is neither.
QImage ReadResourceImage(const QString& folder, int id, const QSize& size) {
    for (const char* suffix : {".svg", ".png"}) {
        QImageReader reader(QStringLiteral(":/%1/%2%3").arg(folder).arg(id).arg(suffix));
        if (!reader.canRead())
            continue;
        if (size.isValid())
            reader.setScaledSize(size);
        QImage image = reader.read();
        if (!image.isNull())
            return image;
    }
    return QImage();
}

// The bitmap with every pixel of the transparent colour made see-through, so that painting is
// a single copy. Null when the pixmap cannot be read.
QPixmap MaskTransparent(const QPixmap& bitmap, QRgb transparent) {
    QImage image = bitmap.toImage().convertToFormat(QImage::Format_ARGB32);
    if (image.isNull())
        return QPixmap();
    const QRgb key = transparent & RGB_MASK;
    for (int y = 0; y < image.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((line[x] & RGB_MASK) == key)
                line[x] = 0;
        }
    }
    QPixmap masked = QPixmap::fromImage(image);
    masked.setDevicePixelRatio(bitmap.devicePixelRatio());
    return masked;
}

QSize LogicalSize(const QPixmap& pixmap) {
    return pixmap.deviceIndependentSize().toSize();
}

}  // namespace

CIconButton::CIconButton(QWidget* parent)
    : QPushButton(parent), m_shell(&platform::DesktopShell()) {
    controls::InstallAccessibleFactory();
    m_systemPalette = QApplication::palette(this);
    ResetColors(false);
    // The button's own click handling comes first: connected here, before any dialog can
    // connect to the same signal.
    connect(this, &QAbstractButton::clicked, this, &CIconButton::OnClicked);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

CIconButton::~CIconButton() = default;

// ---- Images -------------------------------------------------------------------------------

int CIconButton::LoadIcons(int hoverId, int hoverWidth, int hoverHeight, int normalId,
                           int normalWidth, int normalHeight) {
    const QPixmap hover =
        QPixmap::fromImage(ReadResourceImage("icons", hoverId, QSize(hoverWidth, hoverHeight)));
    QPixmap normal;
    if (normalId != 0) {
        normal = QPixmap::fromImage(
            ReadResourceImage("icons", normalId, QSize(normalWidth, normalHeight)));
    }
    return SetIcons(hover, normal);
}

int CIconButton::SetIcons(const QPixmap& hover, const QPixmap& normal) {
    FreeImages();
    if (!hover.isNull()) {
        m_icons[0] = {hover, DisabledPixmap(hover)};
        if (!normal.isNull())
            m_icons[1] = {normal, DisabledPixmap(normal)};
    }
    update();
    return ResultOk;
}

int CIconButton::LoadBitmaps(int hoverId, QRgb hoverTransparent, int normalId,
                             QRgb normalTransparent) {
    const QPixmap hover = QPixmap::fromImage(ReadResourceImage("bitmaps", hoverId, QSize()));
    QPixmap normal;
    if (normalId != 0)
        normal = QPixmap::fromImage(ReadResourceImage("bitmaps", normalId, QSize()));
    return SetBitmaps(hover, hoverTransparent, normal, normalTransparent);
}

int CIconButton::SetBitmaps(const QPixmap& hover, QRgb hoverTransparent, const QPixmap& normal,
                            QRgb normalTransparent) {
    FreeImages();
    const QPixmap* sources[2] = {&hover, &normal};
    const QRgb transparents[2] = {hoverTransparent, normalTransparent};
    for (int i = 0; i < 2; ++i) {
        if (sources[i]->isNull())
            break;  // no hover image: no images at all
        const QPixmap masked = MaskTransparent(*sources[i], transparents[i]);
        if (masked.isNull()) {
            FreeImages();
            update();
            return ResultMaskFailed;
        }
        m_bitmaps[i] = {masked, DisabledPixmap(masked), transparents[i]};
    }
    update();
    return ResultOk;
}

void CIconButton::FreeImages() {
    for (int i = 0; i < 2; ++i) {
        m_icons[i] = IconImage();
        m_bitmaps[i] = BitmapImage();
    }
}

QPixmap CIconButton::DisabledPixmap(const QPixmap& pixmap) const {
    QStyleOption option;
    option.initFrom(this);
    return style()->generatedIconPixmap(QIcon::Disabled, pixmap, &option);
}

QPixmap CIconButton::Icon(int index) const {
    return index == 0 || index == 1 ? m_icons[index].icon : QPixmap();
}

QPixmap CIconButton::Bitmap(int index) const {
    return index == 0 || index == 1 ? m_bitmaps[index].bitmap : QPixmap();
}

// ---- Colours ------------------------------------------------------------------------------

int CIconButton::SetStateColor(int index, QRgb color, bool repaint) {
    if (index < 0 || index >= kColorCount)
        return ResultBadColorIndex;
    m_crColors[index] = color;
    Invalidate(repaint);
    return ResultOk;
}

int CIconButton::ShadeStateColor(int index, int shade, bool repaint) {
    if (index < 0 || index >= kColorCount)
        return ResultBadColorIndex;
    if (shade < -255 || shade > 255)
        return ResultBadShade;
    m_crColors[index] = controls::ShadeColor(m_crColors[index], shade);
    Invalidate(repaint);
    return ResultOk;
}

int CIconButton::ResetColors(bool repaint) {
    const QRgb face = palette().color(QPalette::Active, QPalette::Button).rgb();
    const QRgb text = palette().color(QPalette::Active, QPalette::ButtonText).rgb();
    m_crColors[ColorBackgroundIn] = m_crColors[ColorBackgroundOut] =
        m_crColors[ColorBackgroundFocus] = face;
    m_crColors[ColorForegroundIn] = m_crColors[ColorForegroundOut] =
        m_crColors[ColorForegroundFocus] = text;
    Invalidate(repaint);
    return ResultOk;
}

QRgb CIconButton::StateColor(int index) const {
    return index >= 0 && index < kColorCount ? m_crColors[index] : 0;
}

void CIconButton::Invalidate(bool repaint) {
    if (repaint)
        update();
}

// ---- Tooltip, address, default ------------------------------------------------------------

void CIconButton::SetToolTipText(const QString* text, bool activate) {
    if (text == nullptr)
        return;
    m_strToolTip = *text;
    m_bToolTipActive = activate;
    setToolTip(activate ? controls::WrapToolTip(m_strToolTip, QFontMetrics(QToolTip::font()))
                        : QString());
}

int CIconButton::SetLinkUrl(const char* url) {
    std::memset(m_szUrl, 0, sizeof m_szUrl);
    if (url != nullptr)
        std::memcpy(m_szUrl, url, Utf8PrefixLength(url, kUrlCapacity - 1));
    return ResultOk;
}

const char* CIconButton::LinkUrl() const {
    return m_szUrl;
}

void CIconButton::SetShell(platform::Shell* shell) {
    m_shell = shell != nullptr ? shell : &platform::DesktopShell();
}

void CIconButton::SetDefault(bool isDefault) {
    m_bDefault = isDefault;
    QPushButton::setDefault(isDefault);
}

bool CIconButton::IsDefault() const {
    return m_bDefault;
}

bool CIconButton::IsMouseOver() const {
    return m_bMouseOver;
}

// ---- Input --------------------------------------------------------------------------------

void CIconButton::OnClicked() {
    setFocus(Qt::OtherFocusReason);
    if (m_szUrl[0] == '\0')
        return;
    // Above 32 is success; anything else means no desktop program could open the address.
    const int result = m_shell->Open(m_szUrl);
    if (result <= 32)
        ReportOpenError(result);
}

void CIconButton::ReportOpenError(int code) {
    CHyperLink::ShowOpenError(code, window());
}

void CIconButton::mouseMoveEvent(QMouseEvent* event) {
    QPushButton::mouseMoveEvent(event);
    OnMouseMove(event->position().toPoint(), event->buttons());
}

void CIconButton::OnMouseMove(const QPoint& position, Qt::MouseButtons buttons) {
    // A pointer that arrives with the left button held (a drag from elsewhere) does not light
    // the button up.
    if ((buttons & Qt::LeftButton) && !m_bMouseOver)
        return;
    if (rect().contains(position) && isEnabled()) {
        if (!m_bMouseOver) {
            m_bMouseOver = true;
            update();
        }
    } else {
        CancelHover();
    }
}

void CIconButton::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second click of a double click counts as a click of its own.
    if (event->button() == Qt::LeftButton && !isDown()) {
        mousePressEvent(event);
        return;
    }
    QPushButton::mouseDoubleClickEvent(event);
}

void CIconButton::leaveEvent(QEvent* event) {
    QPushButton::leaveEvent(event);
    CancelHover();
}

void CIconButton::focusOutEvent(QFocusEvent* event) {
    QPushButton::focusOutEvent(event);
    CancelHover();
}

bool CIconButton::event(QEvent* event) {
    // The tooltip shows only while it is activated.
    if (event->type() == QEvent::ToolTip && !m_bToolTipActive) {
        event->ignore();
        return true;
    }
    // A grab taken by a popup or menu cancels what the pointer was doing.
    if (event->type() == QEvent::UngrabMouse)
        CancelHover();
    const bool handled = QPushButton::event(event);
    // The system's colours changed: the dialog's own colours give way to them. A palette that
    // only comes with a new parent leaves them alone.
    const QEvent::Type type = event->type();
    if (type == QEvent::PaletteChange || type == QEvent::ApplicationPaletteChange) {
        const QPalette system = QApplication::palette(this);
        if (!(system == m_systemPalette)) {
            m_systemPalette = system;
            ResetColors(true);
        }
    }
    return handled;
}

void CIconButton::changeEvent(QEvent* event) {
    QPushButton::changeEvent(event);
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        OnDisabled();
}

void CIconButton::OnDisabled() {
    // The focus moves on to the next control in tab order, or to the parent when there is none.
    QWidget* next = nextInFocusChain();
    while (next != nullptr && next != this) {
        if (next->window() == window() && !next->isWindow() && next->isEnabled() &&
            next->isVisibleTo(window()) && (next->focusPolicy() & Qt::TabFocus)) {
            break;
        }
        next = next->nextInFocusChain();
    }
    if (next != nullptr && next != this)
        next->setFocus(Qt::TabFocusReason);
    else if (parentWidget() != nullptr)
        parentWidget()->setFocus(Qt::OtherFocusReason);
    CancelHover();
}

void CIconButton::CancelHover() {
    if (!m_bMouseOver)
        return;
    m_bMouseOver = false;
    update();
}

// ---- Painting -----------------------------------------------------------------------------

void CIconButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    DrawItem(painter, rect());
}

void CIconButton::DrawItem(QPainter& painter, const QRect& item) {
    m_bPressed = isDown();
    m_bFocused = hasFocus();
    m_bDisabled = !isEnabled();

    DrawBackground(painter, item);
    DrawBorder(painter, item);

    const QString caption = text();
    const bool hasCaption = !caption.isEmpty();
    QRect captionRect = item;
    if (!m_icons[0].icon.isNull())
        DrawIconImage(painter, hasCaption, item, captionRect, m_bPressed, m_bDisabled);
    if (!m_bitmaps[0].bitmap.isNull())
        DrawBitmapImage(painter, hasCaption, item, captionRect, m_bPressed, m_bDisabled);
    if (hasCaption)
        DrawCaptionText(painter, caption, item, captionRect, m_bPressed, m_bDisabled);
    if (controls::ShowsFocusFrame(*this)) {
        const int inset = kFocusFrameInset;
        controls::DrawFocusFrame(painter, item.adjusted(inset, inset, -inset, -inset),
                                 QColor(CaptionColor()));
    }
}

int CIconButton::DrawBackground(QPainter& painter, const QRect& rect) {
    QRgb color = m_crColors[ColorBackgroundOut];
    if (m_bMouseOver || m_bPressed)
        color = m_crColors[ColorBackgroundIn];
    else if (m_bFocused)
        color = m_crColors[ColorBackgroundFocus];
    painter.fillRect(rect, QColor(color));
    return 0;
}

int CIconButton::DrawBorder(QPainter& painter, const QRect& rect) {
    if (!m_bPressed && !m_bMouseOver)
        return 0;
    const QColor shadow = palette().color(QPalette::Active, QPalette::Dark);
    const QColor highlight = palette().color(QPalette::Active, QPalette::Light);
    const QColor topLeft = m_bPressed ? shadow : highlight;
    const QColor bottomRight = m_bPressed ? highlight : shadow;
    const int x = rect.left();
    const int y = rect.top();
    const int w = rect.width();
    const int h = rect.height();
    // A two-colour frame: top and left stop one pixel short, so the top-right and bottom-left
    // corners take the bottom-right colour.
    painter.fillRect(x, y, w - 1, 1, topLeft);
    painter.fillRect(x, y, 1, h - 1, topLeft);
    painter.fillRect(x + w - 1, y, 1, h, bottomRight);
    painter.fillRect(x, y + h - 1, w, 1, bottomRight);
    return 0;
}

int CIconButton::ChosenImage(bool hasNormal) const {
    if (m_bPressed || m_bMouseOver)
        return 0;
    return hasNormal ? 1 : 0;
}

int CIconButton::DrawIconImage(QPainter& painter, bool hasCaption, const QRect& item,
                               QRect& caption, bool pressed, bool disabled) {
    const IconImage& image = m_icons[ChosenImage(!m_icons[1].icon.isNull())];
    const controls::ImagePlacement placement =
        controls::PlaceImage(item, LogicalSize(image.icon), hasCaption, pressed);
    painter.drawPixmap(placement.image.topLeft(), disabled ? image.disabled : image.icon);
    if (hasCaption)
        caption.setLeft(placement.caption.left());
    return 0;
}

int CIconButton::DrawBitmapImage(QPainter& painter, bool hasCaption, const QRect& item,
                                 QRect& caption, bool pressed, bool disabled) {
    const BitmapImage& image = m_bitmaps[ChosenImage(!m_bitmaps[1].bitmap.isNull())];
    const controls::ImagePlacement placement =
        controls::PlaceImage(item, LogicalSize(image.bitmap), hasCaption, pressed);
    painter.drawPixmap(placement.image.topLeft(), disabled ? image.disabled : image.bitmap);
    if (hasCaption)
        caption.setLeft(placement.caption.left());
    return 0;
}

int CIconButton::DrawCaptionText(QPainter& painter, const QString& text, const QRect&,
                                 QRect& caption, bool pressed, bool disabled) {
    if (pressed)
        caption.translate(1, 1);
    const int flags = Qt::AlignHCenter | Qt::TextWordWrap | Qt::TextShowMnemonic;
    const QRect area = caption;
    const QSize box = painter.fontMetrics().boundingRect(area, flags, text).size();
    caption = controls::CentreIn(area, box);
    // Laid out again across the whole area (AlignHCenter keeps it centred): the measured box
    // is rounded, and a line that needs a fraction more than it would wrap when drawn.
    const QRect line(area.left(), caption.top(), area.width(), caption.height());
    if (disabled) {
        // Engraved: the highlight one pixel right and down, the shadow on top.
        painter.setPen(palette().color(QPalette::Active, QPalette::Light));
        painter.drawText(line.translated(1, 1), flags, text);
        painter.setPen(palette().color(QPalette::Active, QPalette::Dark));
        painter.drawText(line, flags, text);
        return 0;
    }
    painter.setPen(QColor(CaptionColor()));
    painter.drawText(line, flags, text);
    return 0;
}

QRgb CIconButton::CaptionColor() const {
    if (m_bMouseOver || m_bPressed)
        return m_crColors[ColorForegroundIn];
    if (m_bFocused)
        return m_crColors[ColorForegroundFocus];
    return m_crColors[ColorForegroundOut];
}
