// Decoders over libavcodec alone. The framework's own wrapper of it links the whole FFmpeg
// family (filters, formats and what they pull in), some 20 MB and 35 ms more per process
// for streams that only need decoding.
// The name the framework files the plugin under.
#define PACKAGE "peltose"
#include <gst/gst.h>

#include "Elements.h"

namespace {

// Above the wrapper's decoders (primary) and any other of these formats, so decodebin asks
// these first; streams they do not take still find the others.
constexpr guint kRank = GST_RANK_PRIMARY + 1;

gboolean pluginInit(GstPlugin* plugin) {
    return peltocodecs::registerElements(plugin, kRank);
}

}  // namespace

bool peltocodecs::registerElements(GstPlugin* plugin, guint rank) {
    return gst_element_register(plugin, "peltovideodec", rank, videoDecoderType()) &&
           gst_element_register(plugin, "peltoaudiodec", rank, audioDecoderType());
}

GST_PLUGIN_DEFINE(GST_VERSION_MAJOR, GST_VERSION_MINOR, peltocodecs, "PeltoSE's decoders over libavcodec",
                  pluginInit, "1.0", "Proprietary", "PeltoSE", "https://github.com/peltose")
