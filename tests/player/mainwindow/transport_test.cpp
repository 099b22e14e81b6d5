// Play/Pause/Stop, the record label, the progress tick and the seek bar.

#include <QTest>
#include <algorithm>

#include "WindowFixture.h"
#include "compact/frmBase.h"
#include "ptSlider/ctlSlider.h"

namespace {

using Transport = WindowTest;

TEST_F(Transport, PlayPauseFollowsTheStatusWord) {
    struct Case {
        const char* status;
        const char* caption;
        std::vector<std::string> commands;
        const char* captionAfter;
    };
    const std::vector<Case> cases = {
        {"Playing", "&Play", {"pause movie", "status movie mode"}, "Play"},
        {"Paused", "Play", {"resume movie", "status movie mode"}, "Pause"},
        {"Recorded", "Pause", {"pause movie", "status movie mode"}, "Play"},
        {"Recording", "Play", {}, "Play"},  // left alone so Stop can still save the recording
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.status);
        Open();
        w->lblStatus->SetCaption(c.status);
        w->cmdPlaym->SetCaption(c.caption);
        fake.clear();
        w->cmdPlaym_Click();
        EXPECT_EQ(fake.sent, c.commands);
        EXPECT_EQ(w->cmdPlaym->Caption(), c.captionAfter);
    }
}

TEST_F(Transport, PlayWithoutAFileDoesNothing) {
    w->cmdPlaym_Click();
    EXPECT_TRUE(fake.sent.empty());
}

TEST_F(Transport, StopResetsEverythingAndPlayReopens) {
    Open();
    w->T_Timer();
    ASSERT_EQ(w->lblTime->Caption(), "0:00");
    w->cmdStop_Click();
    // The resize handler runs last; the open laid out once already, so it lays out again.
    ASSERT_GE(fake.sent.size(), 2u);
    EXPECT_EQ(fake.sent[fake.sent.size() - 2], "close all");
    EXPECT_EQ(fake.sent.back(), "put movie window at 0 0 327 239");
    EXPECT_EQ(w->lblTime->Caption(), "0:00");
    EXPECT_EQ(w->lblTTime->Caption(), "0:03");
    EXPECT_EQ(w->Slider->Value(), 0);
    EXPECT_EQ(w->Base().Slider->Value(), 0);
    EXPECT_EQ(w->cmdPlaym->Caption(), "Play");
    EXPECT_EQ(w->lblStatus->Caption(), "Stopped");
    EXPECT_EQ(w->Base().lblStatus->Caption(), "Stopped");
    EXPECT_FALSE(w->T.isActive());
    EXPECT_EQ(WindowUtils::ScreenPointer(), 1);

    fake.clear();
    w->cmdStop_Click();  // already stopped
    EXPECT_TRUE(fake.sent.empty());

    w->cmdPlaym_Click();
    EXPECT_EQ(fake.sent.front(), "close movie");
    EXPECT_EQ(w->cmdPlaym->Caption(), "Pause");
    EXPECT_EQ(w->lblStatus->Caption(), "Playing");
    EXPECT_TRUE(w->T.isActive());
    WindowUtils::SetScreenPointer(0);
}

TEST_F(Transport, StopWhileRecordingOnlyEndsTheRecording) {
    w->lblRec_Click();
    ASSERT_EQ(w->lblStatus->Caption(), "Recording");
    fake.clear();
    w->cmdStop_Click();
    EXPECT_EQ(fake.sent.front(), "stop capture");
    EXPECT_EQ(fake.sent.back(), "close capture");
    EXPECT_EQ(w->lblStatus->Caption(), "Recorded");
}

