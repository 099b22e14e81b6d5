#include "VirtualKeys.h"

#include <QKeyEvent>

namespace {

constexpr int kNumpad0 = 96;
constexpr int kDecimal = 110;
constexpr int kGrave = 192;

// X11 (evdev) key codes of keys whose character is layout- or Shift-dependent: the top row of
// digits, comma, full stop and the key left of 1.
int FromScanCode(unsigned code) {
    if (code >= 10 && code <= 18) return '1' + static_cast<int>(code - 10);
    switch (code) {
        case 19:
            return '0';
        case 49:
            return kGrave;
        case 59:
            return 188;
        case 60:
            return 190;
        default:
            return 0;
    }
}

int FromKey(int key, bool keypad) {
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return key;  // same codes as the virtual keys
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return keypad ? kNumpad0 + (key - Qt::Key_0) : key;
    switch (key) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return 13;
        case Qt::Key_Escape:
            return 27;
        case Qt::Key_Space:
            return 32;
        case Qt::Key_Left:
            return 37;
        case Qt::Key_Up:
            return 38;
        case Qt::Key_Right:
            return 39;
        case Qt::Key_Down:
            return 40;
        case Qt::Key_Delete:
            return 46;
        case Qt::Key_F1:
            return 112;
        case Qt::Key_F4:
            return 115;
        case Qt::Key_MediaNext:
            return 176;
        case Qt::Key_MediaPrevious:
            return 177;
        case Qt::Key_MediaStop:
            return 178;
        case Qt::Key_MediaPlay:
        case Qt::Key_MediaPause:
        case Qt::Key_MediaTogglePlayPause:
            return 179;
        case Qt::Key_Comma:
            return keypad ? 0 : 188;
        case Qt::Key_Period:
            return keypad ? kDecimal : 190;
        case Qt::Key_QuoteLeft:
            return kGrave;
        default:
            return 0;
    }
}

}  // namespace

int VirtualKeyFromQt(int key, bool keypad, unsigned nativeScanCode) {
    if (const int code = FromKey(key, keypad)) return code;
    // Shift+1 arrives as '!', and on many layouts the key left of 1 is not a grave accent.
    return keypad ? 0 : FromScanCode(nativeScanCode);
}

int VirtualKeyFromQt(const QKeyEvent& event) {
    return VirtualKeyFromQt(event.key(), event.modifiers().testFlag(Qt::KeypadModifier),
                            event.nativeScanCode());
}
