// The player's own decoders against the framework's wrapper of the same library, on real media:
// the same pictures and sound at the same times, and chosen over the wrapper when a file plays.
#include <gst/app/gstappsink.h>
#include <gst/gst.h>
#include <gst/video/video.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "Codecs.h"
#include "GstRef.h"

namespace mci {
namespace {

const std::string kMedia = PELTO_TEST_MEDIA;

struct Output {
    GstClockTime pts;
    size_t hash;
    bool operator==(const Output&) const = default;
};

void PrintTo(const Output& o, std::ostream* os) {
    *os << o.pts << "/" << o.hash;
}

GstRef<GstElement> launch(const std::string& description) {
    GErrorRef err;
    auto pipeline = adopt(gst_parse_launch(description.c_str(), err.out()));
    EXPECT_TRUE(pipeline) << description;
    return pipeline;
}

// Every buffer the pipeline's sink "out" gets until the end, read as fast as it decodes.
std::vector<Output> decodeAll(const std::string& description,
                              const std::function<void(GstElement*)>& paused = {}) {
    auto pipeline = launch(description);
    if (!pipeline) return {};
    auto sink = adopt(gst_bin_get_by_name(GST_BIN(pipeline.get()), "out"));
    if (paused) {
        gst_element_set_state(pipeline.get(), GST_STATE_PAUSED);
        gst_element_get_state(pipeline.get(), nullptr, nullptr, GST_CLOCK_TIME_NONE);
        paused(pipeline.get());
    }
    gst_element_set_state(pipeline.get(), GST_STATE_PLAYING);
    std::vector<Output> out;
    while (auto sample = adopt(gst_app_sink_pull_sample(GST_APP_SINK(sink.get())))) {
        GstBuffer* buffer = gst_sample_get_buffer(sample.get());
        GstMapInfo map;
        if (!gst_buffer_map(buffer, &map, GST_MAP_READ)) break;
        const std::string_view bytes(reinterpret_cast<const char*>(map.data), map.size);
        out.push_back({GST_BUFFER_PTS(buffer), std::hash<std::string_view>{}(bytes)});
        gst_buffer_unmap(buffer, &map);
    }
    gst_element_set_state(pipeline.get(), GST_STATE_NULL);
    return out;
}

class CodecsTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (!gst_is_initialized()) gst_init(nullptr, nullptr);
        loadCodecsFor(kMedia + "/hd.mp4");
    }
};

constexpr const char* kSink = " ! appsink name=out sync=false";
constexpr const char* kFloats = " ! audioconvert ! audio/x-raw,format=F32LE,layout=interleaved";

TEST_F(CodecsTest, DecodeExactlyAsTheWrapperDoes) {
    struct Case {
        std::string head, ours, theirs, tail;
    };
    const std::string h264 = "filesrc location=" + kMedia + "/framecode.mp4 ! qtdemux ! h264parse ! ";
    const std::string mpeg = "filesrc location=" + kMedia + "/clip.mpg ! mpegpsdemux ! ";
    const std::string aac = "filesrc location=" + kMedia + "/hd.mp4 ! qtdemux ! aacparse ! ";
    const std::string mp3 = "filesrc location=" + kMedia + "/clip-vbr.mp3 ! mpegaudioparse ! ";
    for (const Case& c : {
             // B-frames: pictures come out in another order than they go in.
             Case{h264, "peltovideodec", "avdec_h264", kSink},
             Case{mpeg + "mpegvideoparse ! ", "peltovideodec", "avdec_mpeg2video", kSink},
             Case{aac, "peltoaudiodec", "avdec_aac", std::string(kFloats) + kSink},
             Case{mp3, "peltoaudiodec", "avdec_mp3float", std::string(kFloats) + kSink},
             Case{mpeg + "mpegaudioparse ! ", "peltoaudiodec", "avdec_mp2float",
                  std::string(kFloats) + kSink},
         }) {
        const auto ours = decodeAll(c.head + c.ours + c.tail);
        const auto theirs = decodeAll(c.head + c.theirs + c.tail);
        EXPECT_GT(ours.size(), 50u) << c.head;
        EXPECT_EQ(ours, theirs) << c.head;
    }
}

