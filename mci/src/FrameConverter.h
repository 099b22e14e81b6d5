#pragma once
// Decoded frames as pictures for the movie window: one libswscale pass from the decoder's own
// format to 32-bit RGB at the size asked, written straight where the picture goes. Half the cost
// of GStreamer's converter at 720p, and no pool of RGB frames.

#include <gst/gst.h>

#include <QImage>
#include <QRect>
#include <QSize>

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
    // The frame's size in pixels; empty when the sample holds no frame convert() can read.
    static QSize frameSize(GstSample* sample);
    // Whether convert() can write into `image`: 32 bits a pixel, RGB32's byte order.
    static bool canWriteTo(const QImage& image);
    // Writes the part `from` of the frame (all of it when empty; x and y are taken down to even
    // numbers) scaled to `to` into `target`, which canWriteTo accepts and which holds `to`;
    // false when there is no frame to read.
    bool convert(GstSample* sample, QRect from, QImage& target, QRect to);
    // The frame as a new image of `size`; null when there is no frame to read.
    QImage convert(GstSample* sample, QSize size);

  private:
    SwsContext* sws_ = nullptr;
    int colorspace_ = -1;  // what sws_ was told of the source
    int fullRange_ = -1;
};

}  // namespace mci
