#pragma once
// 32-bit colour values as the windows store them: 0x00BBGGRR, or 0x80000000 + n for system colour n.

#include <QColor>
#include <QtGlobal>

namespace OleColor {

inline constexpr quint32 kButtonFace = 0x8000000F;
inline constexpr quint32 kButtonText = 0x80000012;
inline constexpr quint32 kBlack = 0;
inline constexpr quint32 kRed = 0xFF;

QColor ToQColor(quint32 oleColor);
inline constexpr quint32 Rgb(int r, int g, int b) {
    return static_cast<quint32>(r & 0xFF) | static_cast<quint32>(g & 0xFF) << 8 |
           static_cast<quint32>(b & 0xFF) << 16;
}

}  // namespace OleColor