// An accurate seek decodes from the keyframe before the target but hands on nothing before it.
TEST_F(CodecsTest, AfterAnAccurateSeekTheTargetFrameComesFirst) {
    const GstClockTime target = 3 * GST_SECOND + 40 * GST_MSECOND * 7;  // between keyframes
    const auto seek = [&](GstElement* p) {
        ASSERT_TRUE(gst_element_seek_simple(
            p, GST_FORMAT_TIME, static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE),
            target));
        gst_element_get_state(p, nullptr, nullptr, GST_CLOCK_TIME_NONE);
    };
    const std::string head = "filesrc location=" + kMedia + "/framecode.mp4 ! qtdemux ! h264parse ! ";
    const auto ours = decodeAll(head + "peltovideodec" + kSink, seek);
    const auto theirs = decodeAll(head + "avdec_h264" + kSink, seek);
    // The file's times start after the B-frames' delay; the seek counts from that start.
    const auto unseeked = decodeAll(head + "peltovideodec" + kSink);
    ASSERT_FALSE(ours.empty());
    ASSERT_FALSE(unseeked.empty());
    EXPECT_EQ(ours.front().pts, unseeked.front().pts + target);
    EXPECT_EQ(ours, theirs);
}

// The clip's decoding, named "dec", with its pictures sent to "out".
const std::string kHurriedClip =
    "filesrc location=" + kMedia + "/framecode.mp4 ! qtdemux ! h264parse ! peltovideodec name=dec" + kSink;

// Tells the decoder, once prerolled, that the picture due at 0 came `jitter` too late.
std::function<void(GstElement*)> reportLate(GstClockTimeDiff jitter) {
    return [jitter](GstElement* p) {
        auto dec = adopt(gst_bin_get_by_name(GST_BIN(p), "dec"));
        auto pad = adopt(gst_element_get_static_pad(dec.get(), "src"));
        ASSERT_TRUE(gst_pad_send_event(pad.get(), gst_event_new_qos(GST_QOS_TYPE_UNDERFLOW, 0.5, jitter, 0)));
    };
}

// Told that its pictures come a second late, the decoder leaves out the frames no other frame
// needs and hands on every picture it does decode, however late; once in time it leaves out nothing.
TEST_F(CodecsTest, LateFramesAreLeftOutBeforeDecodingNotAfter) {
    const auto inTime = decodeAll(kHurriedClip);
    const auto hurried = decodeAll(kHurriedClip, reportLate(GST_SECOND));
    // The report makes everything due before about 2 s late.
    const auto count = [](const std::vector<Output>& v, GstClockTime from, GstClockTime to) {
        return std::count_if(v.begin(), v.end(),
                             [&](const Output& o) { return o.pts >= from && o.pts < to; });
    };
    const GstClockTime hurry = 2 * GST_SECOND, end = GST_CLOCK_TIME_NONE;
    const auto before = count(inTime, 0, hurry);
    ASSERT_GT(before, 20);
    EXPECT_LT(count(hurried, 0, hurry), before);      // non-reference frames left out
    EXPECT_GT(count(hurried, 0, hurry), before / 4);  // the rest shown, not dropped as late
    // In time again: every later picture comes, and from the next keyframe on exactly as before.
    EXPECT_EQ(count(hurried, hurry + 100 * GST_MSECOND, end), count(inTime, hurry + 100 * GST_MSECOND, end));
    ASSERT_FALSE(hurried.empty());
    EXPECT_EQ(hurried.back(), inTime.back());
}

