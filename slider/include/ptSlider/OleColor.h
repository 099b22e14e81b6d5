#pragma once
// OLE colours as controls and their hosts store them: 0x00BBGGRR, or 0x800000nn naming system
// colour nn, resolved from a Qt palette. Header-only, so that hosts share the one mapping without
// linking the control's code.

#include <QColor>
#include <QPalette>
#include <array>

namespace ptSlider {

inline constexpr quint32 kSysWindowText = 0x80000008;
inline constexpr quint32 kButtonFace = 0x8000000F;  // system colour 15
inline constexpr quint32 kSysButtonShadow = 0x80000010;
inline constexpr quint32 kButtonText = 0x80000012;
inline constexpr quint32 kSysButtonHighlight = 0x80000014;
inline constexpr quint32 kSys3DDarkShadow = 0x80000015;
inline constexpr quint32 kSys3DLight = 0x80000016;
inline constexpr quint32 kSysInfoBackground = 0x80000018;

inline constexpr quint32 Rgb(int r, int g, int b) {
    return static_cast<quint32>(r & 0xFF) | static_cast<quint32>(g & 0xFF) << 8 |
           static_cast<quint32>(b & 0xFF) << 16;
}

namespace detail {

struct SystemRole {
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

inline constexpr auto A = QPalette::Active;
inline constexpr auto D = QPalette::Disabled;

// Indexed by system colour number. Unknown numbers fall back to the button face.
inline constexpr std::array<SystemRole, 31> kSystemRoles{{
    {A, QPalette::Button},           // 0 scroll bar
    {A, QPalette::Window},           // 1 desktop
    {A, QPalette::Highlight},        // 2 active caption
    {A, QPalette::Mid},              // 3 inactive caption
    {A, QPalette::Window},           // 4 menu
    {A, QPalette::Base},             // 5 window
    {A, QPalette::Shadow},           // 6 window frame
    {A, QPalette::WindowText},       // 7 menu text
    {A, QPalette::WindowText},       // 8 window text
    {A, QPalette::HighlightedText},  // 9 caption text
    {A, QPalette::Button},           // 10 active border
    {A, QPalette::Button},           // 11 inactive border
    {A, QPalette::Mid},              // 12 application workspace
    {A, QPalette::Highlight},        // 13 highlight
    {A, QPalette::HighlightedText},  // 14 highlight text
    {A, QPalette::Button},           // 15 button face
    {A, QPalette::Dark},             // 16 button shadow
    {D, QPalette::Text},             // 17 grey text
    {A, QPalette::ButtonText},       // 18 button text
    {D, QPalette::WindowText},       // 19 inactive caption text
    {A, QPalette::Light},            // 20 button highlight
    {A, QPalette::Shadow},           // 21 3-D dark shadow
    {A, QPalette::Midlight},         // 22 3-D light (between face and highlight)
    {A, QPalette::ToolTipText},      // 23 info text
    {A, QPalette::ToolTipBase},      // 24 info background
    {A, QPalette::Button},           // 25 (unused)
    {A, QPalette::Link},             // 26 hot-tracked item
    {A, QPalette::Highlight},        // 27 active caption gradient
    {A, QPalette::Mid},              // 28 inactive caption gradient
    {A, QPalette::Highlight},        // 29 menu highlight
    {A, QPalette::Window},           // 30 menu bar
}};

}  // namespace detail

inline QColor OleColorToQColor(quint32 ole, const QPalette& palette) {
    if ((ole & 0xFF000000u) == 0x80000000u) {
        const quint32 index = ole & 0x00FFFFFFu;
        const detail::SystemRole r =
            index < detail::kSystemRoles.size() ? detail::kSystemRoles[index] : detail::kSystemRoles[15];
        return palette.color(r.group, r.role);
    }
    return QColor(static_cast<int>(ole & 0xFF), static_cast<int>((ole >> 8) & 0xFF),
                  static_cast<int>((ole >> 16) & 0xFF));
}

}  // namespace ptSlider
