#include "WaveDevice.h"

#include <gst/app/gstappsink.h>

#include <chrono>
#include <utility>

#include "BusPump.h"
#include "TraceNote.h"
#include "mci/mci.h"

namespace mci {
namespace {

// How long stop waits for the input to deliver what it captured before stop was asked: an idle
// sound server holds back its first data for about two seconds.
constexpr auto kDrainLimit = std::chrono::seconds(3);
// A buffer's worth: the last one may end this much short of the stop moment.
constexpr GstClockTime kSlack = 20 * GST_MSECOND;

std::string& folderSetting() {
    static std::string folder;
    return folder;
}

// The default input, or a stand-in given by description (a test can record a tone without a server).
GstElement* captureSource(const std::string& description) {
    if (!description.empty()) return gst_parse_bin_from_description(description.c_str(), TRUE, nullptr);
    return gst_element_factory_make("pulsesrc", nullptr);
}

}  // namespace

void setRecordingFolder(const std::string& folder) {
    WaveDevice::setFolder(folder);
}

void WaveDevice::setFolder(const std::string& folder) {
    folderSetting() = folder;
}

std::string WaveDevice::folder() {
    if (!folderSetting().empty()) return folderSetting();
    return std::string(g_get_user_state_dir()) + "/pelto-mci";
}

int WaveDevice::open(const std::string& source, std::unique_ptr<Device>& out) {
    std::unique_ptr<WaveDevice> dev(new WaveDevice);
    dev->file_ = PartialWav::create(folder(), kRate, kChannels);
    if (!dev->file_) return ErrCannotSave;
    dev->pipeline_ = adopt(GST_ELEMENT(gst_object_ref_sink(gst_pipeline_new("capture"))));
    GstElement* src = captureSource(source);
    GstElement* convert = gst_element_factory_make("audioconvert", nullptr);
    GstElement* resample = gst_element_factory_make("audioresample", nullptr);
    GstElement* filter = gst_element_factory_make("capsfilter", nullptr);
    GstElement* sink = gst_element_factory_make("appsink", nullptr);
    if (!src || !convert || !resample || !filter || !sink) {
        for (GstElement* e : {src, convert, resample, filter, sink})
            if (e) adopt(GST_ELEMENT(gst_object_ref_sink(e)));  // drop the floating ones
        return ErrHardware;
    }
    // The bin owns them from here on.
    gst_bin_add_many(GST_BIN(dev->pipeline_.get()), src, convert, resample, filter, sink, nullptr);
    auto caps = adopt(gst_caps_new_simple("audio/x-raw", "format", G_TYPE_STRING, "S16LE", "rate", G_TYPE_INT,
                                          kRate, "channels", G_TYPE_INT, kChannels, "layout", G_TYPE_STRING,
                                          "interleaved", nullptr));
    g_object_set(filter, "caps", caps.get(), nullptr);
    g_object_set(sink, "sync", FALSE, nullptr);
    if (!gst_element_link_many(src, convert, resample, filter, sink, nullptr)) return ErrHardware;
    // The sink goes with the pipeline, before the device: no handler outlives what it calls.
    GstAppSinkCallbacks callbacks{};
    callbacks.new_sample = &WaveDevice::onSample;
    gst_app_sink_set_callbacks(GST_APP_SINK(sink), &callbacks, dev.get(), nullptr);
    // Stamps in the system's time: a moment of capture, whatever the input's own clock says.
    auto clock = adopt(gst_system_clock_obtain());
    gst_pipeline_use_clock(GST_PIPELINE(dev->pipeline_.get()), clock.get());
    WaveDevice* raw = dev.get();
    dev->pump_ = std::make_unique<BusPump>(dev->pipeline_.get(), [raw](GstMessage* m) { raw->onMessage(m); });
    out = std::move(dev);
    return Ok;
}

WaveDevice::~WaveDevice() {
    if (pipeline_) gst_element_set_state(pipeline_.get(), GST_STATE_NULL);
    pump_.reset();
    pipeline_.reset();
}

// On the UI thread, from the bus. An input that fails never delivers data; only the error tells.
void WaveDevice::onMessage(GstMessage* msg) {
    switch (applyBusMessage(bus_, msg, pipeline_.get())) {
        case BusEvent::Error: {
            std::lock_guard lock(mutex_);
            // Later errors are the echo of the first as the pipeline comes apart.
            if (!inputFailed_) traceNote("capture: " + describe("error", bus_.firstError));
            inputFailed_ = true;
            break;
        }
        case BusEvent::Warning:
            traceNote("capture: " + describe("warning", bus_.warnings.back()));
            break;
        default:
            break;
    }
}

GstFlowReturn WaveDevice::onSample(GstAppSink* sink, gpointer data) {
    auto* self = static_cast<WaveDevice*>(data);
    auto sample = adopt(gst_app_sink_pull_sample(sink));
    if (!sample) return GST_FLOW_OK;
    GstBuffer* buffer = gst_sample_get_buffer(sample.get());
    GstMapInfo map;
    if (!buffer || !gst_buffer_map(buffer, &map, GST_MAP_READ)) return GST_FLOW_OK;
    const GstClockTime start = gst_segment_to_running_time(gst_sample_get_segment(sample.get()),
                                                           GST_FORMAT_TIME, GST_BUFFER_PTS(buffer));
    bool stopping = false;
    {
        std::lock_guard lock(self->mutex_);
        stopping = GST_CLOCK_TIME_IS_VALID(self->stopAt_);
        if (!GST_CLOCK_TIME_IS_VALID(self->runStart_))
            self->runStart_ = GST_CLOCK_TIME_IS_VALID(start) ? start : 0;
        const std::uint64_t frames = map.size / kBytesPerFrame;
        std::uint64_t keep = frames;
        if (GST_CLOCK_TIME_IS_VALID(self->stopAt_)) {
            // Captured after stop was asked: not part of the recording.
            const GstClockTime span = self->stopAt_ > self->runStart_ ? self->stopAt_ - self->runStart_ : 0;
            const std::uint64_t wanted = gst_util_uint64_scale(span, kRate, GST_SECOND);
            keep = std::min(frames, wanted > self->runFrames_ ? wanted - self->runFrames_ : 0);
        }
        if (keep > 0) self->file_->append(map.data, static_cast<std::size_t>(keep * kBytesPerFrame));
        self->runFrames_ += frames;
    }
    gst_buffer_unmap(buffer, &map);
    // A stop waits on the bus for the samples captured before it was asked.
    if (stopping)
        gst_element_post_message(GST_ELEMENT(sink), gst_message_new_application(
                                                        GST_OBJECT(sink), gst_structure_new_empty("heard")));
    return GST_FLOW_OK;
}

GstClockTime WaveDevice::heardUntilLocked() const {
    if (!GST_CLOCK_TIME_IS_VALID(runStart_)) return 0;  // not even the first sample yet
    return runStart_ + gst_util_uint64_scale(runFrames_, GST_SECOND, kRate);
}

void WaveDevice::drainUntil(GstClockTime runningTime) {
    // Each sample after the stop moment wakes the wait through the bus (see onSample).
    pump_->waitUntil(
        [&] {
            std::lock_guard lock(mutex_);
            return inputFailed_ ||
                   (GST_CLOCK_TIME_IS_VALID(runStart_) && heardUntilLocked() + kSlack >= runningTime);
        },
        kDrainLimit);
}

int WaveDevice::record() {
    bool restart = false;
    {
        std::lock_guard lock(mutex_);
        restart = std::exchange(inputFailed_, false);
        if (restart) bus_ = BusState{};
        stopAt_ = GST_CLOCK_TIME_NONE;
        runStart_ = GST_CLOCK_TIME_NONE;
        runFrames_ = 0;
        // The last save took the file itself: go on in a copy, the saved file stays as saved.
        if (file_->moved()) {
            auto fresh = file_->continued(folder());
            if (!fresh) return ErrCannotSave;
            file_ = std::move(fresh);
        }
    }
    // A pipeline that failed stays failed: start it afresh, the input may work now.
    if (restart) gst_element_set_state(pipeline_.get(), GST_STATE_NULL);
    if (gst_element_set_state(pipeline_.get(), GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        pump_->drain();  // the trace says why
        gst_element_set_state(pipeline_.get(), GST_STATE_NULL);
        return ErrHardware;
    }
    recording_ = true;
    return Ok;
}

int WaveDevice::stop() {
    if (!recording_) return Ok;
    const GstClockTime now = gst_element_get_current_running_time(pipeline_.get());
    {
        std::lock_guard lock(mutex_);
        stopAt_ = now;
    }
    if (GST_CLOCK_TIME_IS_VALID(now)) drainUntil(now);
    gst_element_set_state(pipeline_.get(), GST_STATE_PAUSED);
    recording_ = false;
    std::lock_guard lock(mutex_);
    file_->refresh();
    return Ok;
}

int WaveDevice::save(const std::string& path) {
    std::lock_guard lock(mutex_);
    // While it records the file stays where it grows; once stopped the file itself goes to path.
    return file_->saveAs(path, !recording_) ? Ok : ErrCannotSave;
}

int WaveDevice::set(const Command& cmd) {
    if (cmd.setItem == SetItem::FormatTag) return Ok;  // PCM is all we record
    if (cmd.setItem == SetItem::TimeFormat) return cmd.timeFormat == TimeFormat::Ms ? Ok : ErrBadNumber;
    return ErrDeviceType;
}

int WaveDevice::status(const Command& cmd, std::string& reply) {
    switch (cmd.statusItem) {
        case StatusItem::Mode: {
            pump_->drain();  // an input that failed since says so now
            std::lock_guard lock(mutex_);
            reply = recording_ && !inputFailed_ ? "recording" : "stopped";
            return Ok;
        }
        case StatusItem::Length:
        case StatusItem::Position: {
            std::lock_guard lock(mutex_);
            reply = std::to_string(file_->bytes() * 1000 / (std::uint64_t{kRate} * kBytesPerFrame));
            return Ok;
        }
        case StatusItem::Ready:
        case StatusItem::MediaPresent:
            reply = "true";
            return Ok;
        case StatusItem::TimeFormat:
            reply = "milliseconds";
            return Ok;
        default:
            return ErrDeviceType;
    }
}

}  // namespace mci
