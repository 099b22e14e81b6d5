#pragma once
// Value/position arithmetic of the slider, kept free of widgets so it can be checked in isolation.
// Positions are pixels held as single-precision floats; products and quotients run in double.

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QtGlobal>
#include <optional>

namespace ptSlider {

// Nearest integer with halves to even; nullopt when the result does not fit in 32 bits.
std::optional<qint32> CLng(double v);

// Difference of two 32-bit values, nullopt when it overflows 32 bits.
std::optional<qint32> Difference(qint32 a, qint32 b);

// The thumb element: position and the size of its picture.
struct ThumbBox {
    float Left = 0;
    float Top = 0;
    float Width = 8;
    float Height = 16;
};

// Left, top, right, bottom; right and bottom exclusive.
struct RailBox {
    qint32 left = 0;
    qint32 top = 0;
    qint32 right = 0;
    qint32 bottom = 0;
    bool operator==(const RailBox&) const = default;
};

struct TrackModel {
    qint32 orientation = 0;
    qint32 min = 0;
    qint32 range = 10;
    float scaleWidth = 0;
    float scaleHeight = 0;
};

// Puts the thumb on the long axis for value; false (thumb untouched) when the range is zero,
// the difference overflows or the orientation has no long axis.
bool PlaceThumb(const TrackModel& track, qint32 value, ThumbBox& thumb);

// The value the thumb's position stands for; snaps the thumb to that value's exact position.
// nullopt on a zero-length track (the thumb goes to the track's start) or when the value does
// not fit; 0 for orientations without a long axis.
std::optional<qint32> ValueFromThumb(const TrackModel& track, ThumbBox& thumb);

// Updates the rail band for the thumb and client size; fields whose rounding overflows keep
// their old value. Returns false for orientations without a rail layout.
bool ComputeRailRect(qint32 orientation, const ThumbBox& thumb, float scaleWidth, float scaleHeight,
                     RailBox& rail);

// The size the control asks for; nullopt leaves the size alone.
std::optional<QSize> LayoutSize(qint32 orientation, bool byPicture, QSize railPicture, QSizeF thumb,
                                QSize current);

// Where the value tip goes for a control whose client origin is at controlOrigin on screen and whose
// label measures label. The rectangle is nullopt when its position does not fit the host's units.
std::optional<QRect> TipGeometry(qint32 orientation, QPoint controlOrigin, const ThumbBox& thumb,
                                 QSize label);

}  // namespace ptSlider
