// A video decoder element over libavcodec: whole compressed frames in, raw frames out.
#include <gst/video/gstvideodecoder.h>
#include <gst/video/video.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>

extern "C" {
#include <libavutil/pixdesc.h>
}

#include "AvRef.h"
#include "CodecMap.h"
#include "Elements.h"
#include "Hurry.h"
#include "WrappedPicture.h"

namespace {

using namespace peltocodecs;

struct VideoState {
    CodecContext ctx;
    Frame frame{av_frame_alloc()};
    Packet packet{av_packet_alloc()};
    GstVideoCodecState* input = nullptr;  // owned
    // What the source pad was last told.
    GstVideoInfo out{};
    AVPixelFormat outFormat = AV_PIX_FMT_NONE;
    int outWidth = 0, outHeight = 0;
    AVRational outAspect{0, 1};
    int maxThreads = 0;
    bool wrapPictures = false;  // downstream reads planes where the video meta says
    Hurry hurry;
    bool skippingToKeyframe = false;  // frames are being left out whole until the next keyframe
    std::int64_t frameDuration = 0;   // stream time, from the negotiated rate

    VideoState() { gst_video_info_init(&out); }
    VideoState(const VideoState&) = delete;
    VideoState& operator=(const VideoState&) = delete;
    ~VideoState() { setInput(nullptr); }
    void setInput(GstVideoCodecState* state) {
        if (state) gst_video_codec_state_ref(state);
        if (input) gst_video_codec_state_unref(input);
        input = state;
    }
    void closeCodec() {
        ctx.reset();
        outFormat = AV_PIX_FMT_NONE;
    }
};

struct PeltoVideoDec {
    GstVideoDecoder parent;
    VideoState* state;
};
struct PeltoVideoDecClass {
    GstVideoDecoderClass parent_class;
};

enum { PropMaxThreads = 1 };

G_DEFINE_TYPE(PeltoVideoDec, pelto_video_dec, GST_TYPE_VIDEO_DECODER)

VideoState& stateOf(GstVideoDecoder* dec) {
    return *reinterpret_cast<PeltoVideoDec*>(dec)->state;
}

bool negotiate(GstVideoDecoder* dec, const AVFrame& frame) {
    VideoState& s = stateOf(dec);
    const auto format = static_cast<AVPixelFormat>(frame.format);
    if (format == s.outFormat && frame.width == s.outWidth && frame.height == s.outHeight &&
        av_cmp_q(frame.sample_aspect_ratio, s.outAspect) == 0 && !gst_pad_check_reconfigure(dec->srcpad))
        return true;
    const GstVideoFormat gstFormat = videoFormatFor(format);
    if (gstFormat == GST_VIDEO_FORMAT_UNKNOWN) {
        GST_ELEMENT_ERROR(dec, STREAM, DECODE, (nullptr),
                          ("pixel format %s is not handed on", av_get_pix_fmt_name(format)));
        return false;
    }
    GstVideoCodecState* out = gst_video_decoder_set_output_state(
        dec, gstFormat, static_cast<guint>(frame.width), static_cast<guint>(frame.height), s.input);
    describeColour(frame, &out->info);
    if (frame.sample_aspect_ratio.num > 0 && frame.sample_aspect_ratio.den > 0) {
        out->info.par_n = frame.sample_aspect_ratio.num;
        out->info.par_d = frame.sample_aspect_ratio.den;
    }
    gst_video_codec_state_unref(out);
    if (!gst_video_decoder_negotiate(dec)) return false;
    GstVideoCodecState* negotiated = gst_video_decoder_get_output_state(dec);
    s.out = negotiated->info;
    gst_video_codec_state_unref(negotiated);
    s.frameDuration =
        s.out.fps_n > 0
            ? static_cast<std::int64_t>(gst_util_uint64_scale_int(GST_SECOND, s.out.fps_d, s.out.fps_n))
            : 0;
    s.outFormat = format;
    s.outWidth = frame.width;
    s.outHeight = frame.height;
    s.outAspect = frame.sample_aspect_ratio;
    return true;
}

void copyPicture(const AVFrame& frame, GstVideoFrame& to) {
    for (guint plane = 0; plane < GST_VIDEO_FRAME_N_PLANES(&to); ++plane) {
        // In every format handed on, the component of a plane's own index has that plane's size
        // (planar RGB orders its planes otherwise, but all three are the same size).
        const auto bytes = static_cast<size_t>(GST_VIDEO_FRAME_COMP_WIDTH(&to, plane)) *
                           static_cast<size_t>(GST_VIDEO_FRAME_COMP_PSTRIDE(&to, plane));
        const int rows = GST_VIDEO_FRAME_COMP_HEIGHT(&to, plane);
        auto* dst = static_cast<uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(&to, plane));
        const int dstStride = GST_VIDEO_FRAME_PLANE_STRIDE(&to, plane);
        const uint8_t* src = frame.data[plane];
        for (std::ptrdiff_t y = 0; y < rows; ++y)
            std::memcpy(dst + y * dstStride, src + y * frame.linesize[plane], bytes);
    }
}

