#include "SliderMath.h"

#include <cmath>
#include <limits>

namespace ptSlider {

namespace {
constexpr qint32 kHorizontal = 0;
constexpr qint32 kVertical = 1;
constexpr qint64 kTwipsPerPixel = 15;

bool FitsInt32(double v) {
    return v >= static_cast<double>(std::numeric_limits<qint32>::min()) &&
           v <= static_cast<double>(std::numeric_limits<qint32>::max());
}
}  // namespace

std::optional<qint32> CLng(double v) {
    if (!std::isfinite(v)) return std::nullopt;
    // nearbyint rounds halves to even in the default rounding mode.
    const double r = std::nearbyint(v);
    if (!FitsInt32(r)) return std::nullopt;
    return static_cast<qint32>(r);
}

std::optional<qint32> Difference(qint32 a, qint32 b) {
    const qint64 d = static_cast<qint64>(a) - b;
    if (d < std::numeric_limits<qint32>::min() || d > std::numeric_limits<qint32>::max()) return std::nullopt;
    return static_cast<qint32>(d);
}

bool PlaceThumb(const TrackModel& track, qint32 value, ThumbBox& thumb) {
    const auto offset = Difference(value, track.min);
    if (!offset || track.range == 0) return false;
    const double fraction = static_cast<double>(*offset);
    if (track.orientation == kHorizontal) {
        const double t = static_cast<double>(track.scaleWidth - thumb.Width);
        thumb.Left = static_cast<float>(t * fraction / track.range);
        return true;
    }
    if (track.orientation == kVertical) {
        const double t = static_cast<double>(track.scaleHeight - thumb.Height);
        thumb.Top = static_cast<float>(t - t * fraction / track.range);
        return true;
    }
    return false;
}

std::optional<qint32> ValueFromThumb(const TrackModel& track, ThumbBox& thumb) {
    double v = 0;
    if (track.orientation == kHorizontal || track.orientation == kVertical) {
        const bool horizontal = track.orientation == kHorizontal;
        const double length = horizontal ? static_cast<double>(track.scaleWidth - thumb.Width)
                                         : static_cast<double>(track.scaleHeight - thumb.Height);
        if (length == 0) {
            (horizontal ? thumb.Left : thumb.Top) = 0;
            return std::nullopt;
        }
        const double along = horizontal ? static_cast<double>(thumb.Left) : length - thumb.Top;
        v = along / length * track.range + track.min;
    }
    const auto rounded = CLng(v);
    if (!rounded) return std::nullopt;
    PlaceThumb(track, *rounded, thumb);
    return rounded;
}

bool ComputeRailRect(qint32 orientation, const ThumbBox& thumb, float scaleWidth, float scaleHeight,
                     RailBox& rail) {
    const auto set = [](qint32& field, std::optional<qint32> v) {
        if (v) field = *v;
    };
    if (orientation == kHorizontal) {
        set(rail.top, CLng((thumb.Height - 4) * 0.5));
        set(rail.bottom, CLng(static_cast<double>(rail.top) + 4));
        set(rail.left, CLng(thumb.Width * 0.5 - 2));
        set(rail.right, CLng(static_cast<double>(scaleWidth) + rail.left - thumb.Width + 4));
        return true;
    }
    if (orientation == kVertical) {
        set(rail.top, CLng(thumb.Height * 0.5 - 2));
        set(rail.bottom, CLng(static_cast<double>(scaleHeight) + rail.top - thumb.Height + 4));
        set(rail.left, CLng((thumb.Width - 4) * 0.5));
        set(rail.right, CLng(static_cast<double>(rail.left) + 4));
        return true;
    }
    return false;
}

std::optional<QSize> LayoutSize(qint32 orientation, bool byPicture, QSize railPicture, QSizeF thumb,
                                QSize current) {
    const int thumbW = qRound(thumb.width());
    const int thumbH = qRound(thumb.height());
    if (orientation == kHorizontal) {
        if (byPicture) return QSize(railPicture.width() + 4, qMax(railPicture.height(), thumbH));
        return QSize(current.width() == 0 ? thumbW : current.width(), thumbH);
    }
    if (orientation == kVertical) {
        if (byPicture) return QSize(qMax(railPicture.width(), thumbW), railPicture.height() + 4);
        return QSize(thumbW, current.height() == 0 ? thumbH : current.height());
    }
    return std::nullopt;
}

std::optional<QRect> TipGeometry(qint32 orientation, QPoint controlOrigin, const ThumbBox& thumb,
                                 QSize label) {
    const double w = label.width();
    const double h = label.height();
    std::optional<qint32> x = 0;
    std::optional<qint32> y = 0;
    if (orientation == kHorizontal) {
        x = CLng(controlOrigin.x() + static_cast<double>(thumb.Left) + (thumb.Width - w - 4) * 0.5);
        y = CLng(controlOrigin.y() + static_cast<double>(thumb.Top) - h - 5);
    } else if (orientation == kVertical) {
        x = CLng(controlOrigin.x() + static_cast<double>(thumb.Left) - w - 6);
        y = CLng(controlOrigin.y() + static_cast<double>(thumb.Top) + (thumb.Height - h - 4) * 0.5);
    }
    // The move is requested in twips; a position that does not fit there is not moved at all.
    if (!x || !y || !FitsInt32(static_cast<double>(*x) * kTwipsPerPixel) ||
        !FitsInt32(static_cast<double>(*y) * kTwipsPerPixel))
        return std::nullopt;
    return QRect(*x, *y, label.width() + 4, label.height() + 3);
}

}  // namespace ptSlider
