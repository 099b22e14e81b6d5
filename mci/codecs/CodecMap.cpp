#include "CodecMap.h"

#include <climits>
#include <cstring>
#include <iterator>
#include <type_traits>

namespace peltocodecs {

// Parsers come first (they need parsed/framed streams), so frames arrive whole and keyframes
// are marked; H.265 has no parser of a rank above ours and comes whole from its demuxers.
const char* const kVideoSinkCaps =
    "video/x-h264, stream-format=(string){ avc, byte-stream }, alignment=(string)au; "
    "video/x-h265, stream-format=(string){ hvc1, hev1, byte-stream }, alignment=(string)au; "
    "video/mpeg, mpegversion=(int)4, systemstream=(boolean)false, parsed=(boolean)true; "
    "video/x-divx, divxversion=(int)[ 4, 5 ]; video/x-xvid; "
    "video/mpeg, mpegversion=(int)[ 1, 2 ], systemstream=(boolean)false, parsed=(boolean)true";

const char* const kAudioSinkCaps =
    "audio/mpeg, mpegversion=(int){ 2, 4 }, stream-format=(string){ raw, adts }, framed=(boolean)true; "
    "audio/mpeg, mpegversion=(int)1, layer=(int)[ 1, 3 ], parsed=(boolean)true; "
    "audio/x-ac3, framed=(boolean)true, alignment=(string)frame; "
    "audio/x-eac3, framed=(boolean)true, alignment=(string)frame";

void addPadTemplate(GstElementClass* element, const char* name, GstPadDirection direction, const char* caps) {
    GstCaps* parsed = gst_caps_from_string(caps);
    gst_element_class_add_pad_template(element,
                                       gst_pad_template_new(name, direction, GST_PAD_ALWAYS, parsed));
    gst_caps_unref(parsed);  // the template holds its own
}

namespace {

int intField(const GstStructure* caps, const char* field) {
    int v = 0;
    return gst_structure_get_int(caps, field, &v) ? v : 0;
}

}  // namespace

AVCodecID videoCodecFor(const GstStructure* caps) {
    if (gst_structure_has_name(caps, "video/x-h264")) return AV_CODEC_ID_H264;
    if (gst_structure_has_name(caps, "video/x-h265")) return AV_CODEC_ID_HEVC;
    if (gst_structure_has_name(caps, "video/x-divx") || gst_structure_has_name(caps, "video/x-xvid"))
        return AV_CODEC_ID_MPEG4;
    if (gst_structure_has_name(caps, "video/mpeg")) {
        switch (intField(caps, "mpegversion")) {
            case 1:
                return AV_CODEC_ID_MPEG1VIDEO;
            case 2:
                return AV_CODEC_ID_MPEG2VIDEO;
            case 4:
                return AV_CODEC_ID_MPEG4;
            default:
                break;
        }
    }
    return AV_CODEC_ID_NONE;
}

AVCodecID audioCodecFor(const GstStructure* caps) {
    if (gst_structure_has_name(caps, "audio/x-ac3")) return AV_CODEC_ID_AC3;
    if (gst_structure_has_name(caps, "audio/x-eac3")) return AV_CODEC_ID_EAC3;
    if (!gst_structure_has_name(caps, "audio/mpeg")) return AV_CODEC_ID_NONE;
    const int version = intField(caps, "mpegversion");
    if (version == 2 || version == 4) return AV_CODEC_ID_AAC;
    if (version != 1) return AV_CODEC_ID_NONE;
    switch (intField(caps, "layer")) {
        case 1:
            return AV_CODEC_ID_MP1;
        case 2:
            return AV_CODEC_ID_MP2;
        case 3:
            return AV_CODEC_ID_MP3;
        default:
            return AV_CODEC_ID_NONE;
    }
}

namespace {

// MPEG audio has a fixed-point and a floating-point decoder; the latter keeps what the former
// rounds away.
const AVCodec* decoderFor(AVCodecID id) {
    const char* name = id == AV_CODEC_ID_MP1   ? "mp1float"
                       : id == AV_CODEC_ID_MP2 ? "mp2float"
                       : id == AV_CODEC_ID_MP3 ? "mp3float"
                                               : nullptr;
    const AVCodec* codec = name ? avcodec_find_decoder_by_name(name) : nullptr;
    return codec || id == AV_CODEC_ID_NONE ? codec : avcodec_find_decoder(id);
}

}  // namespace

CodecContext contextFor(AVCodecID id, const GstStructure* caps) {
    const AVCodec* codec = decoderFor(id);
    if (!codec) return nullptr;
    CodecContext ctx(avcodec_alloc_context3(codec));
    if (!ctx) return nullptr;
    const GValue* data = gst_structure_get_value(caps, "codec_data");
    GstBuffer* buffer = data && G_VALUE_HOLDS(data, GST_TYPE_BUFFER) ? gst_value_get_buffer(data) : nullptr;
    GstMapInfo map;
    if (buffer && gst_buffer_map(buffer, &map, GST_MAP_READ)) {
        // The decoders read past the end in whole words: the padding is theirs to read.
        auto* extra = static_cast<uint8_t*>(av_mallocz(map.size + AV_INPUT_BUFFER_PADDING_SIZE));
        if (extra) {
            std::memcpy(extra, map.data, map.size);
            ctx->extradata = extra;
            ctx->extradata_size = static_cast<int>(map.size);
        }
        gst_buffer_unmap(buffer, &map);
        if (!extra) return nullptr;
    }
    ctx->width = intField(caps, "width");
    ctx->height = intField(caps, "height");
    ctx->sample_rate = intField(caps, "rate");
    if (const int channels = intField(caps, "channels"); channels > 0)
        av_channel_layout_default(&ctx->ch_layout, channels);
    return ctx;
}

bool fillPacket(AVPacket* packet, GstBuffer* buffer) {
    GstMapInfo map;
    if (!gst_buffer_map(buffer, &map, GST_MAP_READ)) return false;
    const bool made = map.size <= INT_MAX - AV_INPUT_BUFFER_PADDING_SIZE &&
                      av_new_packet(packet, static_cast<int>(map.size)) == 0;
    if (made) std::memcpy(packet->data, map.data, map.size);
    gst_buffer_unmap(buffer, &map);
    return made;
}

GstVideoFormat videoFormatFor(AVPixelFormat format) {
    switch (format) {
        case AV_PIX_FMT_YUV420P:
        case AV_PIX_FMT_YUVJ420P:
            return GST_VIDEO_FORMAT_I420;
        case AV_PIX_FMT_YUV422P:
        case AV_PIX_FMT_YUVJ422P:
            return GST_VIDEO_FORMAT_Y42B;
        case AV_PIX_FMT_YUV444P:
        case AV_PIX_FMT_YUVJ444P:
            return GST_VIDEO_FORMAT_Y444;
        case AV_PIX_FMT_NV12:
            return GST_VIDEO_FORMAT_NV12;
        case AV_PIX_FMT_GRAY8:
            return GST_VIDEO_FORMAT_GRAY8;
        case AV_PIX_FMT_YUV420P10LE:
            return GST_VIDEO_FORMAT_I420_10LE;
        case AV_PIX_FMT_YUV422P10LE:
            return GST_VIDEO_FORMAT_I422_10LE;
        case AV_PIX_FMT_YUV444P10LE:
            return GST_VIDEO_FORMAT_Y444_10LE;
        case AV_PIX_FMT_YUV420P12LE:
            return GST_VIDEO_FORMAT_I420_12LE;
        case AV_PIX_FMT_YUV422P12LE:
            return GST_VIDEO_FORMAT_I422_12LE;
        case AV_PIX_FMT_YUV444P12LE:
            return GST_VIDEO_FORMAT_Y444_12LE;
        case AV_PIX_FMT_YUVA420P:
            return GST_VIDEO_FORMAT_A420;
        case AV_PIX_FMT_GBRP:
            return GST_VIDEO_FORMAT_GBR;
        case AV_PIX_FMT_GBRP10LE:
            return GST_VIDEO_FORMAT_GBR_10LE;
        case AV_PIX_FMT_GBRP12LE:
            return GST_VIDEO_FORMAT_GBR_12LE;
        case AV_PIX_FMT_GRAY16LE:
            return GST_VIDEO_FORMAT_GRAY16_LE;
        case AV_PIX_FMT_RGB24:
            return GST_VIDEO_FORMAT_RGB;
        case AV_PIX_FMT_BGRA:
            return GST_VIDEO_FORMAT_BGRA;
        default:
            return GST_VIDEO_FORMAT_UNKNOWN;
    }
}

void describeColour(const AVFrame& frame, GstVideoInfo* info) {
    GstVideoColorimetry& c = info->colorimetry;
    const auto format = static_cast<AVPixelFormat>(frame.format);
    const bool jpeg =
        format == AV_PIX_FMT_YUVJ420P || format == AV_PIX_FMT_YUVJ422P || format == AV_PIX_FMT_YUVJ444P;
    if (jpeg || frame.color_range == AVCOL_RANGE_JPEG)
        c.range = GST_VIDEO_COLOR_RANGE_0_255;
    else if (frame.color_range == AVCOL_RANGE_MPEG)
        c.range = GST_VIDEO_COLOR_RANGE_16_235;
    // libavcodec's numbering is the ISO/IEC 23091-2 one.
    if (const auto m = gst_video_color_matrix_from_iso(frame.colorspace); m != GST_VIDEO_COLOR_MATRIX_UNKNOWN)
        c.matrix = m;
    if (const auto t = gst_video_transfer_function_from_iso(frame.color_trc); t != GST_VIDEO_TRANSFER_UNKNOWN)
        c.transfer = t;
    if (const auto p = gst_video_color_primaries_from_iso(frame.color_primaries);
        p != GST_VIDEO_COLOR_PRIMARIES_UNKNOWN)
        c.primaries = p;
    switch (frame.chroma_location) {
        case AVCHROMA_LOC_LEFT:
            info->chroma_site = GST_VIDEO_CHROMA_SITE_MPEG2;
            break;
        case AVCHROMA_LOC_CENTER:
            info->chroma_site = GST_VIDEO_CHROMA_SITE_JPEG;
            break;
        case AVCHROMA_LOC_TOPLEFT:
            info->chroma_site = GST_VIDEO_CHROMA_SITE_DV;
            break;
        case AVCHROMA_LOC_TOP:
            info->chroma_site = GST_VIDEO_CHROMA_SITE_V_COSITED;
            break;
        default:
            break;
    }
}

bool channelPositions(const AVChannelLayout& layout, GstAudioChannelPosition* positions, int count) {
    if (layout.order != AV_CHANNEL_ORDER_NATIVE || layout.nb_channels != count) return false;
    // The speaker each bit of the mask names; the decoders reorder into GStreamer's own order.
    static constexpr GstAudioChannelPosition kByBit[] = {
        GST_AUDIO_CHANNEL_POSITION_FRONT_LEFT,
        GST_AUDIO_CHANNEL_POSITION_FRONT_RIGHT,
        GST_AUDIO_CHANNEL_POSITION_FRONT_CENTER,
        GST_AUDIO_CHANNEL_POSITION_LFE1,
        GST_AUDIO_CHANNEL_POSITION_REAR_LEFT,
        GST_AUDIO_CHANNEL_POSITION_REAR_RIGHT,
        GST_AUDIO_CHANNEL_POSITION_FRONT_LEFT_OF_CENTER,
        GST_AUDIO_CHANNEL_POSITION_FRONT_RIGHT_OF_CENTER,
        GST_AUDIO_CHANNEL_POSITION_REAR_CENTER,
        GST_AUDIO_CHANNEL_POSITION_SIDE_LEFT,
        GST_AUDIO_CHANNEL_POSITION_SIDE_RIGHT,
        GST_AUDIO_CHANNEL_POSITION_TOP_CENTER,
        GST_AUDIO_CHANNEL_POSITION_TOP_FRONT_LEFT,
        GST_AUDIO_CHANNEL_POSITION_TOP_FRONT_CENTER,
        GST_AUDIO_CHANNEL_POSITION_TOP_FRONT_RIGHT,
        GST_AUDIO_CHANNEL_POSITION_TOP_REAR_LEFT,
        GST_AUDIO_CHANNEL_POSITION_TOP_REAR_CENTER,
        GST_AUDIO_CHANNEL_POSITION_TOP_REAR_RIGHT,
    };
    int n = 0;
    for (unsigned bit = 0; bit < 64 && n < count; ++bit) {
        if (!(layout.u.mask & (uint64_t{1} << bit))) continue;
        if (bit >= std::size(kByBit)) return false;
        positions[n++] = kByBit[bit];
    }
    return n == count;
}

namespace {

template <typename T>
float toFloat(T v) {
    if constexpr (std::is_same_v<T, int16_t>) return static_cast<float>(v) / 32768.0f;
    if constexpr (std::is_same_v<T, int32_t>)
        return static_cast<float>(static_cast<double>(v) / 2147483648.0);
    return static_cast<float>(v);
}

template <typename T>
void interleave(const AVFrame& frame, bool planar, int channels, float* out) {
    const int samples = frame.nb_samples;
    if (!planar) {
        const auto* in = reinterpret_cast<const T*>(frame.extended_data[0]);
        for (int i = 0; i < samples * channels; ++i) out[i] = toFloat(in[i]);
        return;
    }
    for (int c = 0; c < channels; ++c) {
        const auto* in = reinterpret_cast<const T*>(frame.extended_data[c]);
        for (int i = 0; i < samples; ++i) out[i * channels + c] = toFloat(in[i]);
    }
}

}  // namespace

bool interleaveToFloat(const AVFrame& frame, float* out) {
    const int channels = frame.ch_layout.nb_channels;
    const auto format = static_cast<AVSampleFormat>(frame.format);
    const bool planar = av_sample_fmt_is_planar(format) != 0;
    switch (av_get_packed_sample_fmt(format)) {
        case AV_SAMPLE_FMT_FLT:
            interleave<float>(frame, planar, channels, out);
            return true;
        case AV_SAMPLE_FMT_DBL:
            interleave<double>(frame, planar, channels, out);
            return true;
        case AV_SAMPLE_FMT_S16:
            interleave<int16_t>(frame, planar, channels, out);
            return true;
        case AV_SAMPLE_FMT_S32:
            interleave<int32_t>(frame, planar, channels, out);
            return true;
        default:
            return false;
    }
}

}  // namespace peltocodecs
