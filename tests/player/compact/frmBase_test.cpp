// The control bar: what its load reads, its buttons, keys, sliders and auto-hide.

#include <QTest>

#include "OleColor.h"
#include "WindowFixture.h"
#include "compact/frmBase.h"
#include "ptSlider/ctlSlider.h"

namespace {

using ControlBar = WindowTest;

TEST_F(ControlBar, LoadReadsVolumeAndDeviceState) {
    w->lblVolume->SetCaption("35");
    frmBase& bar = w->Base();
    EXPECT_FALSE(bar.isVisible());
    EXPECT_EQ(fake.sent, (std::vector<std::string>{"setaudio movie volume to 350", "status movie mode",
                                                   "status movie mode"}));
    EXPECT_EQ(bar.VolSlider->Value(), 35);
    EXPECT_EQ(bar.lblFileName->Caption(), "No file loaded..");
    EXPECT_FALSE(bar.Timer.isActive());
    EXPECT_EQ(bar.Timer.interval(), 2000);

    // Loaded again while a medium plays: file name and seek-bar maximum come from the device.
    Open();
    w->UnloadBase();
    media.lengthMs = 65000;
    frmBase& again = w->Base();
    EXPECT_EQ(again.lblFileName->Caption(), "\"/media/clip.mpg\"");
    EXPECT_EQ(again.Slider->Max(), 65);
    EXPECT_EQ(again.lblStatus->Caption(), "Playing");
}

TEST_F(ControlBar, LoadReadsTheVolumeLabelAsAWholeNumber) {
    struct Case {
        const char* label;
        int value;
    };
    for (const Case& c : {Case{"35.5", 36}, Case{"34.5", 34}, Case{" 7 ", 7}, Case{"loud", 0}}) {
        SCOPED_TRACE(c.label);
        w->UnloadBase();
        w->lblVolume->SetCaption(c.label);
        EXPECT_EQ(w->Base().VolSlider->Value(), c.value);
    }
}

TEST_F(ControlBar, VolumeSliderDrivesDeviceLabelAndGreyLevel) {
    frmBase& bar = w->Base();
    struct Case {
        int value;
        quint32 color;
    };
    for (const Case& c : {Case{100, OleColor::Rgb(0, 0, 0)}, Case{0, OleColor::Rgb(200, 200, 200)},
                          Case{40, OleColor::Rgb(120, 120, 120)}}) {
        fake.clear();
        ASSERT_EQ(bar.VolSlider->setValue(c.value), 0);
        EXPECT_EQ(fake.sent,
                  std::vector<std::string>{"setaudio movie volume to " + std::to_string(c.value * 10)});
        EXPECT_EQ(w->lblVolume->Caption(), QString::number(c.value));
        EXPECT_EQ(bar.VolSlider->BackColor(), c.color);
    }
}

TEST_F(ControlBar, PictureButtonsShowThePressedLookAndRunTheirKey) {
    Open();
    frmBase& bar = w->Base();
    const qint64 normal = bar.imgStop->Picture().cacheKey();
    const QPoint inside(4, 4);
    QTest::mousePress(bar.imgStop, Qt::LeftButton, {}, inside);
    EXPECT_EQ(bar.imgStop->Picture().cacheKey(), bar.imgStop->MouseIcon().cacheKey());
    EXPECT_EQ(w->lblStatus->Caption(), "Playing");  // nothing runs before the release
    QTest::mouseRelease(bar.imgStop, Qt::LeftButton, {}, inside);
    EXPECT_EQ(bar.imgStop->Picture().cacheKey(), normal);
    EXPECT_EQ(w->lblStatus->Caption(), "Stopped");

    // Space on the strip acts as on the main window.
    QTest::keyClick(&bar, Qt::Key_Space);
    EXPECT_EQ(w->lblStatus->Caption(), "Playing");
    WindowUtils::SetScreenPointer(0);
}

TEST_F(ControlBar, MuteButtonSwapsTheMutePictures) {
    Open();
    frmBase& bar = w->Base();
    QTest::mouseClick(bar.imgMute, Qt::LeftButton);
    EXPECT_EQ(w->lblMute->Caption(), QString::fromUtf8("\u00D8"));
    EXPECT_EQ(bar.imgMute->Picture().cacheKey(), bar.Icon.cacheKey());
    QTest::mouseClick(bar.imgMute, Qt::LeftButton);
    EXPECT_EQ(bar.imgMute->Picture().cacheKey(), bar.MouseIcon.cacheKey());
}

TEST_F(ControlBar, SeekBarDragKeepsAPausedMediumPaused) {
    Open();
    w->cmdPlaym_Click();  // pause
    frmBase& bar = w->Base();
    bar.Timer.start();
    bar.Slider_MouseDown(0);
    EXPECT_FALSE(w->T.isActive());
    EXPECT_FALSE(bar.Timer.isActive());
    ASSERT_EQ(bar.Slider->setValue(1), 0);
    fake.clear();
    bar.Slider_Click();
    bar.Slider_MouseUp(0);
    EXPECT_EQ(std::count(fake.sent.begin(), fake.sent.end(), "play movie from 1000"), 2);
    EXPECT_EQ(media.mode, "paused");
    EXPECT_TRUE(w->T.isActive());
}

TEST_F(ControlBar, PointerOverTheStripOrItsControlsDisarmsTheAutoHide) {
    frmBase& bar = w->Base();
    bar.show();
    for (QWidget* over : {static_cast<QWidget*>(&bar), static_cast<QWidget*>(bar.lblFileName),
                          static_cast<QWidget*>(bar.imgPlay)}) {
        bar.Timer.start();
        QTest::mouseMove(over, QPoint(3, 3));
        EXPECT_FALSE(bar.Timer.isActive()) << over->metaObject()->className();
    }
    bar.Timer.start();
    bar.VolSlider_MouseDown(0);
    EXPECT_FALSE(bar.Timer.isActive());
}

}  // namespace