TEST_F(Transport, StopSavesARecordingEvenWhenTheStatusWordWasReplaced) {
    w->lblRec_Click();
    w->lblStatus->SetCaption("/media/chosen in the dialog.mpg");  // the dialog writes the path
    w->CurrentFile = "/media/chosen in the dialog.mpg";
    fake.clear();
    w->cmdPlaym_Click();
    EXPECT_TRUE(fake.sent.empty());
    w->cmdStop_Click();
    EXPECT_EQ(fake.sent.front(), "stop capture");
    EXPECT_EQ(std::count(fake.sent.begin(), fake.sent.end(), "close all"), 0);
    EXPECT_EQ(w->lblStatus->Caption(), "Recorded");
    EXPECT_EQ(w->lblRec->Caption(), "R");
}

TEST_F(Transport, RecordLabelIsIgnoredWhileAMovieIsOpen) {
    Open();
    w->lblRec_Click();
    EXPECT_EQ(fake.sent, std::vector<std::string>{"status movie mode"});
    EXPECT_EQ(w->lblRec->Caption(), "R");
}

TEST_F(Transport, TickSendsFifteenCommandsAndMirrorsProgress) {
    Open();
    media.positionMs = 2400;
    fake.clear();
    w->T_Timer();
    EXPECT_EQ(fake.sent.size(), 15u);
    EXPECT_EQ(w->lblTime->Caption(), "0:02");
    EXPECT_EQ(w->Base().lblTime->Caption(), "0:02 / 0:03");
    EXPECT_EQ(w->Base().lblStatus->Caption(), "Playing");
    EXPECT_EQ(w->Slider->Value(), 2);
    EXPECT_EQ(w->Base().Slider->Value(), 2);
    EXPECT_TRUE(w->T.isActive());
}

TEST_F(Transport, EndOfMediumLoopsOrStops) {
    for (bool loop : {true, false}) {
        SCOPED_TRACE(loop ? "loop" : "stop");
        Open();
        w->mnuRepeat->setChecked(loop);
        media.positionMs = media.lengthMs;
        fake.clear();
        w->T_Timer();
        if (loop) {
            EXPECT_TRUE(Sent("seek movie to start"));
            EXPECT_EQ(fake.sent.back(), "setaudio movie volume to 800");  // the play that follows the rewind
            EXPECT_TRUE(w->T.isActive());
            EXPECT_EQ(w->lblStatus->Caption(), "Playing");
        } else {
            ASSERT_GE(fake.sent.size(), 2u);
            EXPECT_EQ(fake.sent[fake.sent.size() - 2], "close all");  // then the resize handler's layout
            EXPECT_EQ(w->lblStatus->Caption(), "Stopped");
            EXPECT_FALSE(w->T.isActive());
        }
    }
    WindowUtils::SetScreenPointer(0);
}

// A broken stream stops short of its end: the tick would poll for ever and the words would keep
// saying "Playing". It says "Error" instead, stops, and Play opens the file afresh.
TEST_F(Transport, TickOnAStreamErrorStopsAndPlayReopens) {
    for (bool loop : {false, true}) {
        SCOPED_TRACE(loop ? "loop" : "no loop");
        Open();
        w->mnuRepeat->setChecked(loop);
        w->T.start();
        media.positionMs = 1200;
        media.mode = "error";
        fake.clear();
        w->T_Timer();
        EXPECT_FALSE(w->T.isActive());
        EXPECT_EQ(w->lblStatus->Caption(), "Error");
        EXPECT_EQ(w->Base().lblStatus->Caption(), "Error");
        EXPECT_EQ(w->cmdPlaym->Caption(), "Play");
        EXPECT_EQ(w->lblTime->Caption(), "0:01");  // the place it broke at
        // No end was reached: nothing is rewound, stopped or closed.
        EXPECT_FALSE(Sent("seek movie to start"));
        EXPECT_FALSE(Sent("stop movie"));
        EXPECT_FALSE(Sent("close all"));

        fake.clear();
        w->cmdPlaym_Click();
        ASSERT_GE(fake.sent.size(), 2u);
        EXPECT_EQ(fake.sent[0], "close movie");
        EXPECT_EQ(fake.sent[1].rfind("open ", 0), 0u) << fake.sent[1];
        EXPECT_EQ(w->lblStatus->Caption(), "Playing");
        EXPECT_TRUE(w->T.isActive());
    }
}

