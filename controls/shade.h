// Lightening or darkening a colour by the same amount on every channel.
#pragma once

#include <QRgb>

namespace controls {

// Adds `shade` to red, green and blue alike, limited so that no channel leaves 0..255: a
// positive shade stops where the brightest channel reaches 255, a negative one where the
// darkest reaches 0. The hue survives as far as the limits allow. Alpha is kept.
QRgb ShadeColor(QRgb color, int shade);

}  // namespace controls
