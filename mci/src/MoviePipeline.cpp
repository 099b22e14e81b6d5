#include "MoviePipeline.h"

#include <gst/app/gstappsink.h>
#include <gst/audio/streamvolume.h>
#include <gst/video/video.h>

#include <QImage>

#include "CdxaReader.h"
#include "MovieWindow.h"

namespace mci {
namespace {

// Keeps a mapped frame alive for as long as the QImage that shows it.
struct MappedFrame {
    GstVideoFrame frame;
    static void release(void* p) {
        auto* m = static_cast<MappedFrame*>(p);
        gst_video_frame_unmap(&m->frame);
        delete m;
    }
};

GstFlowReturn deliverSample(GstSample* sampleRaw, FrameSlot& slot) {
    auto sample = adopt(sampleRaw);
    if (!sample) return GST_FLOW_OK;
    GstVideoInfo info;
    if (!gst_video_info_from_caps(&info, gst_sample_get_caps(sample.get()))) return GST_FLOW_OK;
    auto* m = new MappedFrame;
    if (!gst_video_frame_map(&m->frame, &info, gst_sample_get_buffer(sample.get()), GST_MAP_READ)) {
        delete m;
        return GST_FLOW_OK;
    }
    QImage image(static_cast<const uchar*>(GST_VIDEO_FRAME_PLANE_DATA(&m->frame, 0)),
                 GST_VIDEO_INFO_WIDTH(&info), GST_VIDEO_INFO_HEIGHT(&info),
                 GST_VIDEO_FRAME_PLANE_STRIDE(&m->frame, 0), QImage::Format_RGB32, &MappedFrame::release, m);
    slot.post(std::move(image));
    return GST_FLOW_OK;
}

GstFlowReturn onNewSample(GstAppSink* sink, gpointer slot) {
    return deliverSample(gst_app_sink_pull_sample(sink), **static_cast<std::shared_ptr<FrameSlot>*>(slot));
}

GstFlowReturn onNewPreroll(GstAppSink* sink, gpointer data) {
    FrameSlot& slot = **static_cast<std::shared_ptr<FrameSlot>*>(data);
    GstSample* sample = gst_app_sink_pull_preroll(sink);
    if (!slot.showPreroll()) {
        adopt(sample);
        return GST_FLOW_OK;
    }
    return deliverSample(sample, slot);
}

void dropSlot(gpointer slot) {
    delete static_cast<std::shared_ptr<FrameSlot>*>(slot);
}

GstRef<GstElement> fakeSink() {
    auto sink = makeElement("fakesink");
    if (sink) g_object_set(sink.get(), "sync", TRUE, nullptr);
    return sink;
}

void onSourceSetup(GstElement*, GstElement* source, gpointer reader) {
    static_cast<CdxaReader*>(reader)->attach(source);
}

// The MIDI synthesiser's own default gain (0.2) plays about 30 dB below other media; lift it to
// a comparable level.
void onElementSetup(GstElement*, GstElement* element, gpointer) {
    GstElementFactory* factory = gst_element_get_factory(element);
    if (factory && g_strcmp0(GST_OBJECT_NAME(factory), "fluiddec") == 0)
        g_object_set(element, "synth-gain", 0.8, nullptr);
}

}  // namespace

MoviePipeline::MoviePipeline(const std::string& path, SinkMode sinks, std::shared_ptr<FrameSlot> slot,
                             std::function<void()> wake)
    : wake_(std::move(wake)) {
    playbin_ = makeElement("playbin");
    if (!playbin_) return;
    cdxa_ = CdxaReader::probe(path);
    if (cdxa_) {
        g_object_set(playbin_.get(), "uri", "appsrc://", nullptr);
        g_signal_connect(playbin_.get(), "source-setup", G_CALLBACK(onSourceSetup), cdxa_.get());
    } else {
        GError* err = nullptr;
        GChars uri(gst_filename_to_uri(path.c_str(), &err));
        if (err) g_error_free(err);
        g_object_set(playbin_.get(), "uri", uri.get(), nullptr);
    }
    // No subtitles or visualisations: video and audio only.
    g_object_set(playbin_.get(), "flags", 0x1 | 0x2 | 0x10 /* video, audio, soft-volume */, nullptr);
    if (auto video = makeVideoSink(sinks, std::move(slot)))
        g_object_set(playbin_.get(), "video-sink", video.get(), nullptr);
    if (sinks == SinkMode::Fake || sinks == SinkMode::FakeAudio)
        if (auto audio = fakeSink()) g_object_set(playbin_.get(), "audio-sink", audio.get(), nullptr);
    g_signal_connect(playbin_.get(), "element-setup", G_CALLBACK(onElementSetup), nullptr);
    // Speed changes keep the pitch.
    if (auto tempo = makeElement("scaletempo"))
        g_object_set(playbin_.get(), "audio-filter", tempo.get(), nullptr);

    auto bus = adopt(gst_element_get_bus(playbin_.get()));
    gst_bus_set_sync_handler(bus.get(), &MoviePipeline::onBusMessage, this, nullptr);
}

MoviePipeline::~MoviePipeline() {
    if (!playbin_) return;
    shutDown();
    auto bus = adopt(gst_element_get_bus(playbin_.get()));
    gst_bus_set_sync_handler(bus.get(), nullptr, nullptr, nullptr);
}

GstRef<GstElement> MoviePipeline::makeVideoSink(SinkMode sinks, std::shared_ptr<FrameSlot> slot) {
    if (!slot || sinks == SinkMode::Fake || sinks == SinkMode::Headless) return fakeSink();
    auto bin = adopt(GST_ELEMENT(gst_object_ref_sink(gst_bin_new("moviesink"))));
    auto convert = makeElement("videoconvertscale");
    capsFilter_ = makeElement("capsfilter");
    auto appsink = makeElement("appsink");
    if (!convert || !capsFilter_ || !appsink) return fakeSink();
    g_object_set(convert.get(), "add-borders", FALSE, nullptr);
    auto caps = adopt(gst_caps_from_string("video/x-raw,format=BGRx"));
    g_object_set(capsFilter_.get(), "caps", caps.get(), nullptr);
    g_object_set(appsink.get(), "sync", TRUE, "max-buffers", 1u, "qos", TRUE, nullptr);
    GstAppSinkCallbacks callbacks{};
    callbacks.new_sample = &onNewSample;
    callbacks.new_preroll = &onNewPreroll;
    gst_app_sink_set_callbacks(GST_APP_SINK(appsink.get()), &callbacks,
                               new std::shared_ptr<FrameSlot>(std::move(slot)), &dropSlot);
    // The bin takes a reference of its own to each (none is floating any more).
    gst_bin_add_many(GST_BIN(bin.get()), convert.get(), capsFilter_.get(), appsink.get(), nullptr);
    gst_element_link_many(convert.get(), capsFilter_.get(), appsink.get(), nullptr);
    auto pad = adopt(gst_element_get_static_pad(convert.get(), "sink"));
    gst_element_add_pad(bin.get(), gst_ghost_pad_new("sink", pad.get()));
    return bin;
}

GstBusSyncReply MoviePipeline::onBusMessage(GstBus*, GstMessage* msgRaw, gpointer data) {
    // A handler that drops a message owns it: each one holds its source element alive.
    const auto owned = adopt(msgRaw);
    GstMessage* msg = owned.get();
    auto* self = static_cast<MoviePipeline*>(data);
    bool wake = false;
    {
        std::lock_guard lock(self->mutex_);
        switch (GST_MESSAGE_TYPE(msg)) {
            case GST_MESSAGE_ASYNC_DONE:
                if (GST_MESSAGE_SRC(msg) == GST_OBJECT(self->playbin_.get())) ++self->news_.asyncDone;
                break;
            case GST_MESSAGE_EOS:
                self->news_.eos = true;
                wake = true;
                break;
            case GST_MESSAGE_ERROR: {
                GError* err = nullptr;
                gst_message_parse_error(msg, &err, nullptr);
                if (!self->news_.error && err) self->news_.errorText = err->message;
                if (err) g_error_free(err);
                self->news_.error = true;
                wake = true;
                break;
            }
            default:
                return GST_BUS_DROP;
        }
    }
    self->changed_.notify_all();
    if (wake && self->wake_) self->wake_();
    return GST_BUS_DROP;
}

bool MoviePipeline::preroll(std::chrono::milliseconds timeout, std::string& why) {
    const auto before = news().asyncDone;
    const auto ret = gst_element_set_state(playbin_.get(), GST_STATE_PAUSED);
    if (ret == GST_STATE_CHANGE_FAILURE && !news().error) {
        why = "the pipeline refused to start";
        return false;
    }
    if (ret == GST_STATE_CHANGE_ASYNC) {
        const bool done =
            waitFor([before](const BusNews& n) { return n.asyncDone > before || n.error; }, timeout);
        if (!done) {
            why = "timed out";
            return false;
        }
    }
    const auto n = news();
    if (n.error) {
        why = n.errorText;
        return false;
    }
    needsSeekStop_ = containsFactory("auparse");
    return true;
}

bool MoviePipeline::containsFactory(const char* factory) const {
    GstIterator* it = gst_bin_iterate_recurse(GST_BIN(playbin_.get()));
    bool found = false;
    GValue item = G_VALUE_INIT;
    while (!found && gst_iterator_next(it, &item) == GST_ITERATOR_OK) {
        auto* element = GST_ELEMENT(g_value_get_object(&item));
        GstElementFactory* f = gst_element_get_factory(element);
        found = f && g_strcmp0(GST_OBJECT_NAME(f), factory) == 0;
        g_value_reset(&item);
    }
    g_value_unset(&item);
    gst_iterator_free(it);
    return found;
}

void MoviePipeline::setPlaying(bool playing) {
    gst_element_set_state(playbin_.get(), playing ? GST_STATE_PLAYING : GST_STATE_PAUSED);
}

void MoviePipeline::shutDown() {
    if (playbin_) gst_element_set_state(playbin_.get(), GST_STATE_NULL);
}

bool MoviePipeline::seek(double rate, gint64 startNs, gint64 stopNs, std::chrono::milliseconds timeout) {
    if (stopNs < 0 && needsSeekStop_) stopNs = queryDuration();
    clearEos();
    const auto before = news().asyncDone;
    const auto flags = static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE);
    if (!gst_element_seek(playbin_.get(), rate, GST_FORMAT_TIME, flags, GST_SEEK_TYPE_SET, startNs,
                          stopNs >= 0 ? GST_SEEK_TYPE_SET : GST_SEEK_TYPE_NONE, stopNs >= 0 ? stopNs : -1))
        return false;
    return waitFor([before](const BusNews& n) { return n.asyncDone > before || n.error; }, timeout);
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

void MoviePipeline::setOutputSize(int width, int height) {
    if (!capsFilter_) return;
    auto caps = adopt(width > 0 && height > 0
                          ? gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "BGRx", "width",
                                                G_TYPE_INT, width, "height", G_TYPE_INT, height, nullptr)
                          : gst_caps_from_string("video/x-raw,format=BGRx"));
    g_object_set(capsFilter_.get(), "caps", caps.get(), nullptr);
}

BusNews MoviePipeline::news() const {
    std::lock_guard lock(mutex_);
    return news_;
}

void MoviePipeline::clearEos() {
    std::lock_guard lock(mutex_);
    news_.eos = false;
}

bool MoviePipeline::waitFor(const std::function<bool(const BusNews&)>& pred,
                            std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return pred(news_); });
}

}  // namespace mci
