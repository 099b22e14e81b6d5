// libFuzzer entry: any stream a demuxer hands on may reach the decoders. The first byte picks the
// caps, then come the caps' codec_data and the compressed frames, each with a two-byte length;
// one flush midway stands for a seek. Nothing may fault, leak or raise a critical warning.
#include <gst/check/gstharness.h>
#include <gst/gst.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "Elements.h"

namespace {

struct Stream {
    const char* element;
    const char* caps;
};

constexpr std::array kStreams = {
    Stream{"peltovideodec", "video/x-h264, stream-format=avc, alignment=au"},
    Stream{"peltovideodec", "video/x-h264, stream-format=byte-stream, alignment=au"},
    Stream{"peltovideodec", "video/x-h265, stream-format=byte-stream, alignment=au"},
    Stream{"peltovideodec", "video/mpeg, mpegversion=4, systemstream=false, parsed=true"},
    Stream{"peltovideodec", "video/mpeg, mpegversion=2, systemstream=false, parsed=true"},
    Stream{"peltoaudiodec",
           "audio/mpeg, mpegversion=4, stream-format=raw, framed=true, rate=44100, channels=2"},
    Stream{"peltoaudiodec", "audio/mpeg, mpegversion=4, stream-format=adts, framed=true"},
    Stream{"peltoaudiodec", "audio/mpeg, mpegversion=1, layer=3, parsed=true, rate=44100, channels=2"},
    Stream{"peltoaudiodec", "audio/x-ac3, framed=true, alignment=frame, rate=48000, channels=6"},
};

bool registered = [] {
    gst_init(nullptr, nullptr);
    g_log_set_always_fatal(static_cast<GLogLevelFlags>(G_LOG_LEVEL_CRITICAL | G_LOG_FATAL_MASK));
    return peltocodecs::registerElements(nullptr, GST_RANK_NONE);
}();

void drain(GstHarness* h) {
    while (GstBuffer* out = gst_harness_try_pull(h)) gst_buffer_unref(out);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!registered || size < 2) return 0;
    const Stream& stream = kStreams[data[0] % kStreams.size()];
    const bool seek = data[0] & 0x80;
    std::size_t at = 2;
    const std::size_t extra = std::min<std::size_t>(data[1], size - at);

    GstHarness* h = gst_harness_new(stream.element);
    if (GST_IS_ELEMENT(h->element) &&
        g_object_class_find_property(G_OBJECT_GET_CLASS(h->element), "max-threads"))
        g_object_set(h->element, "max-threads", 1, nullptr);
    GstCaps* caps = gst_caps_from_string(stream.caps);
    if (extra > 0) {
        GstBuffer* codecData = gst_buffer_new_memdup(data + at, extra);
        gst_caps_set_simple(caps, "codec_data", GST_TYPE_BUFFER, codecData, nullptr);
        gst_buffer_unref(codecData);
    }
    at += extra;
    gst_harness_set_src_caps(h, caps);

    for (std::size_t i = 0; at + 2 <= size; ++i) {
        const std::size_t length = std::min<std::size_t>((data[at] << 8) | data[at + 1], size - at - 2);
        at += 2;
        GstBuffer* buffer = length ? gst_buffer_new_memdup(data + at, length) : gst_buffer_new();
        at += length;
        GST_BUFFER_PTS(buffer) = i * 40 * GST_MSECOND;
        GST_BUFFER_DURATION(buffer) = 40 * GST_MSECOND;
        if (i > 0) GST_BUFFER_FLAG_SET(buffer, GST_BUFFER_FLAG_DELTA_UNIT);
        if (gst_harness_push(h, buffer) != GST_FLOW_OK) break;
        drain(h);
        if (seek && i == 2) {
            gst_harness_push_event(h, gst_event_new_flush_start());
            gst_harness_push_event(h, gst_event_new_flush_stop(TRUE));
            GstSegment segment;
            gst_segment_init(&segment, GST_FORMAT_TIME);
            segment.start = 60 * GST_MSECOND;
            gst_harness_push_event(h, gst_event_new_segment(&segment));
        }
    }
    gst_harness_push_event(h, gst_event_new_eos());
    drain(h);
    gst_harness_teardown(h);
    return 0;
}
