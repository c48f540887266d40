// Where Vantrel's artwork lives in the program's resources.
#pragma once

#include <QIcon>
#include <QString>
#include <vector>

namespace res {

// ":/icons/<id>.png": the icon at 256 pixels, for readers that scale it themselves.
QString IconPath(int id);

// The icon with an image for each size it was rendered at, so small sizes stay sharp.
QIcon Icon(int id);

// The sizes every icon was rendered at, besides 256.
const std::vector<int>& IconSizes();

// ":/bitmaps/<id>.png": an opaque image at the bitmap's own size.
QString BitmapPath(int id);

}  // namespace res
