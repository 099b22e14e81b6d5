// A decoder that falls behind the clock: every picture it still hands on reaches the movie window,
// however late, rather than being thrown away on the way for its lateness.
#include <gst/gst.h>
#include <gtest/gtest.h>

#include <QWidget>
#include <atomic>
#include <chrono>
#include <memory>
#include <string>

#include "MoviePipeline.h"
#include "MovieWindow.h"

namespace mci {
namespace {

using namespace std::chrono_literals;

GstElement* findByFactory(GstElement* bin, const char* factory) {
    GstIterator* it = gst_bin_iterate_recurse(GST_BIN(bin));
    GValue item = G_VALUE_INIT;
    GstElement* found = nullptr;
    while (!found && gst_iterator_next(it, &item) == GST_ITERATOR_OK) {
        auto* e = GST_ELEMENT(g_value_get_object(&item));
        GstElementFactory* f = gst_element_get_factory(e);
        if (f && g_strcmp0(GST_OBJECT_NAME(f), factory) == 0) found = GST_ELEMENT(gst_object_ref(e));
        g_value_reset(&item);
    }
    g_value_unset(&item);
    gst_iterator_free(it);
    return found;
}

struct Counter {
    std::atomic<int> buffers{0};
    std::chrono::microseconds delay{0};  // how slow the decoding is made
};

GstPadProbeReturn count(GstPad*, GstPadProbeInfo*, gpointer data) {
    auto* c = static_cast<Counter*>(data);
    if (c->delay.count() > 0) g_usleep(static_cast<gulong>(c->delay.count()));
    ++c->buffers;
    return GST_PAD_PROBE_OK;
}

void watch(GstElement* element, const char* pad, Counter& c) {
    auto p = adopt(gst_element_get_static_pad(element, pad));
    ASSERT_TRUE(p);
    gst_pad_add_probe(p.get(), GST_PAD_PROBE_TYPE_BUFFER, &count, &c, nullptr);
}

// A clip prerolled in a pipeline with a movie window of its own.
class Lateness : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (!gst_is_initialized()) gst_init(nullptr, nullptr);
    }
    MoviePipeline& open(const char* clip, SinkMode sinks) {
        auto* window = new MovieWindow(&parent_);
        window->resize(320, 180);
        pipeline_ = std::make_unique<MoviePipeline>(std::string(PELTO_TEST_MEDIA) + "/" + clip, sinks,
                                                    std::make_shared<FrameSlot>(window),
                                                    MoviePipeline::EventHandler{});
        EXPECT_TRUE(pipeline_->valid());
        std::string why;
        EXPECT_TRUE(pipeline_->preroll(10s, why)) << why;
        return *pipeline_;
    }

  private:
    QWidget parent_;
    std::unique_ptr<MoviePipeline> pipeline_;  // destroyed before the window it paints
};

TEST_F(Lateness, EveryPictureDecodedLateStillReachesTheWindow) {
    // 2 s of 1080p at 25 frames a second, made to decode at 1000 / 55 = 18.
    MoviePipeline& pipeline = open("big.mp4", SinkMode::Window);
    auto decoder = adopt(findByFactory(pipeline.element(), "peltovideodec"));
    auto sink = adopt(findByFactory(pipeline.element(), "appsink"));
    ASSERT_TRUE(decoder && sink);
    Counter decoded, arrived;
    decoded.delay = 55ms;
    watch(sink.get(), "sink", arrived);
    watch(decoder.get(), "src", decoded);
    pipeline.setPlaying();
    ASSERT_TRUE(pipeline.waitFor([](const BusState& s) { return s.eos || s.error; }, 20s));
    EXPECT_FALSE(pipeline.state().error);
    pipeline.shutDown();
    EXPECT_GT(decoded.buffers, 10);
    // The frame the sink waited with at the preroll went by before the decoder was watched.
    EXPECT_GE(arrived.buffers, decoded.buffers);
    EXPECT_LE(arrived.buffers, decoded.buffers + 1);
}

// How late the sound reaches its sink, against the pipeline's clock.
struct SoundLateness {
    GstElement* pipeline = nullptr;
    std::atomic<std::int64_t> worst{0};
    std::atomic<int> buffers{0};
};

GstPadProbeReturn measureSound(GstPad* pad, GstPadProbeInfo* info, gpointer data) {
    auto* m = static_cast<SoundLateness*>(data);
    GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
    auto event = adopt(gst_pad_get_sticky_event(pad, GST_EVENT_SEGMENT, 0));
    GstClock* clock = GST_ELEMENT_CLOCK(m->pipeline);
    if (!buffer || !event || !clock || !GST_BUFFER_PTS_IS_VALID(buffer)) return GST_PAD_PROBE_OK;
    const GstSegment* segment = nullptr;
    gst_event_parse_segment(event.get(), &segment);
    const GstClockTime due = gst_segment_to_running_time(segment, GST_FORMAT_TIME, GST_BUFFER_PTS(buffer));
    const GstClockTime now = gst_clock_get_time(clock) - gst_element_get_base_time(m->pipeline);
    if (GST_CLOCK_TIME_IS_VALID(due)) {
        const auto late = static_cast<std::int64_t>(now) - static_cast<std::int64_t>(due);
        if (late > m->worst) m->worst = late;
    }
    ++m->buffers;
    return GST_PAD_PROBE_OK;
}

// A picture that cannot keep up at all (3 frames a second for 25) must not hold the sound back:
// the sound reaches its sink in time from start to end.
TEST_F(Lateness, APictureFarBehindNeverStopsTheSound) {
    MoviePipeline& pipeline = open("hd.mp4", SinkMode::FakeAudio);
    auto decoder = adopt(findByFactory(pipeline.element(), "peltovideodec"));
    auto audioSink = adopt(findByFactory(pipeline.element(), "fakesink"));
    ASSERT_TRUE(decoder && audioSink);
    Counter decoded;
    decoded.delay = 300ms;
    watch(decoder.get(), "src", decoded);
    SoundLateness sound;
    sound.pipeline = pipeline.element();
    auto pad = adopt(gst_element_get_static_pad(audioSink.get(), "sink"));
    gst_pad_add_probe(pad.get(), GST_PAD_PROBE_TYPE_BUFFER, &measureSound, &sound, nullptr);
    pipeline.setPlaying();
    ASSERT_TRUE(pipeline.waitFor([](const BusState& s) { return s.eos || s.error; }, 30s));
    EXPECT_FALSE(pipeline.state().error);
    pipeline.shutDown();
    EXPECT_GT(sound.buffers, 400);  // 10 s of it
    EXPECT_LT(sound.worst, 500 * GST_MSECOND) << "the sound came " << sound.worst / 1e6 << " ms late";
}

}  // namespace
}  // namespace mci
