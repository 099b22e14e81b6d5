// An audio decoder element over libavcodec: whole compressed frames in, interleaved floats out.
#include <gst/audio/gstaudiodecoder.h>

#include <array>
#include <vector>

#include "AvRef.h"
#include "CodecMap.h"
#include "Elements.h"

namespace {

using namespace peltocodecs;

constexpr int kMaxChannels = 64;

struct AudioState {
    CodecContext ctx;
    Frame frame{av_frame_alloc()};
    Packet packet{av_packet_alloc()};
    // What the source pad was last told, and how libavcodec orders those channels.
    int outRate = 0, outChannels = 0;
    bool reorder = false;
    std::array<GstAudioChannelPosition, kMaxChannels> from{}, to{};
    std::vector<float> pending;  // what one input frame gave, interleaved
};

struct PeltoAudioDec {
    GstAudioDecoder parent;
    AudioState* state;
};
struct PeltoAudioDecClass {
    GstAudioDecoderClass parent_class;
};

G_DEFINE_TYPE(PeltoAudioDec, pelto_audio_dec, GST_TYPE_AUDIO_DECODER)

AudioState& stateOf(GstAudioDecoder* dec) {
    return *reinterpret_cast<PeltoAudioDec*>(dec)->state;
}

bool negotiate(GstAudioDecoder* dec, const AVFrame& frame) {
    AudioState& s = stateOf(dec);
    const int channels = frame.ch_layout.nb_channels;
    if (frame.sample_rate == s.outRate && channels == s.outChannels) return true;
    if (channels < 1 || channels > kMaxChannels || frame.sample_rate <= 0) return false;
    GstAudioChannelPosition* positions = nullptr;
    s.reorder = false;
    if (channels > 2 && channelPositions(frame.ch_layout, s.from.data(), channels)) {
        s.to = s.from;
        gst_audio_channel_positions_to_valid_order(s.to.data(), channels);
        s.reorder = s.to != s.from;
        positions = s.to.data();
    }
    GstAudioInfo info;
    gst_audio_info_init(&info);
    gst_audio_info_set_format(&info, GST_AUDIO_FORMAT_F32, frame.sample_rate, channels, positions);
    if (!positions && channels > 2) info.flags = GST_AUDIO_FLAG_UNPOSITIONED;
    if (!gst_audio_decoder_set_output_format(dec, &info)) return false;
    s.outRate = frame.sample_rate;
    s.outChannels = channels;
    return true;
}

// Appends the frame's samples to what the current input frame has given so far.
bool collect(GstAudioDecoder* dec, const AVFrame& frame) {
    AudioState& s = stateOf(dec);
    if (!negotiate(dec, frame)) return false;
    const size_t count = static_cast<size_t>(frame.nb_samples) * static_cast<size_t>(s.outChannels);
    const size_t at = s.pending.size();
    s.pending.resize(at + count);
    if (!interleaveToFloat(frame, s.pending.data() + at)) return false;
    if (s.reorder)
        gst_audio_reorder_channels(s.pending.data() + at, count * sizeof(float), GST_AUDIO_FORMAT_F32,
                                   s.outChannels, s.from.data(), s.to.data());
    return true;
}

GstBuffer* takePending(AudioState& s) {
    if (s.pending.empty()) return nullptr;
    const gsize bytes = s.pending.size() * sizeof(float);
    GstBuffer* buffer = gst_buffer_new_allocate(nullptr, bytes, nullptr);
    gst_buffer_fill(buffer, 0, s.pending.data(), bytes);
    s.pending.clear();
    return buffer;
}

GstFlowReturn decodeError(GstAudioDecoder* dec, int code) {
    stateOf(dec).pending.clear();
    GstFlowReturn flow = gst_audio_decoder_finish_frame(dec, nullptr, 1);
    if (flow != GST_FLOW_OK) return flow;
    GST_AUDIO_DECODER_ERROR(dec, 1, STREAM, DECODE, (nullptr), ("decoding failed (%d)", code), flow);
    return flow;
}

GstFlowReturn formatError(GstAudioDecoder* dec) {
    stateOf(dec).pending.clear();
    GST_ELEMENT_ERROR(dec, CORE, NEGOTIATION, (nullptr), ("sound format not handed on"));
    return GST_FLOW_NOT_NEGOTIATED;
}

// Everything the decoder has for the packet just sent, handed on as one buffer.
GstFlowReturn receiveSound(GstAudioDecoder* dec) {
    AudioState& s = stateOf(dec);
    for (;;) {
        const int r = avcodec_receive_frame(s.ctx.get(), s.frame.get());
        if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) break;
        if (r < 0) return decodeError(dec, r);
        const bool ok = collect(dec, *s.frame);
        av_frame_unref(s.frame.get());
        if (!ok) return formatError(dec);
    }
    return gst_audio_decoder_finish_frame(dec, takePending(s), 1);
}

