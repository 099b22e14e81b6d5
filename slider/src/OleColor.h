#pragma once
// OLE colours: 0x00BBGGRR, or 0x800000nn naming system colour nn, resolved from a Qt palette.

#include <QColor>
#include <QPalette>

namespace ptSlider {

inline constexpr quint32 kSysWindowText = 0x80000008;
inline constexpr quint32 kSysButtonShadow = 0x80000010;
inline constexpr quint32 kSysButtonHighlight = 0x80000014;
inline constexpr quint32 kSys3DDarkShadow = 0x80000015;
inline constexpr quint32 kSys3DLight = 0x80000016;
inline constexpr quint32 kSysInfoBackground = 0x80000018;

QColor OleColorToQColor(quint32 ole, const QPalette& palette);

}  // namespace ptSlider
