#include "VirtualKeys.h"

#include <gtest/gtest.h>

#include <QKeyEvent>

TEST(VirtualKeys, QtKeysToVirtualKeyCodes) {
    struct Case {
        int key;
        bool keypad;
        unsigned scan;
        int code;
    } cases[] = {
        {Qt::Key_A, false, 0, 65},
        {Qt::Key_Z, false, 0, 90},
        {Qt::Key_S, false, 0, 83},
        {Qt::Key_1, false, 0, 49},
        {Qt::Key_0, false, 0, 48},
        {Qt::Key_1, true, 0, 97},  // keypad with Num Lock on
        {Qt::Key_9, true, 0, 105},
        {Qt::Key_0, true, 0, 96},
        {Qt::Key_Left, true, 0, 37},  // keypad arrows with Num Lock off act as arrows
        {Qt::Key_Up, false, 0, 38},
        {Qt::Key_Right, false, 0, 39},
        {Qt::Key_Down, false, 0, 40},
        {Qt::Key_Return, false, 0, 13},
        {Qt::Key_Enter, true, 0, 13},
        {Qt::Key_Escape, false, 0, 27},
        {Qt::Key_Space, false, 0, 32},
        {Qt::Key_Delete, false, 0, 46},
        {Qt::Key_F1, false, 0, 112},
        {Qt::Key_F4, false, 0, 115},
        {Qt::Key_F2, false, 0, 0},
        {Qt::Key_Comma, false, 0, 188},
        {Qt::Key_Period, false, 0, 190},
        {Qt::Key_Period, true, 0, 110},  // keypad decimal is not the full stop
        {Qt::Key_QuoteLeft, false, 0, 192},
        {Qt::Key_MediaNext, false, 0, 176},
        {Qt::Key_MediaPrevious, false, 0, 177},
        {Qt::Key_MediaStop, false, 0, 178},
        {Qt::Key_MediaPlay, false, 0, 179},
        {Qt::Key_MediaTogglePlayPause, false, 0, 179},
        {Qt::Key_MediaPause, false, 0, 179},
        // Shifted or layout-dependent characters fall back on the physical key.
        {Qt::Key_Exclam, false, 10, 49},            // Shift+1
        {Qt::Key_Ampersand, false, 10, 49},         // 1 on a French layout
        {Qt::Key_At, false, 11, 50},                // Shift+2
        {Qt::Key_ParenRight, false, 19, 48},        // Shift+0
        {Qt::Key_twosuperior, false, 49, 192},      // left of 1 on a French layout
        {Qt::Key_Dead_Circumflex, false, 49, 192},  // left of 1 on a German layout
        {Qt::Key_AsciiTilde, false, 49, 192},       // Shift+grave
        {Qt::Key_Less, false, 59, 188},             // Shift+comma
        {Qt::Key_Greater, false, 60, 190},          // Shift+full stop
        {Qt::Key_Exclam, false, 0, 0},              // no physical key known
        {Qt::Key_Home, true, 79, 0},                // keypad 7 with Num Lock off
        {Qt::Key_Shift, false, 50, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(VirtualKeyFromQt(c.key, c.keypad, c.scan), c.code)
            << "key 0x" << std::hex << c.key << " keypad " << c.keypad << " scan " << std::dec << c.scan;
}

TEST(VirtualKeys, ModifiersOtherThanKeypadAreIgnored) {
    for (auto mods : {Qt::KeyboardModifiers(Qt::ShiftModifier), Qt::KeyboardModifiers(Qt::ControlModifier),
                      Qt::KeyboardModifiers(Qt::AltModifier), Qt::ShiftModifier | Qt::ControlModifier}) {
        QKeyEvent s(QEvent::KeyPress, Qt::Key_S, mods);
        EXPECT_EQ(VirtualKeyFromQt(s), 83);
        QKeyEvent pad(QEvent::KeyPress, Qt::Key_3, mods | Qt::KeypadModifier);
        EXPECT_EQ(VirtualKeyFromQt(pad), 99);
    }
}
