#pragma once
// The main window's wheel hook: an event filter that sees every wheel event of the window before
// the window handles it, turns the rotation into whole notches and seeks the medium: 5 seconds per
// event while playing, one frame while paused or stopped. Every event is passed on unchanged.

#include <QObject>
#include <QString>
#include <functional>

class QWidget;

namespace mdlMWheel {

inline constexpr qint32 WHEEL_DELTA = 120;

// What the wheel reads from the main window.
struct WheelWindow {
    std::function<bool()> pausedOrStopped;  // cmdPlaym's caption is exactly "Play"
    std::function<bool()> soundOn;          // lblMute shows sound on
};

// Signed halves of a 32-bit message word.
qint16 HighWord(const qint32& value);
qint16 LowWord(const qint32& value);

// Rotation received but not yet used as whole notches; strictly between -120 and 120 between events.
qint32& WheelAccumulator();

// Seeks by one step in the direction of the notch count's sign (negative: toward the user,
// forward); a count of 0 does nothing. x and y are the pointer in screen coordinates (unused).
void WheelStep(qint16& notches, qint32& x, qint32& y);

// The wheel message: rotation in the high word of wParam, pointer x/y in the words of lParam.
void WheelMessage(qint32 wParam, qint32 lParam);

// One seek step with the playing/paused rule shared by the wheel and the keys: while playing the
// step alone; while paused or stopped muted around the step and paused after it, so the medium
// stays paused on the new position without a blip. Sound comes back only when the user has not
// muted.
void SeekStep(bool playing, bool soundOn, const std::function<void()>& step);

// Installs the hook on the main window; it stays for the window's life.
void InstallWheelHook(QWidget* window, WheelWindow source);
// The window the wheel reads, without a hook (tests).
void SetWheelWindow(WheelWindow source);

class WheelHook : public QObject {
    Q_OBJECT

  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace mdlMWheel
