#include "WaveDevice.h"

#include <gst/app/gstappsink.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

namespace mci {
namespace {

void put32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
void put16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

// The default input, or a stand-in given by description (a test can record a tone without a server).
GstElement* captureSource() {
    const char* desc = std::getenv("PELTO_MCI_CAPTURE_SRC");
    if (desc && *desc) return gst_parse_bin_from_description(desc, TRUE, nullptr);
    return gst_element_factory_make("pulsesrc", nullptr);
}

}  // namespace

void wavHeader(std::uint8_t out[44], std::uint32_t dataBytes, int rate, int channels, int bitsPerSample) {
    const std::uint32_t blockAlign = static_cast<std::uint32_t>(channels * bitsPerSample / 8);
    std::memcpy(out, "RIFF", 4);
    put32(out + 4, 36 + dataBytes);
    std::memcpy(out + 8, "WAVEfmt ", 8);
    put32(out + 16, 16);
    put16(out + 20, 1);  // PCM
    put16(out + 22, static_cast<std::uint16_t>(channels));
    put32(out + 24, static_cast<std::uint32_t>(rate));
    put32(out + 28, static_cast<std::uint32_t>(rate) * blockAlign);
    put16(out + 32, static_cast<std::uint16_t>(blockAlign));
    put16(out + 34, static_cast<std::uint16_t>(bitsPerSample));
    std::memcpy(out + 36, "data", 4);
    put32(out + 40, dataBytes);
}

int WaveDevice::open(std::unique_ptr<Device>& out) {
    std::unique_ptr<WaveDevice> dev(new WaveDevice);
    dev->scratch_ = std::tmpfile();
    if (!dev->scratch_) return ErrHardware;
    dev->pipeline_ = adopt(GST_ELEMENT(gst_object_ref_sink(gst_pipeline_new("capture"))));
    GstElement* src = captureSource();
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
    g_object_set(sink, "sync", FALSE, "emit-signals", TRUE, nullptr);
    if (!gst_element_link_many(src, convert, resample, filter, sink, nullptr)) return ErrHardware;
    g_signal_connect(sink, "new-sample", G_CALLBACK(&WaveDevice::onSample), dev.get());
    auto bus = adopt(gst_element_get_bus(dev->pipeline_.get()));
    gst_bus_set_sync_handler(bus.get(), &WaveDevice::onBusMessage, dev.get(), nullptr);
    out = std::move(dev);
    return Ok;
}

WaveDevice::~WaveDevice() {
    if (pipeline_) {
        gst_element_set_state(pipeline_.get(), GST_STATE_NULL);
        auto bus = adopt(gst_element_get_bus(pipeline_.get()));
        gst_bus_set_sync_handler(bus.get(), nullptr, nullptr, nullptr);
    }
    pipeline_.reset();
    if (scratch_) std::fclose(scratch_);
}

// Streaming threads post here. An input that fails never delivers data; only the error tells.
GstBusSyncReply WaveDevice::onBusMessage(GstBus*, GstMessage* msgRaw, gpointer data) {
    const auto msg = adopt(msgRaw);  // dropped messages are the handler's to release
    if (GST_MESSAGE_TYPE(msg.get()) == GST_MESSAGE_ERROR) {
        auto* self = static_cast<WaveDevice*>(data);
        std::lock_guard lock(self->mutex_);
        self->inputFailed_ = true;
    }
    return GST_BUS_DROP;
}

GstFlowReturn WaveDevice::onSample(GstElement* sink, gpointer data) {
    auto* self = static_cast<WaveDevice*>(data);
    auto sample = adopt(gst_app_sink_pull_sample(GST_APP_SINK(sink)));
    if (!sample) return GST_FLOW_OK;
    GstBuffer* buffer = gst_sample_get_buffer(sample.get());
    GstMapInfo map;
    if (!buffer || !gst_buffer_map(buffer, &map, GST_MAP_READ)) return GST_FLOW_OK;
    {
        std::lock_guard lock(self->mutex_);
        if (self->awaitingData_) {
            self->awaitingData_ = false;
            const auto heard = std::chrono::nanoseconds(map.size / kBytesPerFrame * 1000000000LL / kRate);
            self->padSilenceLocked(std::chrono::steady_clock::now() - self->recordStart_ - heard);
        }
        if (std::fwrite(map.data, 1, map.size, self->scratch_) != map.size)
            self->writeFailed_ = true;
        else
            self->bytes_ += map.size;
    }
    gst_buffer_unmap(buffer, &map);
    return GST_FLOW_OK;
}

void WaveDevice::padSilenceLocked(std::chrono::steady_clock::duration gap) {
    if (gap <= gap.zero()) return;
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(gap).count();
    std::uint64_t left = static_cast<std::uint64_t>(ns) * kRate / 1000000000ULL * kBytesPerFrame;
    static const std::vector<char> zeros(1 << 16, 0);
    while (left > 0 && !writeFailed_) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(left, zeros.size()));
        if (std::fwrite(zeros.data(), 1, n, scratch_) != n) {
            writeFailed_ = true;
        } else {
            bytes_ += n;
            left -= n;
        }
    }
}

