#include "WrappedPicture.h"

namespace peltocodecs {
namespace {

void releasePlane(gpointer ref) {
    auto* buffer = static_cast<AVBufferRef*>(ref);
    av_buffer_unref(&buffer);
}

}  // namespace

GstBuffer* wrapPicture(const AVFrame& picture, const GstVideoInfo& info) {
    const guint planes = GST_VIDEO_INFO_N_PLANES(&info);
    gsize offsets[GST_VIDEO_MAX_PLANES] = {};
    gint strides[GST_VIDEO_MAX_PLANES] = {};
    GstBuffer* buffer = gst_buffer_new();
    gsize total = 0;
    for (guint p = 0; p < planes; ++p) {
        AVBufferRef* owner = av_frame_get_plane_buffer(const_cast<AVFrame*>(&picture), static_cast<int>(p));
        // The plane's rows as the format lays them out: the component of the plane's own index
        // has the plane's height in every format handed on.
        const int rows = GST_VIDEO_FORMAT_INFO_SCALE_HEIGHT(info.finfo, p, GST_VIDEO_INFO_HEIGHT(&info));
        const int stride = picture.linesize[p];
        const uint8_t* data = picture.data[p];
        if (!owner || !data || stride <= 0 || rows <= 0 || data < owner->data) {
            gst_buffer_unref(buffer);
            return nullptr;
        }
        const auto offset = static_cast<gsize>(data - owner->data);
        const gsize size = static_cast<gsize>(stride) * static_cast<gsize>(rows);
        if (offset + size > owner->size) {
            gst_buffer_unref(buffer);
            return nullptr;
        }
        AVBufferRef* ref = av_buffer_ref(owner);
        if (!ref) {
            gst_buffer_unref(buffer);
            return nullptr;
        }
        gst_buffer_append_memory(
            buffer, gst_memory_new_wrapped(GST_MEMORY_FLAG_READONLY, owner->data, owner->size, offset, size,
                                           ref, &releasePlane));
        offsets[p] = total;
        strides[p] = stride;
        total += size;
    }
    gst_buffer_add_video_meta_full(buffer, GST_VIDEO_FRAME_FLAG_NONE, GST_VIDEO_INFO_FORMAT(&info),
                                   GST_VIDEO_INFO_WIDTH(&info), GST_VIDEO_INFO_HEIGHT(&info), planes, offsets,
                                   strides);
    return buffer;
}

}  // namespace peltocodecs
