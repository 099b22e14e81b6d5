#include "MovieWindow.h"

#include <QCoreApplication>
#include <QPainter>

namespace mci {

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
    // The pipeline already scales to our size; this only stretches while a new size is on its way.
    if (frame_.size() == size())
        p.drawImage(0, 0, frame_);
    else
        p.drawImage(rect(), frame_);
}

void MovieWindow::resizeEvent(QResizeEvent*) {
    if (onResize) onResize(size());
}

void FrameSlot::post(QImage frame) {
    std::lock_guard lock(mutex_);
    latest_ = std::move(frame);
    QCoreApplication* app = QCoreApplication::instance();
    if (queued_ || !app) return;
    queued_ = true;
    // Queued on the application, which outlives every pipeline: the window may go away on the UI
    // thread at any time, so only the UI thread looks at it.
    QMetaObject::invokeMethod(
        app, [self = shared_from_this()] { self->deliver(); }, Qt::QueuedConnection);
}

void FrameSlot::show(QImage frame) {
    {
        std::lock_guard lock(mutex_);
        latest_ = QImage();
    }
    if (window_ && !frame.isNull()) window_->setFrame(std::move(frame));
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
