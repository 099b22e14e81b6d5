#include "Hurry.h"

namespace peltocodecs {

void Hurry::report(std::int64_t timestamp, std::int64_t jitter) {
    if (!armed_) return;
    // As the framework's own decoders reckon: a sink that is late is taken to get later still.
    if (timestamp == kNone)
        earliest_ = kNone;
    else
        earliest_ = jitter > 0 ? timestamp + 2 * jitter + frameDuration_ : timestamp + jitter;
}

void Hurry::setPlaying(bool playing) {
    playing_ = playing;
    if (!playing) earliest_ = kNone;
}

void Hurry::reset() {
    armed_ = false;
    earliest_ = kNone;
}

Hurry::Skip Hurry::beforeDecode(std::int64_t runningTime) const {
    const std::int64_t earliest = earliest_;
    if (!playing_ || earliest == kNone || runningTime == kNone || runningTime >= earliest)
        return Skip::Nothing;
    const std::int64_t late = earliest - runningTime;
    if (late > kKeyframeLateness) return Skip::UntilKeyframe;
    return late > kFilterLateness ? Skip::NonReferenceAndLoopFilter : Skip::NonReference;
}

}  // namespace peltocodecs
