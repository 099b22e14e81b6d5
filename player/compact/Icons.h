#pragma once
// The control bar's 16 x 16 pictures, drawn in code: each button's normal and pressed look, and
// the two mute states.

#include <QPixmap>

namespace Icons {

enum class Button { Open, Play, Stop, Rec, Close };

QPixmap Normal(Button button);
QPixmap Pressed(Button button);
QPixmap SoundOn();
QPixmap Muted();
// A slider thumb: a raised button-face block of the given size in pixels.
QPixmap Thumb(int width, int height);

}  // namespace Icons
