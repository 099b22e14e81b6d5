// The typed facts a bus message leaves behind, from messages made by hand.
#include <gst/pbutils/pbutils.h>
#include <gtest/gtest.h>

#include <string>

#include "BusState.h"
#include "GstRef.h"

namespace mci {
namespace {

class BusStateTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (!gst_is_initialized()) gst_init(nullptr, nullptr);
        gst_pb_utils_init();
    }
    void SetUp() override {
        pipeline_ = adopt(GST_ELEMENT(gst_object_ref_sink(gst_pipeline_new("pipe"))));
        child_ = makeElement("fakesink", "child");
        gst_bin_add(GST_BIN(pipeline_.get()), child_.get());
    }
    BusEvent apply(GstMessage* msg) {
        auto owned = adopt(msg);
        return applyBusMessage(state_, owned.get(), pipeline_.get());
    }
    GstMessage* problem(bool error, const char* text, const char* debug) {
        GError* e = g_error_new_literal(GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_FAILED, text);
        GstMessage* m = error ? gst_message_new_error(GST_OBJECT(child_.get()), e, debug)
                              : gst_message_new_warning(GST_OBJECT(child_.get()), e, debug);
        g_error_free(e);
        return m;
    }

    GstRef<GstElement> pipeline_, child_;
    BusState state_;
};

TEST_F(BusStateTest, TheFirstErrorIsKeptWithItsDebugDetailOnOneLine) {
    EXPECT_EQ(apply(problem(true, "Connection terminated", "pulsesink.c(1752): commit ()\nmore")),
              BusEvent::Error);
    EXPECT_EQ(apply(problem(true, "Internal data stream error.", "echo")), BusEvent::Error);
    EXPECT_TRUE(state_.error);
    EXPECT_EQ(state_.firstError.source, "child");
    EXPECT_EQ(state_.firstError.text, "Connection terminated");
    EXPECT_EQ(describe("error", state_.firstError),
              "error from child: Connection terminated (pulsesink.c(1752): commit () more)");
    // No debug detail: no empty brackets.
    EXPECT_EQ(apply(problem(false, "late", nullptr)), BusEvent::Warning);
    EXPECT_EQ(describe("warning", state_.warnings.back()), "warning from child: late");
}

TEST_F(BusStateTest, WarningsAndMissingPluginsKeepOnlyTheNewest) {
    for (int i = 0; i < 40; ++i) apply(problem(false, std::to_string(i).c_str(), "d"));
    ASSERT_EQ(state_.warnings.size(), BusState::kMaxKept);
    EXPECT_EQ(state_.warnings.front().text, std::to_string(40 - BusState::kMaxKept));
    EXPECT_EQ(state_.warnings.back().text, "39");
    EXPECT_FALSE(state_.error);

    auto caps = adopt(gst_caps_from_string("video/x-h265"));
    EXPECT_EQ(apply(gst_missing_decoder_message_new(child_.get(), caps.get())), BusEvent::MissingPlugin);
    ASSERT_EQ(state_.missingPlugins.size(), 1u);
    EXPECT_NE(state_.missingPlugins[0].find("H.265"), std::string::npos) << state_.missingPlugins[0];
    // Other element messages say nothing we keep.
    EXPECT_EQ(apply(gst_message_new_element(GST_OBJECT(child_.get()), gst_structure_new_empty("level"))),
              BusEvent::None);
}

TEST_F(BusStateTest, OnlyThePipelinesOwnAsyncDoneCounts) {
    EXPECT_EQ(apply(gst_message_new_async_done(GST_OBJECT(child_.get()), GST_CLOCK_TIME_NONE)),
              BusEvent::None);
    EXPECT_EQ(state_.asyncDone, 0u);
    EXPECT_EQ(apply(gst_message_new_async_done(GST_OBJECT(pipeline_.get()), GST_CLOCK_TIME_NONE)),
              BusEvent::AsyncDone);
    EXPECT_EQ(state_.asyncDone, 1u);
}

TEST_F(BusStateTest, DurationEndAndClockNewsAreFlagged) {
    EXPECT_EQ(apply(gst_message_new_duration_changed(GST_OBJECT(child_.get()))), BusEvent::DurationChanged);
    EXPECT_TRUE(state_.durationStale);
    EXPECT_EQ(apply(gst_message_new_eos(GST_OBJECT(pipeline_.get()))), BusEvent::Eos);
    EXPECT_TRUE(state_.eos);
    auto clock = adopt(gst_system_clock_obtain());
    EXPECT_EQ(apply(gst_message_new_clock_lost(GST_OBJECT(pipeline_.get()), clock.get())),
              BusEvent::ClockLost);
    EXPECT_EQ(state_.clockLost, 1u);
    EXPECT_EQ(apply(gst_message_new_state_dirty(GST_OBJECT(pipeline_.get()))), BusEvent::None);
}

}  // namespace
}  // namespace mci
