#pragma once
// Colours of the windows as they store them (see ptSlider/OleColor.h, the one mapping of system
// colours), resolved from the application's palette.

#include <QGuiApplication>

#include "ptSlider/OleColor.h"

namespace OleColor {

using ptSlider::kButtonFace;
using ptSlider::kButtonText;
using ptSlider::Rgb;
inline constexpr quint32 kBlack = 0;

inline QColor ToQColor(quint32 oleColor) {
    return ptSlider::OleColorToQColor(oleColor, QGuiApplication::palette());
}

}  // namespace OleColor
