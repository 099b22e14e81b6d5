// How much a video decoder is given and how much it leaves out: its thread count per stream, and
// what it skips from the sink's lateness reports.
#include <gtest/gtest.h>

#include "DecoderThreads.h"
#include "Hurry.h"

namespace {

using peltocodecs::Hurry;
constexpr std::int64_t kMs = 1'000'000;

TEST(DecoderThreads, OneThreadUpTo1080pAt30AndEveryCoreBeyond) {
    EXPECT_EQ(mci::decoderThreadsFor(1280, 720, 60, 2), 1);
    EXPECT_EQ(mci::decoderThreadsFor(1920, 1080, 30, 2), 1);
    EXPECT_EQ(mci::decoderThreadsFor(1920, 1088, 29.97, 8), 1);
    EXPECT_EQ(mci::decoderThreadsFor(1920, 1080, 0, 4), 1);  // rate unknown: taken as 30
    EXPECT_EQ(mci::decoderThreadsFor(1920, 1080, 60, 2), 2);
    EXPECT_EQ(mci::decoderThreadsFor(1920, 1080, 50, 8), 8);
    EXPECT_EQ(mci::decoderThreadsFor(3840, 2160, 24, 2), 2);
    EXPECT_EQ(mci::decoderThreadsFor(3840, 2160, 0, 6), 6);
    EXPECT_EQ(mci::decoderThreadsFor(3840, 2160, 24, 1), 1);
    EXPECT_GE(mci::usableCores(), 1);
}

TEST(Hurry, LeavesOutOnlyWhatIsLateWhilePlaying) {
    Hurry h;
    h.setFrameDuration(40 * kMs);
    h.report(1000 * kMs, 30 * kMs);  // due at 1 s, came 30 ms late: later frames will be too
    EXPECT_EQ(h.beforeDecode(1050 * kMs), Hurry::Skip::Nothing);  // not playing: nothing is late
    h.setPlaying(true);
    h.report(1000 * kMs, 30 * kMs);
    EXPECT_EQ(h.beforeDecode(1050 * kMs), Hurry::Skip::NonReference);  // before 1000 + 60 + 40
    EXPECT_EQ(h.beforeDecode(1100 * kMs), Hurry::Skip::Nothing);
    h.report(1000 * kMs, 200 * kMs);
    EXPECT_EQ(h.beforeDecode(1100 * kMs), Hurry::Skip::NonReferenceAndLoopFilter);
    EXPECT_EQ(h.beforeDecode(1400 * kMs), Hurry::Skip::NonReference);
    EXPECT_EQ(h.beforeDecode(Hurry::kNone), Hurry::Skip::Nothing);
    h.report(1000 * kMs, 1500 * kMs);  // seconds behind: only keyframes until one comes
    EXPECT_EQ(h.beforeDecode(1100 * kMs), Hurry::Skip::UntilKeyframe);
    EXPECT_EQ(h.beforeDecode(3500 * kMs), Hurry::Skip::NonReferenceAndLoopFilter);
    h.report(2000 * kMs, -5 * kMs);  // early again
    EXPECT_EQ(h.beforeDecode(1996 * kMs), Hurry::Skip::Nothing);
    h.report(Hurry::kNone, 0);
    EXPECT_EQ(h.beforeDecode(0), Hurry::Skip::Nothing);
}

TEST(Hurry, APauseOrAFlushForgetsTheLatenessAndReportsOnTheirWayDoNotCount) {
    Hurry h;
    h.setPlaying(true);
    h.report(60'000 * kMs, 500 * kMs);
    ASSERT_NE(h.beforeDecode(100 * kMs), Hurry::Skip::Nothing);
    h.setPlaying(false);  // a step decodes each frame whole
    h.setPlaying(true);
    EXPECT_EQ(h.beforeDecode(100 * kMs), Hurry::Skip::Nothing);

    h.report(60'000 * kMs, 500 * kMs);
    h.reset();                          // a flushing seek back to the start
    h.report(60'000 * kMs, 500 * kMs);  // about a frame from before it
    EXPECT_EQ(h.beforeDecode(100 * kMs), Hurry::Skip::Nothing);
    h.pictureOut();
    h.report(100 * kMs, 500 * kMs);
    EXPECT_NE(h.beforeDecode(200 * kMs), Hurry::Skip::Nothing);
}

}  // namespace
