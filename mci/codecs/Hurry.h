#pragma once
// Keeps a decoder that cannot keep up with the clock moving: from the sink's reports of lateness it
// says how much of the decoding to leave out before a frame is decoded, non-reference frames first,
// then the loop filter, and when even that falls seconds behind, everything up to the next
// keyframe. Times are running times in nanoseconds.

#include <atomic>
#include <cstdint>

namespace peltocodecs {

class Hurry {
  public:
    enum class Skip { Nothing, NonReference, NonReferenceAndLoopFilter, UntilKeyframe };

    static constexpr std::int64_t kNone = INT64_MIN;
    // Later than this, the loop filter is left out too.
    static constexpr std::int64_t kFilterLateness = 100'000'000;
    // Later than this, no frame but a keyframe is decoded until one comes: the picture stands still
    // until then, but it never drifts further from the sound, whose queue would otherwise run dry
    // while the demuxer waits for the picture's.
    static constexpr std::int64_t kKeyframeLateness = 2'500'000'000;

    // A lateness report from the sink (jitter > 0: the frame due at timestamp came that much too
    // late). May come from another thread than the decoding.
    void report(std::int64_t timestamp, std::int64_t jitter);
    // The running time one frame shows (0: unknown): its duration over the playback rate.
    void setFrameDuration(std::int64_t duration) { frameDuration_ = duration; }
    // Lateness only means something while the clock runs: a step or a seek while paused decodes
    // every frame whole.
    void setPlaying(bool playing);
    // After a flush the reports were about frames that are gone, and one still on its way from
    // the sink is about such a frame too: reports count again once a new picture went out.
    void reset();
    void pictureOut() { armed_ = true; }

    // How much to leave out of decoding the frame due at runningTime (kNone: unknown).
    Skip beforeDecode(std::int64_t runningTime) const;

  private:
    std::atomic<std::int64_t> earliest_{kNone};   // written by report(), read on the decoding thread
    std::atomic<std::int64_t> frameDuration_{0};  // written on the decoding thread, read by report()
    std::atomic<bool> armed_{true};               // any thread
    std::atomic<bool> playing_{false};            // written on state changes
};

}  // namespace peltocodecs
