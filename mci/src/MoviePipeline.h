#pragma once
// A playbin with our sinks and a bus handler that keeps the pipeline's news (end of stream,
// errors, finished state changes) readable at any time, between commands too.

#include <gst/gst.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "GstRef.h"

namespace mci {

class FrameSlot;
class CdxaReader;

// Window: picture into a widget, sound to the audio server. Headless: no widget (no QApplication).
// Fake and FakeAudio replace sinks by synchronised fake sinks, so tests run real pipelines alike
// everywhere.
enum class SinkMode { Window, Headless, Fake, FakeAudio };

// What the bus has told us. Written by the bus sync handler on any thread.
struct BusNews {
    std::uint64_t asyncDone = 0;
    bool eos = false;
    bool error = false;
    std::string errorText;
};

class MoviePipeline {
  public:
    struct VideoInfo {
        int width = 0, height = 0;
        int fpsN = 0, fpsD = 1;
    };

    // `wake` runs on whatever thread posts end of stream or an error; it must only queue work.
    MoviePipeline(const std::string& path, SinkMode sinks, std::shared_ptr<FrameSlot> slot,
                  std::function<void()> wake);
    ~MoviePipeline();
    MoviePipeline(const MoviePipeline&) = delete;
    MoviePipeline& operator=(const MoviePipeline&) = delete;

    bool valid() const { return static_cast<bool>(playbin_); }
    // Goes to PAUSED and waits for the first frame; false with a reason on failure or timeout.
    bool preroll(std::chrono::milliseconds timeout, std::string& why);
    void setPlaying(bool playing);
    void shutDown();  // NULL state; idempotent
    // Flushing, accurate seek at `rate`; waits until the new place is prerolled.
    bool seek(double rate, gint64 startNs, gint64 stopNs, std::chrono::milliseconds timeout);

    gint64 queryPosition() const;
    gint64 queryDuration() const;
    VideoInfo videoInfo() const;
    int streamCount() const;

    void setVolumeCubic(double v);
    void setMute(bool mute);
    void setOutputSize(int width, int height);  // 0 x 0: the source size

    BusNews news() const;
    void clearEos();
    // Waits until `pred(news)` holds or the timeout passes; true if it holds.
    bool waitFor(const std::function<bool(const BusNews&)>& pred, std::chrono::milliseconds timeout);

  private:
    static GstBusSyncReply onBusMessage(GstBus*, GstMessage*, gpointer self);
    GstRef<GstElement> makeVideoSink(SinkMode sinks, std::shared_ptr<FrameSlot> slot);

    bool containsFactory(const char* factory) const;

    GstRef<GstElement> playbin_;
    GstRef<GstElement> capsFilter_;
    // auparse (1.22) turns an open-ended seek into a segment that ends at 0: such seeks get the
    // duration as their end.
    bool needsSeekStop_ = false;
    std::shared_ptr<CdxaReader> cdxa_;
    std::function<void()> wake_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    BusNews news_;  // guarded by mutex_
};

}  // namespace mci
