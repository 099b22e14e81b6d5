#pragma once
// The widget a movie is painted into, and the hand-over of frames from the streaming thread.

#include <QImage>
#include <QPointer>
#include <QWidget>
#include <atomic>
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
    // Called with the new size so the pipeline scales to it.
    std::function<void(QSize)> onResize;

  protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;

  private:
    QImage frame_;
    int framesShown_ = 0;
};

// Written by the streaming thread, read on the UI thread. Only the newest frame is kept, and at
// most one hand-over is queued at a time, so a busy UI thread never piles up frames.
class FrameSlot : public std::enable_shared_from_this<FrameSlot> {
  public:
    explicit FrameSlot(MovieWindow* window) : window_(window) {}
    void post(QImage frame);  // streaming thread
    // Shows `frame` at once and drops any older one still on its way (UI thread).
    void show(QImage frame);
    // A sink that pauses after playing prerolls on the frame after the one on screen; showing it
    // would put the picture one frame ahead of the position. Only prerolls after a seek are shown.
    void setShowPreroll(bool show) { showPreroll_ = show; }
    bool showPreroll() const { return showPreroll_; }

  private:
    void deliver();  // UI thread
    std::atomic<bool> showPreroll_{true};
    std::mutex mutex_;
    QImage latest_;                 // guarded by mutex_
    bool queued_ = false;           // guarded by mutex_
    QPointer<MovieWindow> window_;  // only touched on the UI thread
};

}  // namespace mci