// A frame that ends before the segment starts is decoded only to reach the next one; the base
// class would drop its picture, so it is not copied out at all.
bool beforeSegment(GstVideoDecoder* dec, const GstVideoCodecFrame* frame) {
    const GstSegment& seg = dec->output_segment;
    if (seg.format != GST_FORMAT_TIME || seg.rate < 0 || !GST_CLOCK_TIME_IS_VALID(frame->pts) ||
        !GST_CLOCK_TIME_IS_VALID(frame->duration) || frame->duration == 0)
        return false;
    return frame->pts + frame->duration <= seg.start;
}

// The decoder hands pictures on in display order: a frame still waiting that shows before the
// one just out will never come (libavcodec dropped it, or left it out in a hurry) and would
// otherwise wait for ever. A frame without a time is taken for lost once more frames came out
// after it in decoding order than the codec can hold back.
void releaseLost(GstVideoDecoder* dec, const GstVideoCodecFrame* out, int heldBack) {
    const bool timed = GST_CLOCK_TIME_IS_VALID(out->pts);
    GList* frames = gst_video_decoder_get_frames(dec);
    for (GList* l = frames; l; l = l->next) {
        auto* f = static_cast<GstVideoCodecFrame*>(l->data);
        const bool lost =
            GST_CLOCK_TIME_IS_VALID(f->pts)
                ? timed && f->pts < out->pts
                : static_cast<std::int64_t>(f->system_frame_number) + heldBack < out->system_frame_number;
        if (f != out && lost)
            gst_video_decoder_release_frame(dec, f);
        else
            gst_video_codec_frame_unref(f);
    }
    g_list_free(frames);
}

std::int64_t runningTime(const GstSegment& segment, GstClockTime pts) {
    if (segment.format != GST_FORMAT_TIME || !GST_CLOCK_TIME_IS_VALID(pts)) return Hurry::kNone;
    const guint64 t = gst_segment_to_running_time(&segment, GST_FORMAT_TIME, pts);
    return GST_CLOCK_TIME_IS_VALID(t) ? static_cast<std::int64_t>(t) : Hurry::kNone;
}

// Leaves out what the codec allows while the frames come too late, and nothing otherwise.
void applySkip(AVCodecContext& ctx, Hurry::Skip skip) {
    if (skip == Hurry::Skip::UntilKeyframe) skip = Hurry::Skip::NonReferenceAndLoopFilter;
    ctx.skip_frame = skip == Hurry::Skip::Nothing ? AVDISCARD_DEFAULT : AVDISCARD_NONREF;
    ctx.skip_loop_filter = skip == Hurry::Skip::NonReferenceAndLoopFilter ? AVDISCARD_ALL : AVDISCARD_DEFAULT;
}

