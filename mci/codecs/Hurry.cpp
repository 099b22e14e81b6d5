#include "Hurry.h"

namespace peltocodecs {

void Hurry::report(std::int64_t timestamp, std::int64_t jitter) {
    // As the framework's own decoders reckon: a sink that is late is taken to get later still.
    if (timestamp == kNone)
        earliest_ = kNone;
    else
        earliest_ = jitter > 0 ? timestamp + 2 * jitter + frameDuration_ : timestamp + jitter;
}

Hurry::Skip Hurry::beforeDecode(std::int64_t runningTime) const {
    const std::int64_t earliest = earliest_;
    if (earliest == kNone || runningTime == kNone || runningTime >= earliest) return Skip::Nothing;
    return earliest - runningTime > kFilterLateness ? Skip::NonReferenceAndLoopFilter : Skip::NonReference;
}

}  // namespace peltocodecs
