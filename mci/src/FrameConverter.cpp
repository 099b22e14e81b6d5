#include "FrameConverter.h"

#include <gst/video/video.h>

extern "C" {
#include <libavutil/pixfmt.h>
#include <libswscale/swscale.h>
}

#include <cstddef>
#include <string>

namespace mci {
namespace {

struct Format {
    GstVideoFormat gst;
    AVPixelFormat av;
    bool byComponent;  // planar YUV: planes in Y, U, V order whatever the memory order
};

constexpr Format kFormats[] = {
    {GST_VIDEO_FORMAT_I420, AV_PIX_FMT_YUV420P, true},
    {GST_VIDEO_FORMAT_YV12, AV_PIX_FMT_YUV420P, true},
    {GST_VIDEO_FORMAT_Y42B, AV_PIX_FMT_YUV422P, true},
    {GST_VIDEO_FORMAT_Y444, AV_PIX_FMT_YUV444P, true},
    {GST_VIDEO_FORMAT_Y41B, AV_PIX_FMT_YUV411P, true},
    {GST_VIDEO_FORMAT_NV12, AV_PIX_FMT_NV12, false},
    {GST_VIDEO_FORMAT_NV21, AV_PIX_FMT_NV21, false},
    {GST_VIDEO_FORMAT_YUY2, AV_PIX_FMT_YUYV422, false},
    {GST_VIDEO_FORMAT_UYVY, AV_PIX_FMT_UYVY422, false},
    {GST_VIDEO_FORMAT_YVYU, AV_PIX_FMT_YVYU422, false},
    {GST_VIDEO_FORMAT_GRAY8, AV_PIX_FMT_GRAY8, false},
    {GST_VIDEO_FORMAT_BGRx, AV_PIX_FMT_BGR0, false},
    {GST_VIDEO_FORMAT_RGBx, AV_PIX_FMT_RGB0, false},
    {GST_VIDEO_FORMAT_xRGB, AV_PIX_FMT_0RGB, false},
    {GST_VIDEO_FORMAT_xBGR, AV_PIX_FMT_0BGR, false},
    {GST_VIDEO_FORMAT_BGRA, AV_PIX_FMT_BGRA, false},
    {GST_VIDEO_FORMAT_RGBA, AV_PIX_FMT_RGBA, false},
    {GST_VIDEO_FORMAT_RGB, AV_PIX_FMT_RGB24, false},
    {GST_VIDEO_FORMAT_BGR, AV_PIX_FMT_BGR24, false},
    {GST_VIDEO_FORMAT_I420_10LE, AV_PIX_FMT_YUV420P10LE, true},
};

const Format* formatOf(GstVideoFormat f) {
    for (const Format& known : kFormats)
        if (known.gst == f) return &known;
    return nullptr;
}

int swsColorspace(GstVideoColorMatrix m) {
    switch (m) {
        case GST_VIDEO_COLOR_MATRIX_BT709:
            return SWS_CS_ITU709;
        case GST_VIDEO_COLOR_MATRIX_FCC:
            return SWS_CS_FCC;
        case GST_VIDEO_COLOR_MATRIX_SMPTE240M:
            return SWS_CS_SMPTE240M;
        case GST_VIDEO_COLOR_MATRIX_BT2020:
            return SWS_CS_BT2020;
        default:
            return SWS_CS_ITU601;
    }
}

// Unmaps a frame however the conversion ends.
struct MappedFrame {
    GstVideoFrame frame{};
    bool mapped = false;
    MappedFrame(GstVideoInfo* info, GstBuffer* buffer)
        : mapped(buffer && gst_video_frame_map(&frame, info, buffer, GST_MAP_READ)) {}
    ~MappedFrame() {
        if (mapped) gst_video_frame_unmap(&frame);
    }
    MappedFrame(const MappedFrame&) = delete;
    MappedFrame& operator=(const MappedFrame&) = delete;
};

}  // namespace

FrameConverter::~FrameConverter() {
    sws_freeContext(sws_);
}

GstCaps* FrameConverter::inputCaps() {
    std::string formats;
    for (const Format& f : kFormats) {
        if (!formats.empty()) formats += ", ";
        formats += gst_video_format_to_string(f.gst);
    }
    return gst_caps_from_string(("video/x-raw, format=(string){ " + formats + " }").c_str());
}

QSize FrameConverter::frameSize(GstSample* sample) {
    GstVideoInfo info;
    if (!sample || !gst_sample_get_buffer(sample) ||
        !gst_video_info_from_caps(&info, gst_sample_get_caps(sample)) ||
        !formatOf(GST_VIDEO_INFO_FORMAT(&info)))
        return {};
    return {GST_VIDEO_INFO_WIDTH(&info), GST_VIDEO_INFO_HEIGHT(&info)};
}

bool FrameConverter::canWriteTo(const QImage& image) {
    // Qt's RGB32 is a native 0xffRRGGBB word, which is what RGB32 means to libswscale too; the
    // converter writes opaque pixels, so the alpha formats take them as they are.
    const QImage::Format f = image.format();
    return !image.isNull() && (f == QImage::Format_RGB32 || f == QImage::Format_ARGB32 ||
                               f == QImage::Format_ARGB32_Premultiplied);
}

QImage FrameConverter::convert(GstSample* sample, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    if (size.isEmpty() || !convert(sample, QRect(), image, image.rect())) return {};
    return image;
}

bool FrameConverter::convert(GstSample* sample, QRect from, QImage& target, QRect to) {
    GstVideoInfo info;
    if (!sample || !canWriteTo(target) || to.isEmpty() || !target.rect().contains(to) ||
        !gst_video_info_from_caps(&info, gst_sample_get_caps(sample)))
        return false;
    const Format* format = formatOf(GST_VIDEO_INFO_FORMAT(&info));
    if (!format) return false;
    const QRect whole(0, 0, GST_VIDEO_INFO_WIDTH(&info), GST_VIDEO_INFO_HEIGHT(&info));
    // Even corners keep subsampled chroma and packed pixel pairs on their own boundaries.
    if (from.isEmpty()) from = whole;
    from = QRect(from.x() & ~1, from.y() & ~1, from.width(), from.height()) & whole;
    if (from.isEmpty()) return false;
    MappedFrame in(&info, gst_sample_get_buffer(sample));
    if (!in.mapped) return false;

    SwsContext* sws =
        sws_getCachedContext(sws_, from.width(), from.height(), format->av, to.width(), to.height(),
                             AV_PIX_FMT_RGB32, SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (!sws) return false;
    const int colorspace = swsColorspace(info.colorimetry.matrix);
    const int fullRange = info.colorimetry.range == GST_VIDEO_COLOR_RANGE_0_255 ? 1 : 0;
    if (sws != sws_ || colorspace != colorspace_ || fullRange != fullRange_) {
        sws_setColorspaceDetails(sws, sws_getCoefficients(colorspace), fullRange,
                                 sws_getCoefficients(SWS_CS_DEFAULT), 1, 0, 1 << 16, 1 << 16);
        sws_ = sws;
        colorspace_ = colorspace;
        fullRange_ = fullRange;
    }

    const uint8_t* src[4] = {};
    int srcStride[4] = {};
    GstVideoFrame* f = &in.frame;
    const GstVideoFormatInfo* fi = info.finfo;
    // Where `from` starts in the memory of component `c`, which lies in a plane of `stride` bytes.
    const auto start = [&](guint c, const void* data, int stride) {
        const int x = GST_VIDEO_FORMAT_INFO_SCALE_WIDTH(fi, c, from.x());
        const int y = GST_VIDEO_FORMAT_INFO_SCALE_HEIGHT(fi, c, from.y());
        return static_cast<const uint8_t*>(data) + static_cast<std::ptrdiff_t>(y) * stride +
               static_cast<std::ptrdiff_t>(x) * GST_VIDEO_FORMAT_INFO_PSTRIDE(fi, c);
    };
    if (format->byComponent) {
        for (guint c = 0; c < GST_VIDEO_FRAME_N_COMPONENTS(f) && c < 4; ++c) {
            srcStride[c] = GST_VIDEO_FRAME_COMP_STRIDE(f, c);
            src[c] = start(c, GST_VIDEO_FRAME_COMP_DATA(f, c), srcStride[c]);
        }
    } else {
        for (guint p = 0; p < GST_VIDEO_FRAME_N_PLANES(f) && p < 4; ++p) {
            guint first = 0;  // the plane's first component says how its pixels are laid out
            while (first + 1 < GST_VIDEO_FRAME_N_COMPONENTS(f) && GST_VIDEO_FORMAT_INFO_PLANE(fi, first) != p)
                ++first;
            srcStride[p] = GST_VIDEO_FRAME_PLANE_STRIDE(f, p);
            src[p] = start(first, GST_VIDEO_FRAME_PLANE_DATA(f, p), srcStride[p]);
        }
    }
    // bits() on the image itself: the caller's target is written in place, never detached.
    uint8_t* dst[4] = {
        target.bits() + to.y() * target.bytesPerLine() + static_cast<std::ptrdiff_t>(to.x()) * 4, nullptr,
        nullptr, nullptr};
    const int dstStride[4] = {static_cast<int>(target.bytesPerLine()), 0, 0, 0};
    sws_scale(sws_, src, srcStride, 0, from.height(), dst, dstStride);
    return true;
}

}  // namespace mci
