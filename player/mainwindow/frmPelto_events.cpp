// Qt's window events turned into the window's own events: mouse buttons as a bit set (1 left,
// 2 right, 4 middle), coordinates in twips, keys as virtual-key codes.

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>

#include "Twips.h"
#include "VirtualKeys.h"
#include "frmPelto.h"

namespace {

qint16 ButtonBits(Qt::MouseButtons buttons) {
    qint16 bits = 0;
    if (buttons & Qt::LeftButton) bits |= 1;
    if (buttons & Qt::RightButton) bits |= 2;
    if (buttons & Qt::MiddleButton) bits |= 4;
    return bits;
}

qint16 ShiftBits(Qt::KeyboardModifiers modifiers) {
    qint16 bits = 0;
    if (modifiers & Qt::ShiftModifier) bits |= 1;
    if (modifiers & Qt::ControlModifier) bits |= 2;
    if (modifiers & Qt::AltModifier) bits |= 4;
    return bits;
}

}  // namespace

void frmPelto::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Form_Resize();
}

void frmPelto::keyPressEvent(QKeyEvent* event) {
    const int code = VirtualKeyFromQt(*event);
    if (code == 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    Form_KeyDown(static_cast<qint16>(code), ShiftBits(event->modifiers()));
}

void frmPelto::mousePressEvent(QMouseEvent* event) {
    const QPointF p = event->position();
    Form_MouseDown(ButtonBits(event->button()), ShiftBits(event->modifiers()),
                   static_cast<float>(p.x() * Twips::PerPixelX()),
                   static_cast<float>(p.y() * Twips::PerPixelY()));
}

bool frmPelto::eventFilter(QObject* watched, QEvent* event) {
    // A move stops at the first widget without mouse tracking, such as the video window, so the
    // window sees moves here; only the first, spontaneous delivery of each counts. Moves over the
    // controls (a seek-bar drag above all) are theirs, not the window's.
    if (event->type() != QEvent::MouseMove || !event->spontaneous()) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || (widget != this && widget != FrameVideo && !FrameVideo->isAncestorOf(widget)))
        return false;
    auto* move = static_cast<QMouseEvent*>(event);
    const QPointF p = mapFromGlobal(move->globalPosition());
    Form_MouseMove(ButtonBits(move->buttons()), ShiftBits(move->modifiers()),
                   static_cast<float>(p.x() * Twips::PerPixelX()),
                   static_cast<float>(p.y() * Twips::PerPixelY()));
    return false;
}

void frmPelto::mouseDoubleClickEvent(QMouseEvent* event) {
    // Qt turns a quick second press into a double click. Only the left button has a command for
    // it; a second middle click still plays or pauses, a second right click still shows the menu.
    if (event->button() == Qt::LeftButton)
        Form_DblClick();
    else
        mousePressEvent(event);
}

void frmPelto::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void frmPelto::dropEvent(QDropEvent* event) {
    if (!event->mimeData()->hasUrls()) return;
    Form_OLEDragDrop(*event->mimeData());
    event->acceptProposedAction();
}
