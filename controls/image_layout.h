// Where an icon button puts its image and caption; pure arithmetic on rectangles.
#pragma once

#include <QRect>
#include <QSize>

namespace controls {

// Gap between the button's left edge and the image, and between the image and the caption.
inline constexpr int kImageMargin = 3;

struct ImagePlacement {
    QRect image;    // where the image is drawn, at its own size
    QRect caption;  // what is left for the caption (before the pressed offset)
};

// With a caption the image sits kImageMargin pixels inside the left edge and the caption area
// starts kImageMargin pixels right of it; without one the image is centred horizontally. The
// image is centred vertically; halves round toward zero. Pressed moves the image 1 right and
// 1 down (the caption gets its own offset when it is drawn).
ImagePlacement PlaceImage(const QRect& item, const QSize& image, bool hasCaption, bool pressed);

// The bounding box of a caption of `text` size centred in `area`, halves rounding toward zero.
QRect CentreIn(const QRect& area, const QSize& text);

}  // namespace controls
