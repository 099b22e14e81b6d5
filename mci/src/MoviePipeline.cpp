#include "MoviePipeline.h"

#include <gst/app/gstappsink.h>
#include <gst/audio/streamvolume.h>
#include <gst/video/video.h>

#include <QImage>
#include <algorithm>
#include <cassert>

#include "CdxaReader.h"
#include "Codecs.h"
#include "DecoderThreads.h"
#include "FrameConverter.h"
#include "MovieWindow.h"

namespace mci {
namespace {

// playbin's GstPlayFlags (not in an installed header).
enum PlayFlag : guint {
    PlayVideo = 1u << 0,
    PlayAudio = 1u << 1,
    PlayText = 1u << 2,
    PlayVis = 1u << 3,
    PlaySoftVolume = 1u << 4,
    PlayNativeVideo = 1u << 6,
};

// The stream time of the sample's frame, -1 when it has none.
gint64 streamTime(GstSample* sample) {
    GstBuffer* buffer = sample ? gst_sample_get_buffer(sample) : nullptr;
    const GstSegment* segment = sample ? gst_sample_get_segment(sample) : nullptr;
    if (!buffer || !segment || !GST_BUFFER_PTS_IS_VALID(buffer)) return -1;
    const guint64 t = gst_segment_to_stream_time(segment, GST_FORMAT_TIME, GST_BUFFER_PTS(buffer));
    return t == GST_CLOCK_TIME_NONE ? -1 : static_cast<gint64>(t);
}

// What the frame sink's callbacks hand frames to.
struct SinkTarget {
    std::shared_ptr<FrameSlot> slot;
};

GstFlowReturn deliverSample(GstSample* sampleRaw, const SinkTarget& target) {
    auto sample = adopt(sampleRaw);
    if (!target.slot->live() || FrameConverter::frameSize(sample.get()).isEmpty()) return GST_FLOW_OK;
    const gint64 time = streamTime(sample.get());
    target.slot->post(std::move(sample), time);
    return GST_FLOW_OK;
}

GstFlowReturn onNewSample(GstAppSink* sink, gpointer data) {
    return deliverSample(gst_app_sink_pull_sample(sink), *static_cast<SinkTarget*>(data));
}

GstFlowReturn onNewPreroll(GstAppSink* sink, gpointer data) {
    return deliverSample(gst_app_sink_pull_preroll(sink), *static_cast<SinkTarget*>(data));
}

void dropTarget(gpointer target) {
    delete static_cast<SinkTarget*>(target);
}

// The converter reads planes where a frame's video meta says, so decoders may hand on pictures
// in memory of their own instead of copying each into a buffer of the default layout.
GstPadProbeReturn onAllocationQuery(GstPad*, GstPadProbeInfo* info, gpointer) {
    GstQuery* query = GST_PAD_PROBE_INFO_QUERY(info);
    if (query && GST_QUERY_TYPE(query) == GST_QUERY_ALLOCATION &&
        !gst_query_find_allocation_meta(query, GST_VIDEO_META_API_TYPE, nullptr))
        gst_query_add_allocation_meta(query, GST_VIDEO_META_API_TYPE, nullptr);
    return GST_PAD_PROBE_OK;
}

GstRef<GstElement> fakeSink() {
    auto sink = makeElement("fakesink");
    if (sink) g_object_set(sink.get(), "sync", TRUE, nullptr);
    return sink;
}

void onSourceSetup(GstElement*, GstElement* source, gpointer reader) {
    static_cast<CdxaReader*>(reader)->attach(source);
}

// The decoder takes its thread count when it opens on these caps, so it is set just before it
// sees them.
GstPadProbeReturn onDecoderCaps(GstPad*, GstPadProbeInfo* info, gpointer decoder) {
    GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
    if (!event || GST_EVENT_TYPE(event) != GST_EVENT_CAPS) return GST_PAD_PROBE_OK;
    GstCaps* caps = nullptr;
    gst_event_parse_caps(event, &caps);
    const GstStructure* st = caps ? gst_caps_get_structure(caps, 0) : nullptr;
    int width = 0, height = 0, fpsN = 0, fpsD = 1;
    if (st && gst_structure_get_int(st, "width", &width) && gst_structure_get_int(st, "height", &height)) {
        const double fps =
            gst_structure_get_fraction(st, "framerate", &fpsN, &fpsD) && fpsD > 0 ? double(fpsN) / fpsD : 0;
        g_object_set(decoder, "max-threads", decoderThreadsFor(width, height, fps, usableCores()), nullptr);
    }
    return GST_PAD_PROBE_OK;
}

// Between the demuxer and the decoders a stream normally holds a few frames. A picture that
// falls behind the sound is let grow its queue (one frame at a time, while the sound's runs dry)
// up to this many bytes, some seconds of 4K; at the default 2 MB the demuxer stopped for the
// picture's sake within half a second, and the sound ran dry and stopped.
constexpr guint kQueueBytes = 48u << 20;

// The MIDI synthesiser's own default gain (0.2) plays about 30 dB below other media; lift it to
// a comparable level.
void onElementSetup(GstElement*, GstElement* element, gpointer) {
    GstElementFactory* factory = gst_element_get_factory(element);
    if (factory && g_strcmp0(GST_OBJECT_NAME(factory), "decodebin") == 0)
        g_object_set(element, "max-size-bytes", kQueueBytes, nullptr);
    if (factory && g_strcmp0(GST_OBJECT_NAME(factory), "fluiddec") == 0)
        g_object_set(element, "synth-gain", 0.8, nullptr);
    if (factory &&
        (g_str_has_prefix(GST_OBJECT_NAME(factory), "avdec_") ||
         g_strcmp0(GST_OBJECT_NAME(factory), "peltovideodec") == 0) &&
        g_object_class_find_property(G_OBJECT_GET_CLASS(element), "max-threads")) {
        auto pad = adopt(gst_element_get_static_pad(element, "sink"));
        if (pad)
            gst_pad_add_probe(pad.get(), GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM, &onDecoderCaps, element,
                              nullptr);
    }
}

}  // namespace

MoviePipeline::MoviePipeline(const std::string& path, SinkMode sinks, std::shared_ptr<FrameSlot> slot,
                             EventHandler onEvent)
    : slot_(slot), onEvent_(std::move(onEvent)) {
    loadCodecsFor(path);
    playbin_ = makeElement("playbin");
    if (!playbin_) return;
    cdxa_ = CdxaReader::probe(path);
    if (cdxa_) {
        g_object_set(playbin_.get(), "uri", "appsrc://", nullptr);
        sourceSetup_ =
            SignalConnection(playbin_.get(), "source-setup", G_CALLBACK(onSourceSetup), cdxa_.get());
    } else {
        GErrorRef err;
        GChars uri(gst_filename_to_uri(path.c_str(), err.out()));
        g_object_set(playbin_.get(), "uri", uri.get(), nullptr);
    }
    // No subtitles or visualisations: video and audio only. The frame sink converts what it must
    // itself; the converter playbin would put before it drops every frame that comes late, so a
    // decoder that falls behind showed almost nothing.
    g_object_set(playbin_.get(), "flags", PlayVideo | PlayAudio | PlaySoftVolume | PlayNativeVideo, nullptr);
    if (auto video = makeVideoSink(sinks, std::move(slot)))
        g_object_set(playbin_.get(), "video-sink", video.get(), nullptr);
    if (sinks == SinkMode::Fake || sinks == SinkMode::FakeAudio)
        if (auto audio = fakeSink()) g_object_set(playbin_.get(), "audio-sink", audio.get(), nullptr);
    elementSetup_ = SignalConnection(playbin_.get(), "element-setup", G_CALLBACK(onElementSetup), nullptr);
    // Speed changes keep the pitch.
    if (auto tempo = makeElement("scaletempo"))
        g_object_set(playbin_.get(), "audio-filter", tempo.get(), nullptr);
    pump_ = std::make_unique<BusPump>(playbin_.get(), [this](GstMessage* msg) { onMessage(msg); });
}

MoviePipeline::~MoviePipeline() {
    if (!playbin_) return;
    shutDown();
}

GstRef<GstElement> MoviePipeline::makeVideoSink(SinkMode sinks, std::shared_ptr<FrameSlot> slot) {
    if (!slot || sinks == SinkMode::Fake || sinks == SinkMode::Headless) return fakeSink();
    auto bin = adopt(GST_ELEMENT(gst_object_ref_sink(gst_bin_new("moviesink"))));
    // Frames stay in the decoder's format and size; the converter makes the picture of the size
    // the window wants. Only formats it cannot read are converted here first.
    auto convert = makeElement("videoconvert");
    auto capsFilter = makeElement("capsfilter");
    auto appsink = makeElement("appsink");
    if (!convert || !capsFilter || !appsink) return fakeSink();
    auto caps = adopt(FrameConverter::inputCaps());
    g_object_set(capsFilter.get(), "caps", caps.get(), nullptr);
    // A late frame is still a moving picture: the converter would drop it on the sink's lateness
    // reports (before the window ever saw it), while the decoder answers them by decoding less.
    g_object_set(convert.get(), "qos", FALSE, nullptr);
    g_object_set(appsink.get(), "sync", TRUE, "max-buffers", 1u, "qos", TRUE, nullptr);
    GstAppSinkCallbacks callbacks{};
    callbacks.new_sample = &onNewSample;
    callbacks.new_preroll = &onNewPreroll;
    gst_app_sink_set_callbacks(GST_APP_SINK(appsink.get()), &callbacks, new SinkTarget{std::move(slot)},
                               &dropTarget);
    // The bin takes a reference of its own to each (none is floating any more).
    gst_bin_add_many(GST_BIN(bin.get()), convert.get(), capsFilter.get(), appsink.get(), nullptr);
    gst_element_link_many(convert.get(), capsFilter.get(), appsink.get(), nullptr);
    auto pad = adopt(gst_element_get_static_pad(convert.get(), "sink"));
    gst_element_add_pad(bin.get(), gst_ghost_pad_new("sink", pad.get()));
    if (auto sinkPad = adopt(gst_element_get_static_pad(appsink.get(), "sink")))
        gst_pad_add_probe(sinkPad.get(), GST_PAD_PROBE_TYPE_QUERY_DOWNSTREAM, &onAllocationQuery, nullptr,
                          nullptr);
    appSink_ = appsink;
    return bin;
}

void MoviePipeline::onMessage(GstMessage* msg) {
    const BusEvent event = applyBusMessage(state_, msg, playbin_.get());
    if (event == BusEvent::ClockLost && GST_STATE(playbin_.get()) == GST_STATE_PLAYING) {
        // The clock went with its element (a sound device changed): a new one is chosen on play.
        gst_element_set_state(playbin_.get(), GST_STATE_PAUSED);
        gst_element_set_state(playbin_.get(), GST_STATE_PLAYING);
    }
    if (event != BusEvent::None && onEvent_) onEvent_(event, state_);
}

const BusState& MoviePipeline::state() {
    if (pump_) pump_->drain();
    return state_;
}

bool MoviePipeline::waitFor(const std::function<bool(const BusState&)>& pred,
                            std::chrono::milliseconds timeout) {
    if (!pump_) return pred(state_);
    return pump_->waitUntil([&] { return pred(state_); }, timeout);
}

bool MoviePipeline::waitForAsyncDone(std::uint64_t before, std::chrono::milliseconds timeout) {
    return waitFor([before](const BusState& s) { return s.asyncDone > before || s.error; }, timeout);
}

bool MoviePipeline::preroll(std::chrono::milliseconds timeout, std::string& why) {
    const auto before = state().asyncDone;
    const auto ret = gst_element_set_state(playbin_.get(), GST_STATE_PAUSED);
    if (ret == GST_STATE_CHANGE_FAILURE && !state().error) {
        why = "the pipeline refused to start";
        return false;
    }
    if (ret == GST_STATE_CHANGE_ASYNC && !waitForAsyncDone(before, timeout)) {
        why = "timed out";
        return false;
    }
    if (state_.error) {
        why = describe("error", state_.firstError);
        return false;
    }
    needsSeekStop_ = containsFactory("auparse");
    return true;
}

bool MoviePipeline::containsFactory(const char* factory) const {
    const GstIteratorRef it(gst_bin_iterate_recurse(GST_BIN(playbin_.get())));
    bool found = false;
    GValue item = G_VALUE_INIT;
    while (!found && gst_iterator_next(it.get(), &item) == GST_ITERATOR_OK) {
        auto* element = GST_ELEMENT(g_value_get_object(&item));
        GstElementFactory* f = gst_element_get_factory(element);
        found = f && g_strcmp0(GST_OBJECT_NAME(f), factory) == 0;
        g_value_reset(&item);
    }
    g_value_unset(&item);
    return found;
}

bool MoviePipeline::containsDemuxer() const {
    const GstIteratorRef it(gst_bin_iterate_recurse(GST_BIN(playbin_.get())));
    bool found = false;
    GValue item = G_VALUE_INIT;
    while (!found && gst_iterator_next(it.get(), &item) == GST_ITERATOR_OK) {
        GstElementFactory* f = gst_element_get_factory(GST_ELEMENT(g_value_get_object(&item)));
        const gchar* klass = f ? gst_element_factory_get_metadata(f, GST_ELEMENT_METADATA_KLASS) : nullptr;
        found = klass && g_strrstr(klass, "Demuxer") && !g_strrstr(klass, "Metadata");
        g_value_reset(&item);
    }
    g_value_unset(&item);
    return found;
}

bool MoviePipeline::isBareMpegAudio() const {
    return containsFactory("mpegaudioparse") && !containsDemuxer();
}

void MoviePipeline::setPlaying() {
    if (slot_) slot_->setLive(true);
    gst_element_set_state(playbin_.get(), GST_STATE_PLAYING);
}

void MoviePipeline::setPaused(std::chrono::milliseconds timeout) {
    const auto before = state().asyncDone;
    if (gst_element_set_state(playbin_.get(), GST_STATE_PAUSED) == GST_STATE_CHANGE_ASYNC)
        waitForAsyncDone(before, timeout);
}

void MoviePipeline::setReady() {
    if (playbin_) gst_element_set_state(playbin_.get(), GST_STATE_READY);
}

void MoviePipeline::shutDown() {
    if (playbin_) gst_element_set_state(playbin_.get(), GST_STATE_NULL);
}

bool MoviePipeline::seek(double rate, gint64 startNs, gint64 stopNs, std::chrono::milliseconds timeout) {
    const auto before = state().asyncDone;
    if (!startSeek(rate, startNs, stopNs)) return false;
    const bool done =
        waitFor([before](const BusState& s) { return s.asyncDone > before || s.error; }, timeout);
    return done && !state_.error;
}

bool MoviePipeline::startSeek(double rate, gint64 startNs, gint64 stopNs) {
    if (stopNs < 0 && needsSeekStop_) {
        const gint64 dur = queryDuration();
        if (dur >= 0) stopNs = std::max(dur, startNs);
    }
    // A segment that ends before it starts is a GStreamer critical, and some demuxers (MPEG
    // program streams) never stop their task after one: callers must not ask for it.
    assert(stopNs < 0 || startNs <= stopNs);
    clearEos();
    const auto flags = static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE);
    GstEvent* event =
        gst_event_new_seek(rate, GST_FORMAT_TIME, flags, GST_SEEK_TYPE_SET, startNs,
                           stopNs >= 0 ? GST_SEEK_TYPE_SET : GST_SEEK_TYPE_NONE, stopNs >= 0 ? stopNs : -1);
    return gst_element_send_event(playbin_.get(), event);
}

