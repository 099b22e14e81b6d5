#include "LengthScan.h"

#include <atomic>

#include "GstRef.h"

namespace mci {
namespace {

// Written by the streaming threads, read after they stopped.
struct Reach {
    std::atomic<gint64> start{G_MAXINT64};
    std::atomic<gint64> end{-1};
};

void lower(std::atomic<gint64>& v, gint64 x) {
    gint64 seen = v.load();
    while (x < seen && !v.compare_exchange_weak(seen, x)) {
    }
}

void raise(std::atomic<gint64>& v, gint64 x) {
    gint64 seen = v.load();
    while (x > seen && !v.compare_exchange_weak(seen, x)) {
    }
}

GstPadProbeReturn onBuffer(GstPad*, GstPadProbeInfo* info, gpointer data) {
    GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
    if (!buffer || !GST_BUFFER_PTS_IS_VALID(buffer)) return GST_PAD_PROBE_OK;
    auto* reach = static_cast<Reach*>(data);
    const auto start = static_cast<gint64>(GST_BUFFER_PTS(buffer));
    const gint64 length =
        GST_BUFFER_DURATION_IS_VALID(buffer) ? static_cast<gint64>(GST_BUFFER_DURATION(buffer)) : 0;
    lower(reach->start, start);
    raise(reach->end, start + length);
    return GST_PAD_PROBE_OK;
}

// Each parsed stream ends in a sink of its own that only watches the time go by.
void onPadAdded(GstElement* parse, GstPad* pad, gpointer data) {
    GstElement* pipeline = GST_ELEMENT(gst_element_get_parent(parse));
    auto owned = adopt(pipeline);
    auto sink = makeElement("fakesink");
    if (!pipeline || !sink) return;
    g_object_set(sink.get(), "sync", FALSE, nullptr);
    gst_bin_add(GST_BIN(pipeline), sink.get());
    auto sinkPad = adopt(gst_element_get_static_pad(sink.get(), "sink"));
    gst_pad_add_probe(sinkPad.get(), GST_PAD_PROBE_TYPE_BUFFER, &onBuffer, data, nullptr);
    gst_element_sync_state_with_parent(sink.get());
    gst_pad_link(pad, sinkPad.get());
}

}  // namespace

gint64 scanLength(const std::string& path, std::chrono::milliseconds budget) {
    auto pipeline = adopt(GST_ELEMENT(gst_object_ref_sink(gst_pipeline_new("lengthscan"))));
    auto source = makeElement("filesrc");
    auto parse = makeElement("parsebin");
    if (!pipeline || !source || !parse) return -1;
    g_object_set(source.get(), "location", path.c_str(), nullptr);
    gst_bin_add_many(GST_BIN(pipeline.get()), source.get(), parse.get(), nullptr);
    if (!gst_element_link(source.get(), parse.get())) return -1;
    Reach reach;
    SignalConnection padAdded(parse.get(), "pad-added", G_CALLBACK(onPadAdded), &reach);
    if (gst_element_set_state(pipeline.get(), GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        gst_element_set_state(pipeline.get(), GST_STATE_NULL);
        return -1;
    }
    auto bus = adopt(gst_element_get_bus(pipeline.get()));
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(budget).count();
    auto msg =
        adopt(gst_bus_timed_pop_filtered(bus.get(), static_cast<GstClockTime>(ns),
                                         static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR)));
    const bool complete = msg && GST_MESSAGE_TYPE(msg.get()) == GST_MESSAGE_EOS;
    gst_element_set_state(pipeline.get(), GST_STATE_NULL);  // the streaming threads stop here
    if (!complete || reach.end.load() < 0) return -1;
    return reach.end.load() - reach.start.load();
}

}  // namespace mci
