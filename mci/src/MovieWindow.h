#pragma once
// The widget a movie is painted into, and the hand-over of frames from the streaming thread.

#include <QImage>
#include <QPointer>
#include <QWidget>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

namespace mci {

class MovieWindow : public QWidget {
    Q_OBJECT
  public:
    explicit MovieWindow(QWidget* parent);
    void setFrame(QImage frame);
    const QImage& frame() const { return frame_; }  // for tests
    int framesShown() const { return framesShown_; }
    // The framesShown() count when the picture was last painted: equal once the newest is on screen.
    int framesPainted() const { return framesPainted_; }
    // Called with the new size so the pipeline scales to it.
    std::function<void(QSize)> onResize;

  protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;

  private:
    QImage frame_;
    int framesShown_ = 0;
    int framesPainted_ = 0;
};

// Written by the streaming thread, read on the UI thread. Only the newest frame is kept, and at
// most one hand-over is queued at a time, so a busy UI thread never piles up frames.
class FrameSlot : public std::enable_shared_from_this<FrameSlot> {
  public:
    explicit FrameSlot(MovieWindow* window) : window_(window) {}
    // `time` is the frame's stream time in nanoseconds, -1 when unknown.
    void post(QImage frame, std::int64_t time);  // streaming thread
    // Shows `frame` at once and drops any older one still on its way (UI thread).
    void show(QImage frame, std::int64_t time);
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
    QImage latest_;                 // guarded by mutex_
    bool queued_ = false;           // guarded by mutex_
    std::int64_t newestTime_ = -1;  // guarded by mutex_
    QPointer<MovieWindow> window_;  // only touched on the UI thread
};

}  // namespace mci
