#pragma once
// How many threads a video decoder gets for a stream, chosen by measurement on two cores beside
// three busy loops (a slower machine):
// - Up to 1080p at 30 frames a second one thread keeps up with ease, and every further frame
//   thread holds frames of its own (some 10 MB at 1080p) for no gain.
// - 1080p60 on one thread left the picture standing for 400-480 ms in 2 runs of 5 under load;
//   on two, never more than 170 ms.
// - 4K: one thread per core rather than libavcodec's cores + 1 (the same frames a second idle,
//   12.5 against 13.8 under load, 45 MB less).

#include <cstdint>

namespace mci {

// fps <= 0: unknown, taken as 30. cores: the cores this process may run on.
inline int decoderThreadsFor(int width, int height, double fps, int cores) {
    constexpr double kOneThreadRate = 1920.0 * 1088 * 30;  // pixels a second
    const double rate = static_cast<double>(width) * height * (fps > 0 ? fps : 30);
    return rate <= kOneThreadRate * 1.01 || cores < 2 ? 1 : cores;
}

// The cores this process may run on (its affinity, as libavcodec counts them).
int usableCores();

}  // namespace mci