GstFlowReturn pushPicture(GstVideoDecoder* dec, const AVFrame& picture) {
    GstVideoCodecFrame* out = gst_video_decoder_get_frame(dec, static_cast<int>(picture.pts));
    if (!out) return GST_FLOW_OK;
    VideoState& s = stateOf(dec);
    releaseLost(dec, out, s.ctx->has_b_frames + std::max(1, s.ctx->thread_count) + 2);
    if (beforeSegment(dec, out)) return gst_video_decoder_finish_frame(dec, out);
    if (!negotiate(dec, picture)) {
        gst_video_decoder_drop_frame(dec, out);
        return GST_FLOW_NOT_NEGOTIATED;
    }
    s.hurry.pictureOut();
    if (s.wrapPictures) {
        if (GstBuffer* wrapped = wrapPicture(picture, s.out)) {
            out->output_buffer = wrapped;
            return gst_video_decoder_finish_frame(dec, out);
        }
    }
    const GstFlowReturn flow = gst_video_decoder_allocate_output_frame(dec, out);
    if (flow != GST_FLOW_OK) {
        gst_video_decoder_drop_frame(dec, out);
        return flow;
    }
    GstVideoFrame mapped;
    if (!gst_video_frame_map(&mapped, &s.out, out->output_buffer, GST_MAP_WRITE)) {
        gst_video_decoder_drop_frame(dec, out);
        return GST_FLOW_ERROR;
    }
    copyPicture(picture, mapped);
    gst_video_frame_unmap(&mapped);
    return gst_video_decoder_finish_frame(dec, out);
}

GstFlowReturn receivePictures(GstVideoDecoder* dec) {
    VideoState& s = stateOf(dec);
    for (;;) {
        const int r = avcodec_receive_frame(s.ctx.get(), s.frame.get());
        if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) return GST_FLOW_OK;
        if (r < 0) {
            GstFlowReturn flow = GST_FLOW_OK;
            GST_VIDEO_DECODER_ERROR(dec, 1, STREAM, DECODE, (nullptr), ("decoding failed (%d)", r), flow);
            return flow;
        }
        const GstFlowReturn flow = pushPicture(dec, *s.frame);
        av_frame_unref(s.frame.get());
        if (flow != GST_FLOW_OK) return flow;
    }
}

GstFlowReturn drainCodec(GstVideoDecoder* dec) {
    VideoState& s = stateOf(dec);
    if (!s.ctx) return GST_FLOW_OK;
    avcodec_send_packet(s.ctx.get(), nullptr);
    const GstFlowReturn flow = receivePictures(dec);
    avcodec_flush_buffers(s.ctx.get());  // takes packets again after the end
    return flow;
}

gboolean setFormat(GstVideoDecoder* dec, GstVideoCodecState* state) {
    VideoState& s = stateOf(dec);
    drainCodec(dec);
    s.closeCodec();
    const GstStructure* caps = gst_caps_get_structure(state->caps, 0);
    CodecContext ctx = contextFor(videoCodecFor(caps), caps);
    if (!ctx) return FALSE;
    ctx->thread_count = s.maxThreads;
    ctx->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
    if (avcodec_open2(ctx.get(), ctx->codec, nullptr) < 0) return FALSE;
    s.ctx = std::move(ctx);
    s.setInput(state);
    return TRUE;
}