TEST_F(Transport, ZeroLengthStopsTheTickAfterOneUpdate) {
    media.lengthMs = 400;
    Open();
    EXPECT_EQ(w->lblTTime->Caption(), "0:00");
    fake.clear();
    w->T_Timer();
    EXPECT_FALSE(w->T.isActive());
    EXPECT_FALSE(Sent("status movie length"));  // the end test is not reached
}

TEST_F(Transport, PositionOutsideTheSeekBarSkipsTheCompactBar) {
    Open();
    media.lengthMs = 20000;  // the medium grew; the bars still end at 3 s
    media.positionMs = 9000;
    fake.clear();
    w->T_Timer();
    EXPECT_EQ(w->Base().Slider->Value(), 0);
    // one position query fewer than a normal tick; the end test still runs
    EXPECT_EQ(fake.sent.size(), 13u);
    EXPECT_TRUE(w->T.isActive());
}

TEST_F(Transport, SeekBarDragWhilePlayingAndPaused) {
    for (bool paused : {false, true}) {
        SCOPED_TRACE(paused ? "paused" : "playing");
        Open();
        if (paused) w->cmdPlaym_Click();
        fake.clear();
        w->Slider_MouseDown(0);
        EXPECT_FALSE(w->T.isActive());
        ASSERT_EQ(w->Slider->setValue(2), 0);
        w->Slider_Click();
        w->Slider_MouseUp(0);
        EXPECT_TRUE(w->T.isActive());
        EXPECT_EQ(media.positionMs, 2000);
        EXPECT_EQ(media.mode, paused ? "paused" : "playing");
        EXPECT_EQ(std::count(fake.sent.begin(), fake.sent.end(), "play movie from 2000"), 2);
    }
}

// After Stop the device is closed: a tick armed by a release would find the end on every tick.
TEST_F(Transport, SeekBarReleaseAfterStopLeavesTheTickOff) {
    Open();
    w->cmdStop_Click();
    for (ptSlider::ISlider* bar : {w->Slider, w->Base().Slider}) {
        ASSERT_EQ(bar->setValue(1), 0);
        if (bar == w->Slider) {
            w->Slider_MouseDown(0);
            w->Slider_MouseUp(0);
        } else {
            w->Base().Slider_MouseDown(0);
            w->Base().Slider_MouseUp(0);
        }
        EXPECT_FALSE(w->T.isActive());
    }
    EXPECT_EQ(w->lblStatus->Caption(), "Stopped");
}

// A recording started after Stop: a seek-bar release arms the tick, which must not take the
// closed device's length 0 for the end of a medium and stop (so save) the recording.
TEST_F(Transport, TickWithNoMediumOpenStopsItselfAndLeavesARecordingRunning) {
    Open();
    w->cmdStop_Click();
    w->lblRec_Click();
    ASSERT_EQ(w->lblStatus->Caption(), "Recording");
    w->Slider_MouseDown(0);
    w->Slider_MouseUp(0);
    fake.clear();
    w->T_Timer();
    EXPECT_FALSE(w->T.isActive());
    EXPECT_FALSE(Sent("stop capture"));
    EXPECT_EQ(w->lblStatus->Caption(), "Recording");
    EXPECT_EQ(w->lblRec->Caption(), QString::fromUtf8("\u00AE"));
}

TEST_F(Transport, RealMouseOnTheSeekBarSeeksThroughItsEvents) {
    Open();
    w->show();
    QWidget* bar = w->Slider->widget();
    fake.clear();
    const QPoint end(bar->width() - 2, bar->height() / 2);
    QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(2, bar->height() / 2));
    EXPECT_FALSE(w->T.isActive());
    QTest::mouseRelease(bar, Qt::LeftButton, {}, end);
    EXPECT_TRUE(w->T.isActive());
    EXPECT_EQ(media.positionMs, w->Slider->Value() * 1000);
    EXPECT_TRUE(Sent("play movie from " + std::to_string(w->Slider->Value() * 1000)));
}

}  // namespace
