#include "PictureFit.h"

#include <algorithm>
#include <cmath>

PictureFit::Size PictureFit::Fit(qint32 width, qint32 height, double roomWidth, double roomHeight,
                                 double perPixelX, double perPixelY) {
    if (width <= 0 || height <= 0) return {width, height};
    const double pictureWidth = perPixelX * width;
    const double pictureHeight = perPixelY * height;
    if (pictureWidth + kExtraWidth <= roomWidth && pictureHeight + kExtraHeight <= roomHeight)
        return {width, height};
    const double scale =
        std::min((roomWidth - kExtraWidth) / pictureWidth, (roomHeight - kExtraHeight) / pictureHeight);
    if (!(scale > 0)) return {1, 1};  // a screen smaller than the window's own rows
    const auto scaled = [scale](qint32 v) {
        return std::max<qint32>(1, static_cast<qint32>(std::floor(v * scale)));
    };
    return {scaled(width), scaled(height)};
}
