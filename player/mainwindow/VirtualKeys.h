#pragma once
// Qt key events to the Windows virtual-key codes KeyTrace dispatches on. Modifiers are ignored:
// Shift+1 is still the key 1, Shift+S still S.

class QKeyEvent;

// 0 when the key has no code.
int VirtualKeyFromQt(const QKeyEvent& event);

// The same from the event's parts; nativeScanCode is the X11 key code (0 when unknown) and
// identifies keys whose character depends on the layout or on Shift.
int VirtualKeyFromQt(int key, bool keypad, unsigned nativeScanCode);
