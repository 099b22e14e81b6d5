#pragma once
// Qt key events to the virtual-key codes KeyTrace dispatches on.

class QKeyEvent;

// 0 when the key has no code.
int VirtualKeyFromQt(const QKeyEvent& event);
