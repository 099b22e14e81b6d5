#pragma once
// Decoded frames as images for the movie window: one libswscale pass from the decoder's own
// format to Qt's RGB32 at the size asked, into a few images that are used again once nobody
// holds them. Half the cost of GStreamer's converter at 720p, and no pool of RGB frames.

#include <gst/gst.h>

#include <QImage>
#include <QSize>
#include <array>
#include <mutex>

struct SwsContext;

namespace mci {

class FrameConverter {
  public:
    FrameConverter() = default;
    ~FrameConverter();
    FrameConverter(const FrameConverter&) = delete;
    FrameConverter& operator=(const FrameConverter&) = delete;

    // The formats convert() reads, for the caps in front of the sink.
    static GstCaps* inputCaps();
    // The size images come out at; empty: the frame's own. Any thread.
    void setSize(QSize size);
    // Null when the sample holds no frame that can be read. Any thread.
    QImage convert(GstSample* sample);

  private:
    QImage& freeImage(QSize size);  // under mutex_

    std::mutex mutex_;
    QSize size_;                  // guarded by mutex_
    SwsContext* sws_ = nullptr;   // guarded by mutex_
    int colorspace_ = -1;         // guarded by mutex_: what sws_ was told of the source
    int fullRange_ = -1;          // guarded by mutex_
    std::array<QImage, 3> pool_;  // guarded by mutex_
    std::size_t next_ = 0;        // guarded by mutex_: the slot a new image goes to
};

}  // namespace mci
