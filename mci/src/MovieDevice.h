#pragma once
// The "mpegvideo" device: one medium in a playbin, its modes, times, picture and sound.

#include <QObject>
#include <QPointer>
#include <chrono>
#include <memory>
#include <optional>

#include "Device.h"
#include "MoviePipeline.h"
#include "MovieWindow.h"
#include "mci/mci.h"

class QEventLoop;
class QTimer;

namespace mci {

class MovieDevice : public Device {
  public:
    // Opens and prerolls `path`; on failure returns the error code and leaves `out` empty.
    static int open(const std::string& path, std::optional<std::uint64_t> parent, Options::Sinks sinks,
                    std::unique_ptr<Device>& out);
    ~MovieDevice() override;

    void catchUp() override;
    int play(const Command&) override;
    int pause() override;
    int resume() override;
    int stop() override;
    int seek(const Command&) override;
    int set(const Command&) override;
    int setVolume(int volume) override;
    int status(const Command&, std::string& reply) override;
    int where(const Command&, std::string& reply) override;
    int put(const Command&) override;

    MovieWindow* window() const { return window_.data(); }

  private:
    // Failed: the stream broke (the pipeline posted an error); only closing or reopening helps.
    enum class Mode { Stopped, Playing, Paused, Failed };
    MovieDevice() = default;

    gint64 positionNs();
    gint64 durationNs();
    gint64 toNs(int value) const;
    std::int64_t fromNs(gint64 ns) const;
    // Blocking: returns once the new place is prerolled. Otherwise the seek is sent, or queued
    // behind the one under way, and the command returns at once.
    int seekTo(gint64 ns, std::optional<gint64> stopNs, bool blocking = true);
    int sendSeek(gint64 ns, gint64 stopNs);
    bool seekBusy() const { return seekInFlight_ || queuedSeek_.has_value(); }
    void onSeekDone();
    void settle();  // waits until no seek is under way or queued
    // The frame after the one held paused, by a step of the video sink; false when it cannot be
    // (then a seek shows it).
    bool stepTo(gint64 ns);
    void catchUpSound();                 // after steps: the sound joins the picture before playing on
    gint64 frameIndex(gint64 ns) const;  // the frame that covers `ns`
    bool moving() const { return mode_ == Mode::Playing && !startPending_; }
    int waitForEnd();  // Ok at the end; an error when the stream failed or stalled
    bool failed() const { return broken_; }
    int giveUpStalled();       // stops a stream that stopped moving
    void holdPicture();        // pauses the pipeline, keeping the frame on screen
    void holdPlaceOnScreen();  // after playing: the position is the frame's on screen
    void onBusEvent(BusEvent event, const BusState& state);  // UI thread
    void startNow();
    void fail();

    std::string name_;  // the file's name, for the trace
    std::unique_ptr<MoviePipeline> pipeline_;
    QPointer<MovieWindow> window_;
    std::shared_ptr<FrameSlot> slot_;
    bool topLevel_ = false;
    bool hasVideo_ = false;
    MoviePipeline::VideoInfo video_;

    // All fields below are only touched on the UI thread.
    Mode mode_ = Mode::Stopped;
    bool broken_ = false;  // the stream failed: it stays refused after a stop too
    bool atEnd_ = false;
    bool drained_ = false;  // played to its end: the sound output ran dry
    TimeFormat format_ = TimeFormat::Ms;
    int speed_ = 1000;
    int appliedSpeed_ = 1000;
    int volume_ = 1000;
    bool muted_ = false;
    gint64 duration_ = -1;
    bool lengthScanned_ = false;  // exact: the parser's later estimates do not replace it
    gint64 stopNs_ = -1;          // the "to" of the last play, -1 for none
    gint64 cachedPos_ = 0;
    std::chrono::steady_clock::time_point cachedAt_{};
    bool cacheValid_ = false;
    QEventLoop* waitLoop_ = nullptr;
    std::unique_ptr<QTimer> starter_;  // starts a play once the UI thread is free
    bool startPending_ = false;
    // Seeks that do not block (a held arrow key sends 30 a second): one is under way at a time,
    // and only the newest of those asked for meanwhile follows it; the ones between are skipped.
    struct QueuedSeek {
        gint64 startNs, stopNs;
    };
    bool seekInFlight_ = false;
    std::uint64_t seekSentAfter_ = 0;  // the async-done count when it was sent
    std::chrono::steady_clock::time_point seekSentAt_{};
    std::optional<QueuedSeek> queuedSeek_;
    bool playWhenSettled_ = false;  // a play that waits for the seeks to finish
    // Stream time of the frame the video sink holds and the window shows; -1 when the sink holds
    // one not shown (after playing) or none.
    gint64 heldNs_ = -1;
    bool soundBehind_ = false;  // frames were stepped: the sound waits where the last seek left it
};

}  // namespace mci
