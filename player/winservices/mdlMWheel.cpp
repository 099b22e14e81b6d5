#include "mdlMWheel.h"

#include <QWheelEvent>
#include <QWidget>
#include <bit>
#include <cstring>

#include "mdlFunctions.h"

namespace mdlMWheel {
namespace {

WheelWindow gWindow;

qint16 WordAt(const qint32& value, std::size_t offset) {
    qint16 word = 0;
    // The low word lies at the value's address on a little-endian machine, the high word 2 bytes on.
    static_assert(std::endian::native == std::endian::little);
    std::memcpy(&word, reinterpret_cast<const char*>(&value) + offset, sizeof word);
    return word;
}

qint32 MakeLong(qint32 low, qint32 high) {
    return static_cast<qint32>((static_cast<quint32>(static_cast<quint16>(high)) << 16) |
                               static_cast<quint16>(low));
}

qint16 Clamp16(int v) {
    return static_cast<qint16>(qBound(-32768, v, 32767));
}

}  // namespace

qint16 HighWord(const qint32& value) {
    return WordAt(value, 2);
}
qint16 LowWord(const qint32& value) {
    return WordAt(value, 0);
}

qint32& WheelAccumulator() {
    static qint32 accumulator = 0;
    return accumulator;
}

void SeekStep(bool playing, bool soundOn, const std::function<void()>& step) {
    if (playing) {
        step();
        return;
    }
    mdlFunctions::MuteAudio();
    step();
    mdlFunctions::PauseMovie();
    if (soundOn) mdlFunctions::UnmuteAudio();
}

void WheelStep(qint16& notches, qint32& /*x*/, qint32& /*y*/) {
    // Less than a notch (touchpads, free-spinning wheels) waits for the rest of the notch
    // instead of stepping backward on every small movement.
    if (notches == 0) return;
    const bool playing = !gWindow.pausedOrStopped || !gWindow.pausedOrStopped();
    const bool soundOn = !gWindow.soundOn || gWindow.soundOn();
    if (notches < 0) {
        SeekStep(playing, soundOn, [playing] {
            playing ? mdlFunctions::StepForwardSeconds(5) : mdlFunctions::StepForwardFrames(1);
        });
    } else {
        SeekStep(playing, soundOn,
                 [playing] { playing ? mdlFunctions::StepBackSeconds(5) : mdlFunctions::StepBackFrames(1); });
    }
}

void WheelMessage(qint32 wParam, qint32 lParam) {
    qint32& accumulator = WheelAccumulator();
    accumulator += HighWord(wParam);
    qint32 x = LowWord(lParam);
    qint32 y = HighWord(lParam);
    auto notches = static_cast<qint16>(accumulator / WHEEL_DELTA);
    WheelStep(notches, x, y);
    accumulator %= WHEEL_DELTA;  // C++ keeps the dividend's sign, as the truncating division needs
}

bool WheelHook::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Wheel) {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        const QPoint global = wheel->globalPosition().toPoint();
        WheelMessage(MakeLong(0, Clamp16(wheel->angleDelta().y())),
                     MakeLong(Clamp16(global.x()), Clamp16(global.y())));
    }
    return QObject::eventFilter(watched, event);  // never consumed
}

void SetWheelWindow(WheelWindow source) {
    gWindow = std::move(source);
}

void InstallWheelHook(QWidget* window, WheelWindow source) {
    SetWheelWindow(std::move(source));
    if (window) window->installEventFilter(new WheelHook(window));  // lives as long as the window
}

}  // namespace mdlMWheel
