#include "controls/image_layout.h"

namespace controls {

ImagePlacement PlaceImage(const QRect& item, const QSize& image, bool hasCaption, bool pressed) {
    ImagePlacement placement{QRect(), item};
    int left = 0;
    if (hasCaption) {
        left = item.left() + kImageMargin;
        placement.caption.setLeft(item.left() + image.width() + kImageMargin);
    } else {
        left = item.left() + (item.width() - image.width()) / 2;
    }
    const int top = item.top() + (item.height() - image.height()) / 2;
    placement.image = QRect(QPoint(left, top), image);
    if (pressed)
        placement.image.translate(1, 1);
    return placement;
}

QRect CentreIn(const QRect& area, const QSize& text) {
    return QRect(QPoint(area.left() + (area.width() - text.width()) / 2,
                        area.top() + (area.height() - text.height()) / 2),
                 text);
}

}  // namespace controls
