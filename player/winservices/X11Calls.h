#pragma once
// The few X11 calls the player makes, for the X11 platform only. The libraries are loaded when
// first needed, so the player starts where they are absent (a Wayland-only system) and every call
// there does nothing and reports false.

#include <QtGlobal>

namespace X11Calls {

// True when the application runs on X11 and the calls can reach the server.
bool Available();
// XScreenSaverSuspend: the server's own screen saver and blanking off (true) or back on.
bool SuspendScreenSaver(bool suspend);
// Wakes the display as user input would.
void ResetScreenSaver();
// Writes _NET_WM_STATE_ABOVE on a window no window manager looks after; nothing under one.
void SetAboveWithoutWindowManager(quintptr window, bool on);
// Clears both caption properties, which Qt would fill with the program's name.
void ClearCaption(quintptr window);

}  // namespace X11Calls