gint64 MoviePipeline::showHeldFrame() {
    if (!appSink_ || !slot_) return -1;
    GstSample* raw = nullptr;
    g_object_get(appSink_.get(), "last-sample", &raw, nullptr);
    auto sample = adopt(raw);
    if (FrameConverter::frameSize(sample.get()).isEmpty()) return -1;
    const gint64 time = streamTime(sample.get());
    slot_->show(std::move(sample), time);
    return time;
}

gint64 MoviePipeline::stepFrame(std::chrono::milliseconds timeout) {
    if (!appSink_ || !slot_) return -1;
    slot_->setLive(true);
    const auto before = state().asyncDone;
    GstEvent* event = gst_event_new_step(GST_FORMAT_BUFFERS, 1, 1.0, TRUE, FALSE);
    if (!gst_element_send_event(playbin_.get(), event)) return -1;
    if (!waitForAsyncDone(before, timeout) || state_.error) return -1;
    return showHeldFrame();
}

gint64 MoviePipeline::queryPosition() const {
    gint64 pos = -1;
    if (!gst_element_query_position(playbin_.get(), GST_FORMAT_TIME, &pos)) return -1;
    return pos;
}

gint64 MoviePipeline::queryDuration() const {
    gint64 dur = -1;
    if (!gst_element_query_duration(playbin_.get(), GST_FORMAT_TIME, &dur)) return -1;
    return dur;
}

