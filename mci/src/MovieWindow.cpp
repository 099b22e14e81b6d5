#include "MovieWindow.h"

#include <QCoreApplication>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cstring>

#include "FrameSize.h"

namespace mci {
namespace {

// The picture 1:1 in the middle of `area`, its outer rows and columns drawn out over the few pixels
// left at the edges: a plain copy, where even an unfiltered stretch of the whole costs more than
// converting the frame.
void drawNearlyOneToOne(QPainter& p, const QImage& f, QSize area) {
    const int w = f.width(), h = f.height();
    const int x = (area.width() - w) / 2, y = (area.height() - h) / 2;
    p.drawImage(x, y, f);
    const int right = area.width() - x - w, bottom = area.height() - y - h;
    if (x > 0) p.drawImage(QRect(0, y, x, h), f, QRect(0, 0, 1, h));
    if (right > 0) p.drawImage(QRect(x + w, y, right, h), f, QRect(w - 1, 0, 1, h));
    if (y > 0) p.drawImage(QRect(0, 0, area.width(), y), f, QRect(0, 0, w, 1));
    if (bottom > 0) p.drawImage(QRect(0, y + h, area.width(), bottom), f, QRect(0, h - 1, w, 1));
}

// The same over the few pixels of `area` that `picture` leaves, in place on a 32-bit surface.
void drawOutEdges(QImage& surface, QRect picture, QRect area) {
    const auto row = [&](int y) {
        return reinterpret_cast<QRgb*>(surface.bits() + y * surface.bytesPerLine());
    };
    if (picture.left() > area.left() || picture.right() < area.right())
        for (int y = picture.top(); y <= picture.bottom(); ++y) {
            QRgb* line = row(y);
            std::fill(line + area.left(), line + picture.left(), line[picture.left()]);
            std::fill(line + picture.right() + 1, line + area.right() + 1, line[picture.right()]);
        }
    const auto bytes = static_cast<std::size_t>(area.width()) * sizeof(QRgb);
    for (int y = area.top(); y < picture.top(); ++y)
        std::memcpy(row(y) + area.left(), row(picture.top()) + area.left(), bytes);
    for (int y = picture.bottom() + 1; y <= area.bottom(); ++y)
        std::memcpy(row(y) + area.left(), row(picture.bottom()) + area.left(), bytes);
}

}  // namespace

MovieWindow::MovieWindow(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("movie window"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
}

void MovieWindow::setFrame(GstRef<GstSample> frame) {
    frame_ = std::move(frame);
    own_ = FrameConverter::frameSize(frame_.get());
    ++framesShown_;
    update();
}

QSize MovieWindow::pictureSize() const {
    return own_.isEmpty() ? QSize() : frameSizeFor(size(), own_);
}

QImage MovieWindow::frame() {
    return converter_.convert(frame_.get(), pictureSize());
}

void MovieWindow::paintEvent(QPaintEvent* event) {
    if (own_.isEmpty()) {
        QPainter(this).fillRect(rect(), Qt::black);
        return;
    }
    if (!paintDirect(*event)) paintThroughPainter();
    framesPainted_ = framesShown_;
}

bool MovieWindow::paintDirect(const QPaintEvent& event) {
    // Only within the region Qt asked for: it paints what lies above us just there.
    if (event.region().rectCount() != 1) return false;
    const QRect clip = event.region().boundingRect() & rect();
    QPoint offset;
    auto* surface = dynamic_cast<QImage*>(redirected(&offset));
    if (clip.isEmpty() || !surface || !FrameConverter::canWriteTo(*surface) ||
        surface->devicePixelRatio() != 1.0 || !surface->rect().contains(clip.translated(-offset)))
        return false;
    // Near its own size the picture goes 1:1 in the middle, its edge rows drawn out over what is
    // left, or its outer rows left off where it is a little larger than we are. Scaled, a part of
    // it cannot be converted alone.
    const QSize picture = pictureSize();
    const bool oneToOne = picture == own_;
    if (!oneToOne && clip != rect()) return false;
    const QRect placed(QPoint((width() - picture.width()) / 2, (height() - picture.height()) / 2), picture);
    QRect shown = placed & clip;
    // An even part: with an odd number of rows libswscale leaves its fast path and takes five
    // times as long. A row or column left over is drawn out from its neighbour.
    if (oneToOne) shown.setSize(QSize(shown.width() & ~1, shown.height() & ~1));
    const QRect from = oneToOne ? shown.translated(-placed.topLeft()) : QRect();
    if (shown.isEmpty() || from.x() % 2 != 0 || from.y() % 2 != 0) return false;
    const QRect to = shown.translated(-offset);
    if (!converter_.convert(frame_.get(), from, *surface, to)) return false;
    drawOutEdges(*surface, to, clip.translated(-offset));
    return true;
}

void MovieWindow::paintThroughPainter() {
    const QSize picture = pictureSize();
    if (painted_.size() != picture) painted_ = QImage(picture, QImage::Format_RGB32);
    QPainter p(this);
    if (!converter_.convert(frame_.get(), QRect(), painted_, painted_.rect())) {
        p.fillRect(rect(), Qt::black);
        return;
    }
    if (picture == size())
        p.drawImage(0, 0, painted_);
    else
        drawNearlyOneToOne(p, painted_, size());
}

void FrameSlot::post(GstRef<GstSample> frame, std::int64_t time) {
    std::lock_guard lock(mutex_);
    latest_ = std::move(frame);
    newestTime_ = time;
    QCoreApplication* app = QCoreApplication::instance();
    if (queued_ || !app) return;
    queued_ = true;
    // Queued on the application, which outlives every pipeline: the window may go away on the UI
    // thread at any time, so only the UI thread looks at it.
    QMetaObject::invokeMethod(
        app, [self = shared_from_this()] { self->deliver(); }, Qt::QueuedConnection);
}

void FrameSlot::show(GstRef<GstSample> frame, std::int64_t time) {
    {
        std::lock_guard lock(mutex_);
        latest_.reset();
        newestTime_ = time;
    }
    if (window_ && frame) window_->setFrame(std::move(frame));
}

std::int64_t FrameSlot::newestTime() {
    std::lock_guard lock(mutex_);
    return newestTime_;
}

void FrameSlot::deliver() {
    GstRef<GstSample> frame;
    {
        std::lock_guard lock(mutex_);
        frame = std::move(latest_);
        latest_.reset();
        queued_ = false;
    }
    if (window_ && frame) window_->setFrame(std::move(frame));
}

}  // namespace mci
