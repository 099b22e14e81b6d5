#pragma once
// Keeps the screen saver and idle blanking off while the player runs. The first desktop service
// that answers holds it, tied to our bus connection, so it lets go by itself if the process dies.

namespace ScreenSaver {

enum class Holder { None, Portal, FreedesktopScreenSaver, PowerManagement, GnomeSession, X11 };

// Returns true when some service now holds the screen saver off (or already did).
bool Inhibit();
// Gives the hold back to whichever service has it; true when there was one and it agreed.
bool Release();
Holder CurrentHolder();

}  // namespace ScreenSaver
