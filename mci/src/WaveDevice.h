#pragma once
// The "waveaudio" device: records 16-bit stereo PCM at 44.1 kHz from the default input into a
// scratch file, and saves it as a WAV file on request. Closing discards what was not saved.

#include <gst/gst.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>

#include "Device.h"
#include "GstRef.h"

namespace mci {

class WaveDevice : public Device {
  public:
    static constexpr int kRate = 44100;
    static constexpr int kChannels = 2;
    static constexpr int kBytesPerFrame = 2 * kChannels;

    static int open(std::unique_ptr<Device>& out);
    ~WaveDevice() override;

    int record() override;
    int stop() override;
    int pause() override { return stop(); }
    int save(const std::string& path) override;
    int set(const Command&) override;
    int status(const Command&, std::string& reply) override;

  private:
    WaveDevice() = default;
    static GstFlowReturn onSample(GstElement* sink, gpointer self);
    static GstBusSyncReply onBusMessage(GstBus*, GstMessage* msg, gpointer self);
    std::uint64_t bytes() const;
    void padSilenceLocked(std::chrono::steady_clock::duration gap);

    GstRef<GstElement> pipeline_;
    bool recording_ = false;  // UI thread only
    mutable std::mutex mutex_;
    std::FILE* scratch_ = nullptr;  // guarded by mutex_ once recording starts
    std::uint64_t bytes_ = 0;       // guarded by mutex_
    bool writeFailed_ = false;      // guarded by mutex_
    bool inputFailed_ = false;      // guarded by mutex_
    // The input may deliver its first data a while after "record" (an idle server wakes slowly):
    // that stretch is kept as silence so the file lasts as long as the user recorded.
    std::chrono::steady_clock::time_point recordStart_;  // guarded by mutex_
    bool awaitingData_ = false;                          // guarded by mutex_
};

// The 44-byte header of a PCM WAV file holding `dataBytes` of samples.
void wavHeader(std::uint8_t out[44], std::uint32_t dataBytes, int rate, int channels, int bitsPerSample);

}  // namespace mci
