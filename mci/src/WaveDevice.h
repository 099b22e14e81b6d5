#pragma once
// The "waveaudio" device: records 16-bit stereo PCM at 44.1 kHz from the default input into a
// partial WAV file that survives the process, and saves it as a WAV file on request. Closing
// removes what was not saved.

#include <gst/gst.h>

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "Device.h"
#include "GstRef.h"
#include "PartialWav.h"

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

    // Where recordings are kept while they run (UI thread only).
    static void setFolder(const std::string& folder);
    static std::string folder();

  private:
    WaveDevice() = default;
    static GstFlowReturn onSample(GstElement* sink, gpointer self);
    static GstBusSyncReply onBusMessage(GstBus*, GstMessage* msg, gpointer self);
    void drainUntil(GstClockTime runningTime);

    GstRef<GstElement> pipeline_;
    bool recording_ = false;  // UI thread only
    mutable std::mutex mutex_;
    std::condition_variable heard_;
    std::unique_ptr<PartialWav> file_;  // guarded by mutex_ (the pointer; the file guards itself)
    bool inputFailed_ = false;          // guarded by mutex_
    // The input delivers late (an idle sound server: seconds), but what it delivers was captured
    // from the start: samples are placed by their time stamps and stop waits for the ones up to
    // the moment it was asked, so nothing the user recorded is cut or replaced by silence.
    GstClockTime heardUntil_ = 0;                // guarded by mutex_: end of the last buffer
    GstClockTime stopAt_ = GST_CLOCK_TIME_NONE;  // guarded by mutex_: samples from here are dropped
    bool anyData_ = false;                       // guarded by mutex_
};

}  // namespace mci
