#pragma once
// The "waveaudio" device: records 16-bit stereo PCM at 44.1 kHz from the default input into a
// partial WAV file that survives the process, and saves it as a WAV file on request. Closing
// removes what was not saved.

#include <gst/app/gstappsink.h>
#include <gst/gst.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "BusState.h"
#include "Device.h"
#include "GstRef.h"
#include "PartialWav.h"

namespace mci {

class BusPump;

class WaveDevice : public Device {
  public:
    static constexpr int kRate = 44100;
    static constexpr int kChannels = 2;
    static constexpr int kBytesPerFrame = 2 * kChannels;

    // source: a pipeline description for the input; empty: the sound server's default input.
    static int open(const std::string& source, std::unique_ptr<Device>& out);
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
    static GstFlowReturn onSample(GstAppSink* sink, gpointer self);
    void onMessage(GstMessage* msg);
    void drainUntil(GstClockTime runningTime);

    GstRef<GstElement> pipeline_;
    std::unique_ptr<BusPump> pump_;
    BusState bus_;            // UI thread only
    bool recording_ = false;  // UI thread only
    mutable std::mutex mutex_;
    std::unique_ptr<PartialWav> file_;  // guarded by mutex_ (the pointer; the file guards itself)
    bool inputFailed_ = false;          // guarded by mutex_
    // The input delivers late (an idle sound server: a second or two), but what it delivers was
    // captured long before: stop waits for the samples up to the moment it was asked, so nothing
    // the user recorded is cut off, and nothing is put in front of the first one. Counted in
    // samples from the capture time of the first one (later time stamps jump when the input
    // changes its latency).
    GstClockTime runStart_ = GST_CLOCK_TIME_NONE;  // guarded by mutex_: first sample since record
    std::uint64_t runFrames_ = 0;                  // guarded by mutex_: frames delivered since
    GstClockTime stopAt_ = GST_CLOCK_TIME_NONE;    // guarded by mutex_: samples from here are dropped
    GstClockTime heardUntilLocked() const;
};

}  // namespace mci