GstFlowReturn handleFrame(GstVideoDecoder* dec, GstVideoCodecFrame* frame) {
    VideoState& s = stateOf(dec);
    if (!s.ctx) {
        gst_video_decoder_drop_frame(dec, frame);
        return GST_FLOW_NOT_NEGOTIATED;
    }
    // An empty frame carries no picture, and to libavcodec it would mean the end of the stream.
    if (gst_buffer_get_size(frame->input_buffer) == 0) return gst_video_decoder_drop_frame(dec, frame);
    AVPacket* pkt = s.packet.get();
    if (!fillPacket(pkt, frame->input_buffer)) {
        gst_video_decoder_drop_frame(dec, frame);
        return GST_FLOW_ERROR;
    }
    // The frame's number travels with its picture through the decoder's reordering.
    pkt->pts = frame->system_frame_number;
    // At another speed a frame shows for its duration over the rate, in running time.
    const double rate = std::abs(dec->input_segment.rate);
    s.hurry.setFrameDuration(rate > 0 ? static_cast<std::int64_t>(static_cast<double>(s.frameDuration) / rate)
                                      : 0);
    const Hurry::Skip skip = s.hurry.beforeDecode(runningTime(dec->input_segment, frame->pts));
    const bool key = GST_VIDEO_CODEC_FRAME_IS_SYNC_POINT(frame);
    // Once one frame is left out whole, the rest up to the keyframe would be pictures of missing
    // references. Released rather than dropped: a dropped frame's time would be taken for the
    // newest out, and a keyframe still inside the codec would come out with it.
    if ((skip == Hurry::Skip::UntilKeyframe || s.skippingToKeyframe) && !key) {
        s.skippingToKeyframe = true;
        av_packet_unref(pkt);
        gst_video_decoder_release_frame(dec, frame);
        return GST_FLOW_OK;
    }
    if (key && s.skippingToKeyframe) {
        // Begun afresh, as after a seek: pictures that lean on frames left out are not shown. What
        // the codec still holds (the last keyframe's picture) comes out first.
        drainCodec(dec);
        s.skippingToKeyframe = false;
    }
    applySkip(*s.ctx, skip);
    if (key) pkt->flags |= AV_PKT_FLAG_KEY;
    int r = 0;
    // With frame threads a full decoder takes the packet only once its pictures are taken.
    while ((r = avcodec_send_packet(s.ctx.get(), pkt)) == AVERROR(EAGAIN)) {
        if (const GstFlowReturn flow = receivePictures(dec); flow != GST_FLOW_OK) {
            av_packet_unref(pkt);
            gst_video_decoder_drop_frame(dec, frame);
            return flow;
        }
    }
    av_packet_unref(pkt);
    if (r < 0) {
        gst_video_decoder_drop_frame(dec, frame);
        GstFlowReturn flow = GST_FLOW_OK;
        GST_VIDEO_DECODER_ERROR(dec, 1, STREAM, DECODE, (nullptr), ("bad packet (%d)", r), flow);
        return flow;
    }
    gst_video_codec_frame_unref(frame);
    return receivePictures(dec);
}

gboolean flush(GstVideoDecoder* dec) {
    VideoState& s = stateOf(dec);
    if (s.ctx) avcodec_flush_buffers(s.ctx.get());
    s.hurry.reset();
    s.skippingToKeyframe = false;
    return TRUE;
}

// The sink's lateness reports. The base class's own answer, dropping every late picture after it
// was decoded, is switched off: when every frame comes late it shows none, and the picture stands
// still for seconds. Leaving work out before decoding lets the decoder catch up instead, and a
// late picture is still a moving one.
gboolean srcEvent(GstVideoDecoder* dec, GstEvent* event) {
    if (GST_EVENT_TYPE(event) == GST_EVENT_QOS) {
        GstClockTimeDiff jitter = 0;
        GstClockTime timestamp = GST_CLOCK_TIME_NONE;
        gst_event_parse_qos(event, nullptr, nullptr, &jitter, &timestamp);
        stateOf(dec).hurry.report(
            GST_CLOCK_TIME_IS_VALID(timestamp) ? static_cast<std::int64_t>(timestamp) : Hurry::kNone, jitter);
    }
    return GST_VIDEO_DECODER_CLASS(pelto_video_dec_parent_class)->src_event(dec, event);
}

// Pictures go on in the decoder's own memory where downstream takes planes anywhere.
gboolean decideAllocation(GstVideoDecoder* dec, GstQuery* query) {
    stateOf(dec).wrapPictures = gst_query_find_allocation_meta(query, GST_VIDEO_META_API_TYPE, nullptr);
    return GST_VIDEO_DECODER_CLASS(pelto_video_dec_parent_class)->decide_allocation(dec, query);
}

