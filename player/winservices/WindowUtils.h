#pragma once
// System-wide effects of the player: topmost, screen saver, display on, the one end of the program,
// the CD drive's folder, the screen-wide pointer and dragging a window by its client area.

#include <QString>

class QWidget;

namespace WindowUtils {

void SetTopmost(QWidget* window, bool on);
// Returns true when the platform call reported success.
bool SetScreenSaverActive(bool active);
// Wakes the display (X11 screen-saver reset); nothing where there is no X11.
void DisplayOn();
// Screen saver back on, every loaded form unloaded, event loop told to end. Re-entrant calls
// (the main window's unload calls it again) return at once.
void EndProgram();
bool Ending();
void ResetForTests();

// Mount point of the first CD-ROM drive, ending in "/", or empty text.
QString FindCdDrive();
QString FindCdDrive(const QString& cdromInfo, const QString& mounts);

// Screen-wide pointer: 0 lets each window's own pointer apply, 1 the arrow for every window.
void SetScreenPointer(int pointer);
int ScreenPointer();

void DragWindow(QWidget* window);

// The window's caption; an empty one stays empty on X11, where Qt would show the program's name.
void SetCaption(QWidget* window, const QString& caption);

}  // namespace WindowUtils