// Stand-ins for a hardware decoder the framework registered for a working device, and for a
// software decoder registered below ours; neither is ever instantiated.
struct StandIn {
    GstElement parent;
};
struct StandInClass {
    GstElementClass parent_class;
};
G_DEFINE_TYPE(StandIn, stand_in_hw, GST_TYPE_ELEMENT)
void stand_in_hw_class_init(StandInClass* klass) {
    gst_element_class_set_static_metadata(GST_ELEMENT_CLASS(klass), "stand-in",
                                          "Codec/Decoder/Video/Hardware", "a hardware decoder", "tests");
}
void stand_in_hw_init(StandIn*) {}
using StandInSw = StandIn;
using StandInSwClass = StandInClass;
G_DEFINE_TYPE(StandInSw, stand_in_sw, GST_TYPE_ELEMENT)
void stand_in_sw_class_init(StandInSwClass* klass) {
    gst_element_class_set_static_metadata(GST_ELEMENT_CLASS(klass), "stand-in", "Codec/Decoder/Video",
                                          "a software decoder", "tests");
}
void stand_in_sw_init(StandInSw*) {}

guint rankOf(const char* name) {
    auto factory = adopt(gst_element_factory_find(name));
    return factory ? gst_plugin_feature_get_rank(GST_PLUGIN_FEATURE(factory.get())) : 0;
}

TEST_F(CodecsTest, HardwareDecodersComeBeforeOursAndOthersKeepTheirPlace) {
    ASSERT_TRUE(gst_element_register(nullptr, "standinhwdec", GST_RANK_NONE, stand_in_hw_get_type()));
    ASSERT_TRUE(gst_element_register(nullptr, "standinswdec", GST_RANK_SECONDARY, stand_in_sw_get_type()));
    ASSERT_TRUE(
        gst_element_register(nullptr, "standinhwdec2", GST_RANK_PRIMARY + 10, stand_in_hw_get_type()));
    ASSERT_TRUE(gst_element_register(nullptr, "standinhwdec3", GST_RANK_MARGINAL, stand_in_hw_get_type()));
    ASSERT_TRUE(gst_element_register(nullptr, "standinhwoff", GST_RANK_SECONDARY, stand_in_hw_get_type()));
    g_setenv("GST_PLUGIN_FEATURE_RANK", "foo:1,standinhwoff:NONE", TRUE);
    const guint ours = rankOf("peltovideodec");
    ASSERT_GT(ours, 0u);
    preferHardwareDecoders();
    preferHardwareDecoders();  // lifts once only
    g_unsetenv("GST_PLUGIN_FEATURE_RANK");
    EXPECT_GT(rankOf("standinhwdec"), ours);
    EXPECT_GT(rankOf("standinhwdec3"), rankOf("standinhwdec"));  // their own order kept
    EXPECT_EQ(rankOf("standinhwdec3") - rankOf("standinhwdec"), static_cast<guint>(GST_RANK_MARGINAL));
    EXPECT_EQ(rankOf("standinhwdec2"), GST_RANK_PRIMARY + 10u);                 // already ahead: left alone
    EXPECT_EQ(rankOf("standinhwoff"), static_cast<guint>(GST_RANK_SECONDARY));  // the user's word
    EXPECT_EQ(rankOf("standinswdec"), static_cast<guint>(GST_RANK_SECONDARY));
    EXPECT_EQ(rankOf("peltovideodec"), ours);
}

