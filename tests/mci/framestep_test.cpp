// Frame and seconds steps while paused, on the real movie window with real sinks: after each step
// the window must show the frame that the device reports, read back from the painted picture.
// The clip's frames carry their own number as a barcode (tests/media/make-framecode.py).
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QScreen>
#include <QTest>
#include <QWidget>
#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "MovieWindow.h"
#include "mci/mci.h"

namespace mci {
namespace {

const std::string kClip = std::string(PELTO_TEST_MEDIA) + "/framecode.mp4";
constexpr int kFrames = 300;  // 12 s at 25 fps
constexpr int kFps = 25;

int send(const std::string& cmd) {
    return sendString(cmd, nullptr, 0);
}

int askInt(const std::string& cmd) {
    char buf[128] = {};
    EXPECT_EQ(sendString(cmd, buf, sizeof buf), Ok) << cmd;
    return std::atoi(buf);
}

// The number the barcode in `image` shows, or -1 when it is no valid code.
int readCode(const QImage& image) {
    if (image.isNull()) return -1;
    constexpr int bars = 16, bits = 12;
    const int y = image.height() / 2;
    auto white = [&](int bar) {
        const int x = (2 * bar + 1) * image.width() / (2 * bars);
        return qGray(image.pixel(x, y)) > 128;
    };
    if (!white(0) || white(1) || white(15)) return -1;
    int n = 0, ones = 0;
    for (int i = 0; i < bits; ++i) {
        const bool on = white(2 + i);
        n = n << 1 | (on ? 1 : 0);
        ones += on ? 1 : 0;
    }
    if (white(14) != (ones % 2 == 1)) return -1;
    return n;
}

class FrameSteps : public ::testing::Test {
  protected:
    void SetUp() override {
        parent_.resize(640, 360);
        parent_.show();
        ASSERT_EQ(send("open \"" + kClip + "\" type mpegvideo alias movie parent " +
                       std::to_string(parent_.winId()) + " style child "),
                  Ok);
        window_ = parent_.findChild<MovieWindow*>(QStringLiteral("movie window"));
        ASSERT_NE(window_, nullptr);
        ASSERT_EQ(send("put movie window at 0 0 640 360"), Ok);
        // The player opens and plays; the user then pauses.
        ASSERT_EQ(send("play movie"), Ok);
        ASSERT_EQ(send("pause movie"), Ok);
    }
    void TearDown() override { EXPECT_EQ(send("close all"), Ok); }

    // A step returns before its seek is done; "status ready" says when the picture has caught up.
    bool ready() {
        char reply[128] = {};
        sendString("status movie ready", reply, sizeof reply);
        return std::string(reply) == "true";
    }

    // What the display shows of the window once the device is ready and the UI thread has
    // painted what is queued for it.
    int shownFrame() {
        EXPECT_TRUE(QTest::qWaitFor([this] { return ready(); }, 5000));
        QCoreApplication::processEvents();
        EXPECT_TRUE(
            QTest::qWaitFor([this] { return window_->framesPainted() == window_->framesShown(); }, 5000));
        return readCode(onScreen());
    }

    QImage onScreen() {
        const QPoint at = window_->mapTo(&parent_, QPoint());
        return parent_.screen()
            ->grabWindow(parent_.winId(), at.x(), at.y(), window_->width(), window_->height())
            .toImage();
    }

    int positionFrames() {
        send("set movie time format frames wait");
        return askInt("status movie position");
    }

    // A paused step exactly as the player sends it: muted, then "play from" and "pause".
    void pausedStepTo(const std::string& format, int target) {
        send("set movie audio all off");
        send("set movie time format " + format);
        send("set movie time format " + format + (format == "frames" ? " wait" : ""));
        askInt(format == "frames" ? "status movie position" : "status movie position wait");
        send("play movie from " + std::to_string(target));
        send("pause movie");
        send("set movie audio all on");
    }

    // The seek bar's release while paused: "play from" the second, then pause. The player's tick
    // has set milliseconds since the last frame step.
    void seekBarTo(int seconds) {
        send("set movie time format ms");
        send("status movie position wait");
        send("status movie mode");
        send("play movie from " + std::to_string(seconds * 1000));
        send("pause movie");
    }

