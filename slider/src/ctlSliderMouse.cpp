// Mouse interaction of ctlSlider: grab or centre the thumb on press, follow while dragging,
// Click and MouseUp on release.
#include <QMouseEvent>

#include "ctlSliderWidget.h"
#include "frmValueTip.h"

namespace ptSlider {

namespace {

int ButtonCode(Qt::MouseButton button) {
    switch (button) {
        case Qt::LeftButton:
            return 1;
        case Qt::RightButton:
            return 2;
        case Qt::MiddleButton:
            return 4;
        default:
            return 0;
    }
}

int ButtonState(Qt::MouseButtons buttons) {
    return (buttons & Qt::LeftButton ? 1 : 0) | (buttons & Qt::RightButton ? 2 : 0) |
           (buttons & Qt::MiddleButton ? 4 : 0);
}

int ShiftCode(Qt::KeyboardModifiers modifiers) {
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0) |
           (modifiers & Qt::AltModifier ? 4 : 0);
}

}  // namespace

void ctlSlider::UserControl_MouseDown(int Button, int Shift, float X, float Y) {
    if (Enabled_ == kFalse || Button != 1) return;
    Dragging_ = true;
    const bool onThumb =
        Thumb.Left <= X && X < Thumb.Left + Thumb.Width && Thumb.Top <= Y && Y < Thumb.Top + Thumb.Height;
    if (onThumb) {
        GrabOffsetX = X - Thumb.Left;
        GrabOffsetY = Y - Thumb.Top;
    } else {
        GrabOffsetX = Thumb.Width / 2;
        GrabOffsetY = Thumb.Height / 2;
        UserControl_MouseMove(Button, Shift, X, Y);
    }
    if (ShowValueTip_) UpdateValueTip();
    emit MouseDown(Shift);
}

void ctlSlider::UserControl_MouseMove(int /*Button*/, int /*Shift*/, float X, float Y) {
    if (!Dragging_) return;
    const auto clamp = [](float d, float track) { return d < 0 ? 0.0f : (d <= track ? d : track); };
    if (Orientation_ == Horizontal)
        Thumb.Left = clamp(X - GrabOffsetX, static_cast<float>(width()) - Thumb.Width);
    else if (Orientation_ == Vertical)
        Thumb.Top = clamp(Y - GrabOffsetY, static_cast<float>(height()) - Thumb.Height);
    // On a zero-length track no value follows from the position: the value stays as it was.
    // A value outside Min..Max is refused by the setter and likewise leaves it.
    if (const auto v = ValueFromThumb(Track(), Thumb)) setValue(*v);
}

void ctlSlider::UserControl_MouseUp(int Button, int Shift, float X, float Y) {
    const bool inside =
        0 <= X && X < static_cast<float>(width()) && 0 <= Y && Y < static_cast<float>(height());
    if (Button == 1 && inside) emit Click();
    // Handlers of Click and MouseUp still see the drag in progress.
    if (Dragging_) emit MouseUp(Shift);
    Dragging_ = false;
    frmValueTip::CloseTip();
}

// Qt drops the mouse grab of a widget that is hidden, so the release of a drag in progress would
// never arrive and the host would wait for MouseUp forever: end the drag as a release outside.
void ctlSlider::hideEvent(QHideEvent* /*event*/) {
    if (Dragging_) UserControl_MouseUp(0, 0, -1, -1);
}

void ctlSlider::mousePressEvent(QMouseEvent* event) {
    const QPointF pos = event->position();
    UserControl_MouseDown(ButtonCode(event->button()), ShiftCode(event->modifiers()),
                          static_cast<float>(pos.x()), static_cast<float>(pos.y()));
}

void ctlSlider::mouseMoveEvent(QMouseEvent* event) {
    const QPointF pos = event->position();
    UserControl_MouseMove(ButtonState(event->buttons()), ShiftCode(event->modifiers()),
                          static_cast<float>(pos.x()), static_cast<float>(pos.y()));
}

void ctlSlider::mouseReleaseEvent(QMouseEvent* event) {
    const QPointF pos = event->position();
    UserControl_MouseUp(ButtonCode(event->button()), ShiftCode(event->modifiers()),
                        static_cast<float>(pos.x()), static_cast<float>(pos.y()));
}

}  // namespace ptSlider
