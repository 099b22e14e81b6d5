#include "MovieWindow.h"

#include <QCoreApplication>
#include <QPainter>
#include <cstdlib>

#include "FrameSize.h"

namespace mci {
namespace {

bool nearly(QSize a, QSize b) {
    return std::abs(a.width() - b.width()) <= kNearNativeSlack &&
           std::abs(a.height() - b.height()) <= kNearNativeSlack;
}

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

}  // namespace

MovieWindow::MovieWindow(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("movie window"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
}

void MovieWindow::setFrame(QImage frame) {
    frame_ = std::move(frame);
    ++framesShown_;
    update();
}

void MovieWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (frame_.isNull()) {
        p.fillRect(rect(), Qt::black);
        return;
    }
    // Frames come at our size, or at the picture's own when we are within a few pixels of it, or
    // at the old size while a new one is on its way.
    if (frame_.size() == size())
        p.drawImage(0, 0, frame_);
    else if (nearly(frame_.size(), size()))
        drawNearlyOneToOne(p, frame_, size());
    else
        p.drawImage(rect(), frame_);
    framesPainted_ = framesShown_;
}

void MovieWindow::resizeEvent(QResizeEvent*) {
    if (onResize) onResize(size());
}

void FrameSlot::post(QImage frame, std::int64_t time) {
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

void FrameSlot::show(QImage frame, std::int64_t time) {
    {
        std::lock_guard lock(mutex_);
        latest_ = QImage();
        newestTime_ = time;
    }
    if (window_ && !frame.isNull()) window_->setFrame(std::move(frame));
}

std::int64_t FrameSlot::newestTime() {
    std::lock_guard lock(mutex_);
    return newestTime_;
}

void FrameSlot::deliver() {
    QImage frame;
    {
        std::lock_guard lock(mutex_);
        frame = std::move(latest_);
        latest_ = QImage();
        queued_ = false;
    }
    if (window_ && !frame.isNull()) window_->setFrame(std::move(frame));
}

}  // namespace mci