// Seconds behind, the decoder leaves out everything up to the next keyframe rather than drift
// further from the sound; from there it decodes again, and once in time exactly as before.
TEST_F(CodecsTest, FarBehindItGoesOnFromTheNextKeyframe) {
    const auto inTime = decodeAll(kHurriedClip);
    // Everything due before about 6 s is late, by more than 2.5 s before about 3.5 s.
    const auto hurried = decodeAll(kHurriedClip, reportLate(3 * GST_SECOND));
    const auto count = [](const std::vector<Output>& v, double from, double to) {
        return std::count_if(v.begin(), v.end(), [&](const Output& o) {
            return o.pts >= from * GST_SECOND && o.pts < to * GST_SECOND;
        });
    };
    // Keyframes every 2 s (at 0.08 s, 2.08 s, ...): of the frames after what was decoded before
    // the report, the one at 2.08 s alone comes before the one at 4.08 s.
    EXPECT_EQ(count(hurried, 0.5, 2.07), 0);
    EXPECT_EQ(count(hurried, 2.07, 2.09), 1);
    EXPECT_EQ(count(hurried, 2.09, 4.07), 0);
    EXPECT_GT(count(hurried, 4.07, 6.07), 0);
    EXPECT_EQ(count(hurried, 6.07, 100), count(inTime, 6.07, 100));
    ASSERT_FALSE(hurried.empty());
    EXPECT_EQ(hurried.back(), inTime.back());
}

// The visible rows of every plane, read where the frame's video meta says.
size_t pictureHash(GstSample* sample) {
    GstVideoInfo info;
    if (!gst_video_info_from_caps(&info, gst_sample_get_caps(sample))) return 0;
    GstVideoFrame frame;
    if (!gst_video_frame_map(&frame, &info, gst_sample_get_buffer(sample), GST_MAP_READ)) return 0;
    std::string rows;
    for (guint p = 0; p < GST_VIDEO_FRAME_N_PLANES(&frame); ++p) {
        const auto* data = static_cast<const char*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, p));
        const auto width = static_cast<size_t>(GST_VIDEO_FRAME_COMP_WIDTH(&frame, p)) *
                           static_cast<size_t>(GST_VIDEO_FRAME_COMP_PSTRIDE(&frame, p));
        for (int y = 0; y < GST_VIDEO_FRAME_COMP_HEIGHT(&frame, p); ++y)
            rows.append(data + static_cast<std::ptrdiff_t>(y) * GST_VIDEO_FRAME_PLANE_STRIDE(&frame, p),
                        width);
    }
    gst_video_frame_unmap(&frame);
    return std::hash<std::string>{}(rows);
}

GstPadProbeReturn offerVideoMeta(GstPad*, GstPadProbeInfo* info, gpointer) {
    GstQuery* query = GST_PAD_PROBE_INFO_QUERY(info);
    if (query && GST_QUERY_TYPE(query) == GST_QUERY_ALLOCATION)
        gst_query_add_allocation_meta(query, GST_VIDEO_META_API_TYPE, nullptr);
    return GST_PAD_PROBE_OK;
}

// Every sample the sink "out" gets, kept past the pipeline's end.
std::vector<GstRef<GstSample>> keepAll(const std::string& description, bool videoMeta) {
    auto pipeline = launch(description);
    if (!pipeline) return {};
    auto sink = adopt(gst_bin_get_by_name(GST_BIN(pipeline.get()), "out"));
    if (videoMeta) {
        auto pad = adopt(gst_element_get_static_pad(sink.get(), "sink"));
        gst_pad_add_probe(pad.get(), GST_PAD_PROBE_TYPE_QUERY_DOWNSTREAM, &offerVideoMeta, nullptr, nullptr);
    }
    gst_element_set_state(pipeline.get(), GST_STATE_PLAYING);
    std::vector<GstRef<GstSample>> out;
    while (auto sample = adopt(gst_app_sink_pull_sample(GST_APP_SINK(sink.get()))))
        out.push_back(std::move(sample));
    gst_element_set_state(pipeline.get(), GST_STATE_NULL);
    return out;
}

