#include "Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QVariant>
#include <QWidget>
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

QRect PixelRect(const QWidget* w) {
    if (!w->isWindow()) return w->geometry();
    // Without a frame yet (hidden, or no window manager) the frame is the client rectangle.
    return w->frameGeometry();
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
    const int px = Round(twips / tpp);
    w->setProperty(kNames[e], twips);
    if (!w->isWindow()) {
        QRect r = w->geometry();
        switch (e) {
            case kLeft:
                r.moveLeft(px);
                break;
            case kTop:
                r.moveTop(px);
                break;
            case kWidth:
                r.setWidth(std::max(px, 0));
                break;
            default:
                r.setHeight(std::max(px, 0));
                break;
        }
        w->setGeometry(r);
        return;
    }
    const QRect frame = w->frameGeometry();
    const QRect client = w->geometry();
    switch (e) {
        case kLeft:
            w->move(px, frame.y());
            break;
        case kTop:
            w->move(frame.x(), px);
            break;
        case kWidth:
            w->resize(std::max(px - (frame.width() - client.width()), 1), client.height());
            break;
        default:
            w->resize(client.width(), std::max(px - (frame.height() - client.height()), 1));
            break;
    }
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
double Twips::ScreenWidth() {
    return ScreenOf(nullptr)->geometry().width() * PerPixelX();
}
double Twips::ScreenHeight() {
    return ScreenOf(nullptr)->geometry().height() * PerPixelY();
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
