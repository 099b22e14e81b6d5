#pragma once
// A playbin with our sinks. Its bus is read on the UI thread only (BusPump): the typed state it
// feeds is current at every command, and waits pump the same bus.

#include <gst/gst.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "BusPump.h"
#include "BusState.h"
#include "GstRef.h"

namespace mci {

class FrameSlot;
class CdxaReader;

// Window: picture into a widget, sound to the audio server. Headless: no widget (no QApplication).
// Fake and FakeAudio replace sinks by synchronised fake sinks, so tests run real pipelines alike
// everywhere.
enum class SinkMode { Window, Headless, Fake, FakeAudio };

class MoviePipeline {
  public:
    struct VideoInfo {
        int width = 0, height = 0;
        int fpsN = 0, fpsD = 1;
    };

    // `onEvent` runs on the UI thread after a message changed the state.
    using EventHandler = std::function<void(BusEvent, const BusState&)>;
    MoviePipeline(const std::string& path, SinkMode sinks, std::shared_ptr<FrameSlot> slot,
                  EventHandler onEvent);
    ~MoviePipeline();
    MoviePipeline(const MoviePipeline&) = delete;
    MoviePipeline& operator=(const MoviePipeline&) = delete;

    bool valid() const { return static_cast<bool>(playbin_); }
    // Goes to PAUSED and waits for the first frame; false with a reason on failure or timeout.
    bool preroll(std::chrono::milliseconds timeout, std::string& why);
    void setPlaying();
    // Waits until the sinks hold their next buffer, so no state change is left under way.
    void setPaused(std::chrono::milliseconds timeout);
    void setReady();  // streaming stops; the picture on screen stays
    void shutDown();  // NULL state; idempotent
    // Flushing, accurate seek at `rate`; waits until the new place is prerolled.
    bool seek(double rate, gint64 startNs, gint64 stopNs, std::chrono::milliseconds timeout);
    // The same seek, sent without waiting: the async-done that follows says it is prerolled.
    bool startSeek(double rate, gint64 startNs, gint64 stopNs);
    std::uint64_t asyncDoneCount() const { return state_.asyncDone; }
    // Shows the frame the video sink holds now (after a seek: the frame at the new place); returns
    // its stream time, -1 when there is none.
    gint64 showHeldFrame();
    // Paused: the video sink drops the frame it holds and prerolls on the next one, with no flush
    // and no decoding from the keyframe; the sound stays where it was. Shows the new frame and
    // returns its stream time, -1 when the step failed.
    gint64 stepFrame(std::chrono::milliseconds timeout);

    gint64 queryPosition() const;
    gint64 queryDuration() const;
    VideoInfo videoInfo() const;
    int streamCount() const;
    // MPEG audio straight from the file (no container that knows the length).
    bool isBareMpegAudio() const;

    void setVolumeCubic(double v);
    void setMute(bool mute);

    // The pipeline itself, for tests that watch its elements.
    GstElement* element() const { return playbin_.get(); }

    // Every fact the bus has told so far; pumps it first.
    const BusState& state();
    void clearEos() { state_.eos = false; }
    void durationRead() { state_.durationStale = false; }
    // Pumps the bus until `pred(state)` holds or the timeout passes; true if it holds.
    bool waitFor(const std::function<bool(const BusState&)>& pred, std::chrono::milliseconds timeout);

  private:
    void onMessage(GstMessage* msg);
    bool waitForAsyncDone(std::uint64_t before, std::chrono::milliseconds timeout);
    GstRef<GstElement> makeVideoSink(SinkMode sinks, std::shared_ptr<FrameSlot> slot);

    bool containsFactory(const char* factory) const;
    bool containsDemuxer() const;  // one that splits streams, not one that strips tags

    GstRef<GstElement> playbin_;
    // auparse (1.22) turns an open-ended seek into a segment that ends at 0: such seeks get the
    // duration as their end.
    bool needsSeekStop_ = false;
    GstRef<GstElement> appSink_;
    std::shared_ptr<FrameSlot> slot_;
    std::shared_ptr<CdxaReader> cdxa_;
    SignalConnection sourceSetup_, elementSetup_;
    EventHandler onEvent_;
    BusState state_;                 // only touched on the UI thread
    std::unique_ptr<BusPump> pump_;  // last: it goes first, before what its handler uses
};

}  // namespace mci
