#include "Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QVariant>
#include <QWidget>
#include <QWindow>
#include <algorithm>

#include "mdlFunctions.h"

namespace {

const char* const kNames[4] = {"twipsLeft", "twipsTop", "twipsWidth", "twipsHeight"};
enum Edge { kLeft, kTop, kWidth, kHeight };

QScreen* ScreenOf(const QWidget* w) {
    QScreen* s = w ? w->screen() : nullptr;
    return s ? s : QGuiApplication::primaryScreen();
}

double Dpi(bool x) {
    QScreen* s = QGuiApplication::primaryScreen();
    if (!s) return 96.0;
    double dpi = x ? s->logicalDotsPerInchX() : s->logicalDotsPerInchY();
    return dpi > 0 ? dpi : 96.0;
}

// Stored settings can hold nan or huge numbers: RoundHalfEven takes them to 0 or the int range.
int Round(double v) {
    return mdlFunctions::RoundHalfEven(v);
}

// The window system's own idea of a window: a widget's copy lags behind until Qt delivers the
// move and resize events, and its frame margins are only refreshed with them.
QWindow* PlatformWindow(const QWidget* w) {
    QWindow* handle = w->windowHandle();
    return handle && w->testAttribute(Qt::WA_WState_Created) && handle->handle() ? handle : nullptr;
}

const char* const kMargins = "twipsFrameMargins";

// A hidden window keeps the frame it had when last shown: the window manager takes the frame
// away on hide, but the window's Left and Width stay what they were, as they are saved on exit.
QMargins FrameMargins(const QWidget* w) {
    QWindow* handle = PlatformWindow(w);
    if (handle && w->isVisible()) {
        const QMargins m = handle->frameMargins();
        // Memory of the window system's state, not a change of the widget.
        const_cast<QWidget*>(w)->setProperty(kMargins, QVariant::fromValue(m));
        return m;
    }
    const QVariant remembered = w->property(kMargins);
    return remembered.isValid() ? remembered.value<QMargins>() : QMargins();
}

QRect ClientRect(const QWidget* w) {
    QWindow* handle = PlatformWindow(w);
    return handle ? handle->geometry() : w->geometry();
}

QRect PixelRect(const QWidget* w) {
    if (!w->isWindow()) return w->geometry();
    // Without a frame yet (hidden, or no window manager) the frame is the client rectangle.
    return ClientRect(w).marginsAdded(FrameMargins(w));
}

void SetEdge(QRect& r, Edge e, int px) {
    switch (e) {
        case kLeft:
            r.moveLeft(px);
            break;
        case kTop:
            r.moveTop(px);
            break;
        case kWidth:
            r.setWidth(px);
            break;
        default:
            r.setHeight(px);
            break;
    }
}

// Places a window so that its outer frame is the given rectangle, with the frame margins known now.
void SetFrameRect(QWidget* w, const QRect& frame) {
    const QMargins m = FrameMargins(w);
    QRect client = frame.marginsRemoved(m);
    client.setWidth(std::max(client.width(), 1));
    client.setHeight(std::max(client.height(), 1));
    w->setGeometry(client);
    // The widget skips a request equal to its own stale copy; the window system may differ.
    if (QWindow* handle = PlatformWindow(w); handle && handle->geometry() != client)
        handle->setGeometry(client);
}

int PixelEdge(const QRect& r, Edge e) {
    switch (e) {
        case kLeft:
            return r.x();
        case kTop:
            return r.y();
        case kWidth:
            return r.width();
        default:
            return r.height();
    }
}

double Get(const QWidget* w, Edge e) {
    const double tpp = (e == kLeft || e == kWidth) ? Twips::PerPixelX() : Twips::PerPixelY();
    const int px = PixelEdge(PixelRect(w), e);
    const QVariant stored = w->property(kNames[e]);
    if (stored.isValid() && Round(stored.toDouble() / tpp) == px) return stored.toDouble();
    return px * tpp;
}

void Set(QWidget* w, Edge e, double twips) {
    const double tpp = (e == kLeft || e == kWidth) ? Twips::PerPixelX() : Twips::PerPixelY();
    // Qt's own bound on a widget's size, for places too: a stored 1e308 stays a (huge) window
    // instead of overflowing the rectangle's edge arithmetic.
    const int px = std::clamp(Round(twips / tpp), -QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    w->setProperty(kNames[e], twips);
    if (!w->isWindow()) {
        QRect r = w->geometry();
        SetEdge(r, e, (e == kWidth || e == kHeight) ? std::max(px, 0) : px);
        w->setGeometry(r);
        return;
    }
    QRect frame = PixelRect(w);
    SetEdge(frame, e, (e == kWidth || e == kHeight) ? std::max(px, 1) : px);
    SetFrameRect(w, frame);
}

}  // namespace

double Twips::PerPixelX() {
    return 1440.0 / Dpi(true);
}
double Twips::PerPixelY() {
    return 1440.0 / Dpi(false);
}
int Twips::ToPixelsX(double twips) {
    return Round(twips / PerPixelX());
}
int Twips::ToPixelsY(double twips) {
    return Round(twips / PerPixelY());
}
double Twips::ScreenWidth(const QWidget* on) {
    return ScreenOf(on)->geometry().width() * PerPixelX();
}
double Twips::ScreenHeight(const QWidget* on) {
    return ScreenOf(on)->geometry().height() * PerPixelY();
}
double Twips::ScreenLeft(const QWidget* on) {
    return ScreenOf(on)->geometry().x() * PerPixelX();
}
double Twips::ScreenTop(const QWidget* on) {
    return ScreenOf(on)->geometry().y() * PerPixelY();
}
Twips::Area Twips::Available(const QWidget* on) {
    const QRect r = ScreenOf(on)->availableGeometry();
    return {r.x() * PerPixelX(), r.y() * PerPixelY(), r.width() * PerPixelX(), r.height() * PerPixelY()};
}

double Twips::Left(const QWidget* w) {
    return Get(w, kLeft);
}
double Twips::Top(const QWidget* w) {
    return Get(w, kTop);
}
double Twips::Width(const QWidget* w) {
    return Get(w, kWidth);
}
double Twips::Height(const QWidget* w) {
    return Get(w, kHeight);
}
void Twips::SetLeft(QWidget* w, double twips) {
    Set(w, kLeft, twips);
}
void Twips::SetTop(QWidget* w, double twips) {
    Set(w, kTop, twips);
}
void Twips::SetWidth(QWidget* w, double twips) {
    Set(w, kWidth, twips);
}
void Twips::SetHeight(QWidget* w, double twips) {
    Set(w, kHeight, twips);
}
void Twips::SetRect(QWidget* w, double left, double top, double width, double height) {
    Set(w, kLeft, left);
    Set(w, kTop, top);
    Set(w, kWidth, width);
    Set(w, kHeight, height);
}

void Twips::ReapplyFrame(QWidget* w) {
    if (!w || !w->isWindow()) return;
    QRect frame = PixelRect(w);
    for (Edge e : {kLeft, kTop, kWidth, kHeight}) {
        const QVariant stored = w->property(kNames[e]);
        if (!stored.isValid()) continue;
        const double tpp = (e == kLeft || e == kWidth) ? PerPixelX() : PerPixelY();
        SetEdge(frame, e, Round(stored.toDouble() / tpp));
    }
    SetFrameRect(w, frame);
}