GstStateChangeReturn changeState(GstElement* element, GstStateChange transition) {
    Hurry& hurry = stateOf(GST_VIDEO_DECODER(element)).hurry;
    if (transition == GST_STATE_CHANGE_PLAYING_TO_PAUSED) hurry.setPlaying(false);
    const GstStateChangeReturn ret =
        GST_ELEMENT_CLASS(pelto_video_dec_parent_class)->change_state(element, transition);
    if (transition == GST_STATE_CHANGE_PAUSED_TO_PLAYING) hurry.setPlaying(true);
    return ret;
}

gboolean stop(GstVideoDecoder* dec) {
    VideoState& s = stateOf(dec);
    s.closeCodec();
    s.setInput(nullptr);
    s.hurry.reset();
    return TRUE;
}

void setProperty(GObject* object, guint id, const GValue* value, GParamSpec* spec) {
    if (id == PropMaxThreads)
        reinterpret_cast<PeltoVideoDec*>(object)->state->maxThreads = g_value_get_int(value);
    else
        G_OBJECT_WARN_INVALID_PROPERTY_ID(object, id, spec);
}

void getProperty(GObject* object, guint id, GValue* value, GParamSpec* spec) {
    if (id == PropMaxThreads)
        g_value_set_int(value, reinterpret_cast<PeltoVideoDec*>(object)->state->maxThreads);
    else
        G_OBJECT_WARN_INVALID_PROPERTY_ID(object, id, spec);
}

void finalize(GObject* object) {
    delete reinterpret_cast<PeltoVideoDec*>(object)->state;
    G_OBJECT_CLASS(pelto_video_dec_parent_class)->finalize(object);
}

void pelto_video_dec_class_init(PeltoVideoDecClass* klass) {
    auto* object = G_OBJECT_CLASS(klass);
    object->set_property = setProperty;
    object->get_property = getProperty;
    object->finalize = finalize;
    // Taken when the codec opens on the stream's caps; 0 lets libavcodec use every core.
    g_object_class_install_property(
        object, PropMaxThreads,
        g_param_spec_int("max-threads", "Maximum decoding threads", "0 for as many as there are cores", 0,
                         G_MAXINT, 0, static_cast<GParamFlags>(G_PARAM_READWRITE | G_PARAM_STATIC_STRINGS)));

    auto* element = GST_ELEMENT_CLASS(klass);
    element->change_state = changeState;
    addPadTemplate(element, "sink", GST_PAD_SINK, kVideoSinkCaps);
    addPadTemplate(element, "src", GST_PAD_SRC, "video/x-raw");
    gst_element_class_set_static_metadata(element, "PeltoSE video decoder", "Codec/Decoder/Video",
                                          "Decodes H.264, H.265, MPEG-4 and MPEG-1/2 video with libavcodec",
                                          "The PeltoSE developers");

    auto* decoder = GST_VIDEO_DECODER_CLASS(klass);
    decoder->stop = stop;
    decoder->set_format = setFormat;
    decoder->handle_frame = handleFrame;
    decoder->flush = flush;
    decoder->src_event = srcEvent;
    decoder->decide_allocation = decideAllocation;
    decoder->finish = drainCodec;
    decoder->drain = drainCodec;
}

void pelto_video_dec_init(PeltoVideoDec* self) {
    self->state = new VideoState;
    auto* dec = GST_VIDEO_DECODER(self);
    gst_video_decoder_set_packetized(dec, TRUE);
    gst_video_decoder_set_needs_format(dec, TRUE);
    gst_video_decoder_set_use_default_pad_acceptcaps(dec, TRUE);
    g_object_set(self, "qos", FALSE, nullptr);
    GST_PAD_SET_ACCEPT_TEMPLATE(GST_VIDEO_DECODER_SINK_PAD(dec));
}

}  // namespace

namespace peltocodecs {

GType videoDecoderType() {
    return pelto_video_dec_get_type();
}

}  // namespace peltocodecs
