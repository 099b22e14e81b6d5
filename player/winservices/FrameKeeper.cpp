#include "FrameKeeper.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include "Twips.h"

// Only the layout of the protocol's events is used; nothing is linked from the X libraries.
#include <xcb/xcb.h>

FrameKeeper::FrameKeeper(QWidget* window, std::function<bool()> keep)
    : QObject(window), window_(window), keep_(std::move(keep)) {
    window->installEventFilter(this);
    QCoreApplication::instance()->installNativeEventFilter(this);
}

FrameKeeper::~FrameKeeper() {
    if (QCoreApplication* app = QCoreApplication::instance()) app->removeNativeEventFilter(this);
}

bool FrameKeeper::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_) {
        switch (event->type()) {
            case QEvent::Show:
            case QEvent::Move:
            case QEvent::Resize:
            case QEvent::WindowStateChange:
                Schedule();
                break;
            default:
                break;
        }
    }
    return false;
}

bool FrameKeeper::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t" || !window_->testAttribute(Qt::WA_WState_Created)) return false;
    // Reparenting into a frame, a configure by the window manager, or a new _NET_FRAME_EXTENTS:
    // the client may stay where it is, so Qt reports no move for any of them.
    const auto* generic = static_cast<const xcb_generic_event_t*>(message);
    const auto own = static_cast<xcb_window_t>(window_->winId());
    switch (generic->response_type & 0x7f) {
        case XCB_CONFIGURE_NOTIFY:
            if (static_cast<const xcb_configure_notify_event_t*>(message)->window == own) Schedule();
            break;
        case XCB_REPARENT_NOTIFY:
            if (static_cast<const xcb_reparent_notify_event_t*>(message)->window == own) Schedule();
            break;
        case XCB_PROPERTY_NOTIFY:
            if (static_cast<const xcb_property_notify_event_t*>(message)->window == own) Schedule();
            break;
        default:
            break;
    }
    return false;
}

void FrameKeeper::Schedule() {
    if (scheduled_) return;
    scheduled_ = true;
    // After Qt has handled the event that announced the change.
    QTimer::singleShot(0, this, [this] {
        scheduled_ = false;
        Check();
    });
}

void FrameKeeper::Check() {
    QWindow* handle = window_->windowHandle();
    if (!handle || !window_->isVisible()) return;
    const QMargins margins = handle->frameMargins();
    if (margins == last_) return;
    last_ = margins;
    // Full screen and minimised windows have no frame of their own to keep; the state change
    // back to normal brings the decorations, and with them the next check.
    if (window_->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)) return;
    if (keep_ && !keep_()) return;
    Twips::ReapplyFrame(window_);
}
