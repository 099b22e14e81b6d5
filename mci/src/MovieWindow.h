#pragma once
// The widget a movie is painted into, and the hand-over of frames from the streaming thread.

#include <gst/gst.h>

#include <QImage>
#include <QPointer>
#include <QWidget>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "FrameConverter.h"
#include "GstRef.h"

namespace mci {

class MovieWindow : public QWidget {
    Q_OBJECT
  public:
    explicit MovieWindow(QWidget* parent);
    // A decoded frame: it stays in the decoder's format until it is painted.
    void setFrame(GstRef<GstSample> frame);
    // The picture as painted, at the size it is converted to (for tests).
    QImage frame();
    int framesShown() const { return framesShown_; }
    // The framesShown() count when the picture was last painted: equal once the newest is on screen.
    int framesPainted() const { return framesPainted_; }

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    QSize pictureSize() const;  // what the frame is converted to: ours, or its own when near it
    // Converts straight into the surface Qt paints us on, when that is an image it can write.
    bool paintDirect(const QPaintEvent& event);
    void paintThroughPainter();

    GstRef<GstSample> frame_;
    QSize own_;  // the frame's size in pixels; empty when there is none to paint
    FrameConverter converter_;
    QImage painted_;  // only where the surface cannot be written directly
    int framesShown_ = 0;
    int framesPainted_ = 0;
};

// Written by the streaming thread, read on the UI thread. Only the newest frame is kept, and at
// most one hand-over is queued at a time, so a busy UI thread never piles up frames.
class FrameSlot : public std::enable_shared_from_this<FrameSlot> {
  public:
    explicit FrameSlot(MovieWindow* window) : window_(window) {}
    // `time` is the frame's stream time in nanoseconds, -1 when unknown.
    void post(GstRef<GstSample> frame, std::int64_t time);  // streaming thread
    // Shows `frame` at once and drops any older one still on its way (UI thread).
    void show(GstRef<GstSample> frame, std::int64_t time);
    // The time of the newest frame handed over: the one on screen once the UI thread is free.
    std::int64_t newestTime();
    // Paused after playing, the window takes only what the device shows itself: the sink prerolls
    // on the frame after the one on screen, and a frame it was still rendering as the pause took
    // hold would put the picture past the position. Seeks, steps and playing make it live again.
    void setLive(bool live) { live_ = live; }
    bool live() const { return live_; }

  private:
    void deliver();  // UI thread
    std::atomic<bool> live_{true};
    std::mutex mutex_;
    GstRef<GstSample> latest_;      // guarded by mutex_
    bool queued_ = false;           // guarded by mutex_
    std::int64_t newestTime_ = -1;  // guarded by mutex_
    QPointer<MovieWindow> window_;  // only touched on the UI thread
};

}  // namespace mci
