#pragma once
// Owning pointers to libavcodec's objects, each freed by its own function.

extern "C" {
#include <libavcodec/avcodec.h>
}

#include <memory>

namespace peltocodecs {

struct AvFree {
    void operator()(AVCodecContext* p) const { avcodec_free_context(&p); }
    void operator()(AVFrame* p) const { av_frame_free(&p); }
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};

using CodecContext = std::unique_ptr<AVCodecContext, AvFree>;
using Frame = std::unique_ptr<AVFrame, AvFree>;
using Packet = std::unique_ptr<AVPacket, AvFree>;

}  // namespace peltocodecs