GstFlowReturn handleFrame(GstAudioDecoder* dec, GstBuffer* buffer) {
    AudioState& s = stateOf(dec);
    if (!s.ctx) return GST_FLOW_NOT_NEGOTIATED;
    // The decoders taken here give every frame's sound at once: there is nothing to drain.
    if (!buffer) return GST_FLOW_OK;
    // An empty frame carries no sound, and to libavcodec it would mean the end of the stream.
    if (gst_buffer_get_size(buffer) == 0) return gst_audio_decoder_finish_frame(dec, nullptr, 1);
    if (!fillPacket(s.packet.get(), buffer)) return GST_FLOW_ERROR;
    const int sent = avcodec_send_packet(s.ctx.get(), s.packet.get());
    av_packet_unref(s.packet.get());
    if (sent < 0) return decodeError(dec, sent);
    return receiveSound(dec);
}

gboolean setFormat(GstAudioDecoder* dec, GstCaps* caps) {
    AudioState& s = stateOf(dec);
    s.ctx.reset();
    s.outRate = s.outChannels = 0;
    const GstStructure* st = gst_caps_get_structure(caps, 0);
    CodecContext ctx = contextFor(audioCodecFor(st), st);
    if (!ctx || avcodec_open2(ctx.get(), ctx->codec, nullptr) < 0) return FALSE;
    s.ctx = std::move(ctx);
    return TRUE;
}

void flush(GstAudioDecoder* dec, gboolean) {
    AudioState& s = stateOf(dec);
    if (s.ctx) avcodec_flush_buffers(s.ctx.get());
    s.pending.clear();
}

gboolean stop(GstAudioDecoder* dec) {
    AudioState& s = stateOf(dec);
    s.ctx.reset();
    s.outRate = s.outChannels = 0;
    return TRUE;
}

void finalize(GObject* object) {
    delete reinterpret_cast<PeltoAudioDec*>(object)->state;
    G_OBJECT_CLASS(pelto_audio_dec_parent_class)->finalize(object);
}

void pelto_audio_dec_class_init(PeltoAudioDecClass* klass) {
    G_OBJECT_CLASS(klass)->finalize = finalize;
    auto* element = GST_ELEMENT_CLASS(klass);
    addPadTemplate(element, "sink", GST_PAD_SINK, kAudioSinkCaps);
    addPadTemplate(element, "src", GST_PAD_SRC,
                   "audio/x-raw, format=(string)" GST_AUDIO_NE(F32) ", layout=(string)interleaved");
    gst_element_class_set_static_metadata(element, "PeltoSE audio decoder", "Codec/Decoder/Audio",
                                          "Decodes AAC, MPEG audio and AC-3 with libavcodec",
                                          "The PeltoSE developers");
    auto* decoder = GST_AUDIO_DECODER_CLASS(klass);
    decoder->stop = stop;
    decoder->set_format = setFormat;
    decoder->handle_frame = handleFrame;
    decoder->flush = flush;
}

void pelto_audio_dec_init(PeltoAudioDec* self) {
    self->state = new AudioState;
    auto* dec = GST_AUDIO_DECODER(self);
    gst_audio_decoder_set_drainable(dec, TRUE);
    gst_audio_decoder_set_needs_format(dec, TRUE);
    gst_audio_decoder_set_use_default_pad_acceptcaps(dec, TRUE);
    GST_PAD_SET_ACCEPT_TEMPLATE(GST_AUDIO_DECODER_SINK_PAD(dec));
}

}  // namespace

namespace peltocodecs {

GType audioDecoderType() {
    return pelto_audio_dec_get_type();
}

}  // namespace peltocodecs