MoviePipeline::VideoInfo MoviePipeline::videoInfo() const {
    VideoInfo out;
    GstPad* raw = nullptr;
    g_signal_emit_by_name(playbin_.get(), "get-video-pad", 0, &raw);
    auto pad = adopt(raw);
    if (!pad) return out;
    auto caps = adopt(gst_pad_get_current_caps(pad.get()));
    if (!caps) return out;
    GstVideoInfo info;
    if (!gst_video_info_from_caps(&info, caps.get())) return out;
    out.width = GST_VIDEO_INFO_WIDTH(&info);
    out.height = GST_VIDEO_INFO_HEIGHT(&info);
    // Non-square pixels: report the size the picture is meant to be seen at.
    if (GST_VIDEO_INFO_PAR_N(&info) > 0 && GST_VIDEO_INFO_PAR_D(&info) > 0)
        out.width = static_cast<int>(gst_util_uint64_scale_int_round(out.width, GST_VIDEO_INFO_PAR_N(&info),
                                                                     GST_VIDEO_INFO_PAR_D(&info)));
    out.fpsN = GST_VIDEO_INFO_FPS_N(&info);
    out.fpsD = GST_VIDEO_INFO_FPS_D(&info);
    return out;
}

int MoviePipeline::streamCount() const {
    gint video = 0, audio = 0;
    g_object_get(playbin_.get(), "n-video", &video, "n-audio", &audio, nullptr);
    return video + audio;
}

void MoviePipeline::setVolumeCubic(double v) {
    gst_stream_volume_set_volume(GST_STREAM_VOLUME(playbin_.get()), GST_STREAM_VOLUME_FORMAT_CUBIC, v);
}

void MoviePipeline::setMute(bool mute) {
    g_object_set(playbin_.get(), "mute", mute ? TRUE : FALSE, nullptr);
}

}  // namespace mci
