#pragma once
// A decoded picture handed on without a copy: the buffer's memory is the decoder's own, which
// libavcodec takes back into its pool when the last holder lets go. A 4K frame is 25 MB: copying
// each one costs a pool of such frames and a memory pass per frame.

#include <gst/video/video.h>

extern "C" {
#include <libavutil/frame.h>
}

namespace peltocodecs {

// A buffer over the picture's planes, with the video meta that says where they are; null when its
// planes do not lie as `info` describes them (the caller copies then).
GstBuffer* wrapPicture(const AVFrame& picture, const GstVideoInfo& info);

}  // namespace peltocodecs