std::uint64_t WaveDevice::bytes() const {
    std::lock_guard lock(mutex_);
    return bytes_;
}

int WaveDevice::record() {
    bool restart = false;
    {
        std::lock_guard lock(mutex_);
        recordStart_ = std::chrono::steady_clock::now();
        awaitingData_ = true;
        restart = std::exchange(inputFailed_, false);
    }
    // A pipeline that failed stays failed: start it afresh, the input may work now.
    if (restart) gst_element_set_state(pipeline_.get(), GST_STATE_NULL);
    if (gst_element_set_state(pipeline_.get(), GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        gst_element_set_state(pipeline_.get(), GST_STATE_NULL);
        return ErrHardware;
    }
    recording_ = true;
    return Ok;
}

int WaveDevice::stop() {
    if (recording_) gst_element_set_state(pipeline_.get(), GST_STATE_PAUSED);
    if (recording_) {
        std::lock_guard lock(mutex_);
        // Silence stands in for a slow input, not for one that failed: nothing heard, nothing to save.
        if (awaitingData_ && !inputFailed_) padSilenceLocked(std::chrono::steady_clock::now() - recordStart_);
        awaitingData_ = false;
    }
    recording_ = false;
    return Ok;
}

int WaveDevice::save(const std::string& path) {
    std::lock_guard lock(mutex_);
    // A WAV file counts its data in 32 bits; more would be a corrupt file.
    if (bytes_ == 0 || writeFailed_ || bytes_ > std::numeric_limits<std::uint32_t>::max() - 36)
        return ErrCannotSave;
    if (std::fflush(scratch_) != 0) return ErrCannotSave;
    std::FILE* out = std::fopen(path.c_str(), "wbe");
    if (!out) return ErrCannotSave;
    std::uint8_t header[44];
    wavHeader(header, static_cast<std::uint32_t>(bytes_), kRate, kChannels, 16);
    bool ok = std::fwrite(header, 1, sizeof header, out) == sizeof header;
    std::vector<char> chunk(1 << 16);
    std::uint64_t left = bytes_;
    ok = ok && std::fseek(scratch_, 0, SEEK_SET) == 0;
    while (ok && left > 0) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(left, chunk.size()));
        ok = std::fread(chunk.data(), 1, want, scratch_) == want &&
             std::fwrite(chunk.data(), 1, want, out) == want;
        left -= want;
    }
    std::fseek(scratch_, 0, SEEK_END);  // recording may go on appending
    ok = (std::fclose(out) == 0) && ok;
    if (!ok) {
        std::remove(path.c_str());  // never leave a half-written file that looks like a recording
        return ErrCannotSave;
    }
    return Ok;
}

int WaveDevice::set(const Command& cmd) {
    if (cmd.setItem == SetItem::FormatTag) return Ok;  // PCM is all we record
    if (cmd.setItem == SetItem::TimeFormat) return cmd.timeFormat == TimeFormat::Ms ? Ok : ErrBadNumber;
    return ErrDeviceType;
}

int WaveDevice::status(const Command& cmd, std::string& reply) {
    switch (cmd.statusItem) {
        case StatusItem::Mode: {
            std::lock_guard lock(mutex_);
            reply = recording_ && !inputFailed_ ? "recording" : "stopped";
            return Ok;
        }
        case StatusItem::Length:
        case StatusItem::Position:
            reply = std::to_string(bytes() * 1000 / (kRate * kBytesPerFrame));
            return Ok;
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