// Where the sink reads planes by the video meta, pictures go on in the decoder's own memory: the
// same pixels as a copy, readable after the decoder is gone, and a picture written to is a copy
// of its own, never the decoder's reference frame.
TEST_F(CodecsTest, PicturesInTheDecodersOwnMemoryAreTheSameAndOutliveIt) {
    for (const char* head :
         {"/framecode.mp4 ! qtdemux ! h264parse", "/clip.mpg ! mpegpsdemux ! mpegvideoparse"}) {
        const std::string pipeline =
            "filesrc location=" + kMedia + head + " ! peltovideodec max-threads=2" + kSink + " max-buffers=0";
        const auto copied = keepAll(pipeline, false);
        auto wrapped = keepAll(pipeline, true);
        ASSERT_GT(copied.size(), 10u) << head;
        ASSERT_EQ(wrapped.size(), copied.size()) << head;
        EXPECT_GT(gst_buffer_n_memory(gst_sample_get_buffer(wrapped[1].get())), 1u) << head;
        const size_t first = pictureHash(wrapped[0].get());
        {
            GstBuffer* writable =
                gst_buffer_make_writable(gst_buffer_ref(gst_sample_get_buffer(wrapped[0].get())));
            GstVideoInfo info;
            ASSERT_TRUE(gst_video_info_from_caps(&info, gst_sample_get_caps(wrapped[0].get())));
            GstVideoFrame frame;
            ASSERT_TRUE(gst_video_frame_map(&frame, &info, writable, GST_MAP_WRITE));
            memset(GST_VIDEO_FRAME_PLANE_DATA(&frame, 0), 0x55, 64);
            gst_video_frame_unmap(&frame);
            gst_buffer_unref(writable);
        }
        EXPECT_EQ(pictureHash(wrapped[0].get()), first) << head;
        for (size_t i = 0; i < copied.size(); ++i)
            EXPECT_EQ(pictureHash(wrapped[i].get()), pictureHash(copied[i].get())) << head << " frame " << i;
    }
}

void collectFactories(GstElement* element, std::vector<std::string>& names) {
    if (GstElementFactory* f = gst_element_get_factory(element)) names.emplace_back(GST_OBJECT_NAME(f));
    if (!GST_IS_BIN(element)) return;
    GstIterator* it = gst_bin_iterate_recurse(GST_BIN(element));
    GValue item = G_VALUE_INIT;
    while (gst_iterator_next(it, &item) == GST_ITERATOR_OK) {
        auto* child = GST_ELEMENT(g_value_get_object(&item));
        if (GstElementFactory* f = gst_element_get_factory(child)) names.emplace_back(GST_OBJECT_NAME(f));
        g_value_reset(&item);
    }
    g_value_unset(&item);
    gst_iterator_free(it);
}

TEST_F(CodecsTest, PlaybinChoosesThemOverTheWrapper) {
    for (const char* file : {"hd.mp4", "clip.mpg", "clip.mp3"}) {
        auto playbin = launch(std::string("playbin uri=file://") + kMedia + "/" + file +
                              " video-sink=fakesink audio-sink=fakesink");
        ASSERT_TRUE(playbin);
        gst_element_set_state(playbin.get(), GST_STATE_PAUSED);
        ASSERT_EQ(gst_element_get_state(playbin.get(), nullptr, nullptr, 10 * GST_SECOND),
                  GST_STATE_CHANGE_SUCCESS);
        std::vector<std::string> names;
        collectFactories(playbin.get(), names);
        gst_element_set_state(playbin.get(), GST_STATE_NULL);
        const auto has = [&](const char* n) {
            return std::find(names.begin(), names.end(), n) != names.end();
        };
        // A machine with a working hardware decoder takes that for the picture.
        const bool hardware = std::any_of(names.begin(), names.end(), [](const std::string& n) {
            auto f = adopt(gst_element_factory_find(n.c_str()));
            const char* klass =
                f ? gst_element_factory_get_metadata(f.get(), GST_ELEMENT_METADATA_KLASS) : nullptr;
            return klass && strstr(klass, "Hardware");
        });
        EXPECT_TRUE(has("peltoaudiodec")) << file;
        if (std::string(file) != "clip.mp3") {
            EXPECT_TRUE(has("peltovideodec") || hardware) << file;
        }
        for (const auto& n : names) EXPECT_NE(n.rfind("avdec_", 0), 0u) << file << ": " << n;
    }
}

}  // namespace
}  // namespace mci