    // Checks mode, reported frame and painted frame; returns whether all three were right.
    bool expectAt(int frame, const std::string& what) {
        char mode[128] = {};
        sendString("status movie mode", mode, sizeof mode);
        const int reported = positionFrames();
        const int shown = shownFrame();
        EXPECT_STREQ(mode, "paused") << what;
        EXPECT_EQ(reported, frame) << what;
        EXPECT_EQ(shown, frame) << what;
        return std::string(mode) == "paused" && reported == frame && shown == frame;
    }

    // Prints the median, 95th percentile and worst of `ns` in milliseconds.
    static void report(const std::string& what, std::vector<qint64> ns) {
        if (ns.empty()) return;
        std::sort(ns.begin(), ns.end());
        auto ms = [&](std::size_t i) { return static_cast<double>(ns[std::min(i, ns.size() - 1)]) / 1e6; };
        std::cout << what << ": median " << ms(ns.size() / 2) << " ms, 95% " << ms(ns.size() * 95 / 100)
                  << " ms, worst " << ms(ns.size() - 1) << " ms over " << ns.size() << "\n";
    }

    QWidget parent_;
    MovieWindow* window_ = nullptr;
    std::vector<qint64> latency, commands;
};

TEST_F(FrameSteps, TheClipReadsBackItsOwnNumbers) {
    send("set movie time format frames");
    for (int frame : {0, 1, 49, 50, 51, 299}) {
        ASSERT_EQ(send("seek movie to " + std::to_string(frame)), Ok);
        EXPECT_EQ(shownFrame(), frame);
    }
}

TEST_F(FrameSteps, RandomSingleStepsShowTheFrameAsked) {
    const char* seedEnv = std::getenv("PELTO_FRAMESTEP_SEED");
    const unsigned seed = seedEnv ? static_cast<unsigned>(std::atoi(seedEnv)) : std::random_device{}();
    std::mt19937 rng(seed);
    SCOPED_TRACE("seed " + std::to_string(seed));
    // Start just before a keyframe so that the first steps cross it.
    int frame = 48;
    pausedStepTo("frames", frame);
    ASSERT_TRUE(expectAt(frame, "start"));
    int wrong = 0;
    for (int i = 0; i < 320;) {
        // Runs of steps one way, so walks pass keyframes (every 50 frames) both ways.
        const int run = std::uniform_int_distribution<int>(1, 8)(rng);
        const int dir = std::uniform_int_distribution<int>(0, 1)(rng) ? 1 : -1;
        for (int k = 0; k < run && i < 320; ++k, ++i) {
            int target = frame + dir;
            if (target < 0 || target >= kFrames) target = frame - dir;
            QElapsedTimer took;
            took.start();
            pausedStepTo("frames", target);
            const qint64 sent = took.nsecsElapsed();
            const int shown = shownFrame();
            latency.push_back(took.nsecsElapsed());
            commands.push_back(sent);
            frame = target;
            if (shown != frame ||
                !expectAt(frame, "step " + std::to_string(i) + " to " + std::to_string(frame)))
                ++wrong;
        }
        if (i % 40 == 0) {  // now and then a seek-bar release elsewhere
            const int seconds = std::uniform_int_distribution<int>(0, kFrames / kFps - 1)(rng);
            seekBarTo(seconds);
            frame = seconds * kFps;
            if (!expectAt(frame, "seek bar to " + std::to_string(seconds) + " s")) ++wrong;
        }
    }
    EXPECT_EQ(wrong, 0);
    report("step commands", commands);
    report("step to picture", latency);
}

TEST_F(FrameSteps, SecondsStepsAndSeekBarShowTheNewPlace) {
    // Arrow keys step 3 s; a step past the end is refused and changes nothing.
    int ms = 1000;
    pausedStepTo("ms", ms);
    ASSERT_TRUE(expectAt(ms * kFps / 1000, "start"));
    for (int delta : {3000, 3000, -3000, 3000, 3000, -3000, -3000, 3000, 3000, -3000, -3000, -3000}) {
        ms += delta;
        pausedStepTo("ms", ms);
        expectAt(ms * kFps / 1000, "seconds step to " + std::to_string(ms) + " ms");
    }
    pausedStepTo("ms", ms + 15000);
    expectAt(ms * kFps / 1000, "a step past the end");
    for (int seconds : {11, 0, 6, 5, 9, 2, 3}) {
        seekBarTo(seconds);
        expectAt(seconds * kFps, "seek bar to " + std::to_string(seconds) + " s");
    }
    // An odd place between frames shows the frame that covers it.
    pausedStepTo("ms", 4321);
    EXPECT_EQ(shownFrame(), 4321 * kFps / 1000);
}

TEST_F(FrameSteps, StepsAfterPlayingGoOneFrameAtATime) {
    // Paused after playing, the sink holds a frame that was never shown: a step must not skip it.
    ASSERT_EQ(send("play movie"), Ok);
    ASSERT_TRUE(QTest::qWaitFor([&] { return positionFrames() >= 60; }, 10000));
    ASSERT_EQ(send("pause movie"), Ok);
    const int paused = positionFrames();
    ASSERT_TRUE(expectAt(paused, "paused after playing"));
    int frame = paused;
    for (int dir : {1, 1, 1, 1, 1, 1, -1, -1, -1, 1, 1}) {
        frame += dir;
        pausedStepTo("frames", frame);
        expectAt(frame, "step to " + std::to_string(frame));
    }
}

TEST_F(FrameSteps, PlayAfterForwardStepsMovesOnFromTheFrameShown) {
    pausedStepTo("frames", 46);
    for (int frame = 47; frame <= 53; ++frame) {  // across the keyframe at 50
        pausedStepTo("frames", frame);
        ASSERT_TRUE(expectAt(frame, "step to " + std::to_string(frame)));
    }
    ASSERT_EQ(send("play movie"), Ok);
    ASSERT_TRUE(QTest::qWaitFor([&] { return shownFrame() >= 70; }, 10000));
    ASSERT_EQ(send("pause movie"), Ok);
    const int paused = positionFrames();
    EXPECT_GE(paused, 70);
    expectAt(paused, "paused again");
    // And steps go on from there, forward and back.
    pausedStepTo("frames", paused + 1);
    expectAt(paused + 1, "forward after playing");
    pausedStepTo("frames", paused);
    expectAt(paused, "back after playing");
}

TEST_F(FrameSteps, TheLastFramesStepInAndNoFurther) {
    pausedStepTo("frames", kFrames - 3);
    ASSERT_TRUE(expectAt(kFrames - 3, "near the end"));
    pausedStepTo("frames", kFrames - 2);
    expectAt(kFrames - 2, "one before the last");
    pausedStepTo("frames", kFrames - 1);
    EXPECT_EQ(positionFrames(), kFrames - 1);
    EXPECT_EQ(shownFrame(), kFrames - 1);
}

TEST_F(FrameSteps, NearItsOwnSizeThePictureStaysSharpAndFillsTheWindow) {
    // The player's rectangle for a 1280x720 picture, below and beside other parts of its window.
    parent_.resize(1297, 739);
    ASSERT_EQ(send("put movie window at 10 20 1287 719"), Ok);
    pausedStepTo("frames", 77);
    ASSERT_TRUE(expectAt(77, "at 1287x719"));
    EXPECT_EQ(window_->frame().size(), QSize(1280, 720));
    const QImage shown = onScreen();
    ASSERT_EQ(shown.size(), QSize(1287, 719));
    // The edges between bars stay hard: a filtering scaler leaves grey between black and white.
    const int y = shown.height() / 2;
    int grey = 0;
    for (int x = 0; x < shown.width(); ++x) {
        const int g = qGray(shown.pixel(x, y));
        if (g > 72 && g < 184) ++grey;
    }
    EXPECT_EQ(grey, 0);
    EXPECT_GT(qGray(shown.pixel(0, y)), 184);                 // bar 0 reaches the left edge
    EXPECT_LT(qGray(shown.pixel(shown.width() - 1, y)), 72);  // bar 15 the right one
    // Far from its own size the picture is scaled to the window.
    parent_.resize(640, 360);
    ASSERT_EQ(send("put movie window at 0 0 640 360"), Ok);
    pausedStepTo("frames", 78);
    expectAt(78, "at 640x360");
    EXPECT_EQ(window_->frame().size(), QSize(640, 360));
}

}  // namespace
}  // namespace mci
