// Where Vantrel's artwork lives in the program's resources.
#pragma once

#include <QString>

namespace res {

// ":/icons/<id>.svg": drawn to any size.
QString IconPath(int id);

// ":/bitmaps/<id>.svg": an opaque image at the SVG's own size.
QString BitmapPath(int id);

}  // namespace res
