#pragma once
// Keeps a top-level window's outer frame where the program put it. A window manager adds its
// decorations after the window is shown and again after full screen; the frame then grows around
// a client placed for no frame. When the margins change, the frame is put back on its twips.

#include <QAbstractNativeEventFilter>
#include <QMargins>
#include <QObject>
#include <functional>

class QWidget;

class FrameKeeper : public QObject, public QAbstractNativeEventFilter {
  public:
    // keep: whether the window's frame is its own to keep now (not in full screen, say).
    FrameKeeper(QWidget* window, std::function<bool()> keep);  // owned by the window
    ~FrameKeeper() override;

    // Compares the frame margins with the last seen and puts the frame back when they changed.
    void Check();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

  private:
    void Schedule();

    QWidget* window_;
    std::function<bool()> keep_;
    QMargins last_;
    bool scheduled_ = false;
};
