#pragma once
// How large a window sized to its picture may be: a picture larger than the screen would put the
// seek bar and the window's own buttons out of reach.

#include <QtGlobal>

namespace PictureFit {

struct Size {
    qint32 width, height;
};

// Twips the window adds around the picture, across and down.
inline constexpr double kExtraWidth = 100;
inline constexpr double kExtraHeight = 890;

// The picture size (pixels) for a window on an area of roomWidth x roomHeight twips. A picture
// whose whole window fits is kept exactly; a larger one is scaled down with its aspect until it
// does.
Size Fit(qint32 width, qint32 height, double roomWidth, double roomHeight, double perPixelX,
         double perPixelY);

}  // namespace PictureFit
