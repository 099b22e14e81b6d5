#pragma once
// The size frames are converted to for a movie window of a given size.

#include <QSize>
#include <cstdlib>

namespace mci {

// A window within this many pixels of the picture's own size (as the player's layout makes it,
// 1287x719 for 1280x720) gets frames at that size, painted 1:1 with the edges drawn out: scaling
// in the converter costs more than the decoding, and softens a picture meant to be seen 1:1.
constexpr int kNearNativeSlack = 8;

// Scaled frames are an even number of pixels wide: to an odd width libswscale leaves its fast path
// and takes three times as long (1815x1021 from 1080p: 10 ms a frame, 1814x1021: 3.5 ms). The
// column left over is drawn out from its neighbour.
inline QSize frameSizeFor(QSize window, QSize native) {
    if (native.isEmpty()) return window;
    if (std::abs(window.width() - native.width()) <= kNearNativeSlack &&
        std::abs(window.height() - native.height()) <= kNearNativeSlack)
        return native;
    return window.width() > 1 ? QSize(window.width() & ~1, window.height()) : window;
}

}  // namespace mci
