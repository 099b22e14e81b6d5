// Resize guard, video layout and the full-screen round trip.

#include <QApplication>
#include <QElapsedTimer>
#include <QScreen>
#include <cmath>

#include "OleColor.h"
#include "Twips.h"
#include "WindowFixture.h"
#include "compact/frmBase.h"
#include "ptSlider/ctlSlider.h"

namespace {

using Video = WindowTest;

TEST_F(Video, ResizeGuardSwallowsTheFirstResizeAndIgnoresWhenTwo) {
    w->Form_Resize();
    EXPECT_TRUE(fake.sent.empty());
    EXPECT_EQ(w->ResizeGuard, 1);
    w->Form_Resize();
    EXPECT_EQ(fake.sent.size(), 1u);
    w->ResizeGuard = 2;
    w->Form_Resize();
    EXPECT_EQ(fake.sent.size(), 1u);
}

TEST_F(Video, MinimisedWindowLeavesTheLayoutAlone) {
    w->SetWindowStateValue(1);
    const QRect frame = w->FrameVideo->geometry();
    w->ArrangeVideoArea();
    EXPECT_TRUE(fake.sent.empty());
    EXPECT_EQ(w->FrameVideo->geometry(), frame);
}

TEST_F(Video, MinimisingFromFullScreenComesBackToFullScreen) {
    w->show();
    w->Form_Load("/media/clip.mpg");
    const double width = w->Width();
    w->mnuFullscreen_Click();
    w->SetWindowStateValue(1);
    EXPECT_EQ(w->MainWindowState(), 1);
    w->showNormal();  // the user restores it from the task bar
    EXPECT_EQ(w->MainWindowState(), 2);
    w->mnuFullscreen_Click();  // leaves full screen, back to the rectangle kept on the way in
    EXPECT_EQ(w->MainWindowState(), 0);
    EXPECT_DOUBLE_EQ(w->Width(), width);
}

TEST_F(Video, FullScreenRoundTripRestoresEverything) {
    w->show();
    w->Form_Load("/media/clip.mpg");
    const double left = w->Left(), top = w->Top(), width = w->Width(), height = w->Height();
    w->cmdStop->setEnabled(false);  // whatever the state before, leaving enables all six

    fake.clear();
    w->mnuFullscreen_Click();
    // Every layout on the way in is for the screen-wide frame (screen width + 120 twips); the last
    // one is as high as the screen.
    const auto px = [](double twips) { return static_cast<int>(std::nearbyint(twips / 15)); };
    std::vector<std::string> puts;
    for (const std::string& c : fake.sent)
        if (c.rfind("put movie window at ", 0) == 0) puts.push_back(c);
    ASSERT_FALSE(puts.empty());
    for (const std::string& c : puts)
        EXPECT_EQ(
            c.rfind("put movie window at 0 0 " + std::to_string(px(Twips::ScreenWidth() + 120)) + " ", 0), 0u)
            << c;
    EXPECT_EQ(puts.back(), "put movie window at 0 0 " + std::to_string(px(Twips::ScreenWidth() + 120)) + " " +
                               std::to_string(px(Twips::ScreenHeight())));
    EXPECT_EQ(w->MainWindowState(), 2);
    EXPECT_TRUE(w->mnuFullscreen->isChecked());
    EXPECT_EQ(w->windowTitle(), "");
    EXPECT_EQ(w->BackColor(), OleColor::kBlack);
    EXPECT_EQ(w->Slider->BackColor(), OleColor::kBlack);
    EXPECT_FALSE(w->Slider->widget()->isVisible());
    for (CaptionLabel* c : {w->cmdPlaym, w->cmdOpen, w->cmdStop, w->lblRec, w->lblMute, w->Label1})
        EXPECT_FALSE(c->isEnabled());
    EXPECT_EQ(WindowUtils::ScreenPointer(), 0);  // a medium plays
    EXPECT_EQ(Twips::Top(w->FrameVideo), 0);
    EXPECT_EQ(Twips::Height(w->FrameVideo), Twips::ScreenHeight());
    EXPECT_GE(Twips::Width(w->FrameVideo) + Twips::Left(w->FrameVideo), Twips::ScreenWidth());
    EXPECT_FLOAT_EQ(w->RestoreWidth, width);

    w->mnuFullscreen_Click();
    EXPECT_EQ(w->MainWindowState(), 0);
    EXPECT_EQ(w->Left(), left);
    EXPECT_EQ(w->Top(), top);
    EXPECT_EQ(w->Width(), width);
    EXPECT_EQ(w->Height(), height);
    EXPECT_EQ(Twips::Top(w->FrameVideo), 210);
    EXPECT_TRUE(w->Slider->widget()->isVisible());
    EXPECT_EQ(w->windowTitle(), "Pelto SE");
    EXPECT_EQ(w->BackColor(), OleColor::kButtonFace);
    EXPECT_EQ(w->Slider->BackColor(), OleColor::kButtonFace);
    for (CaptionLabel* c : {w->cmdPlaym, w->cmdOpen, w->cmdStop, w->lblRec, w->lblMute, w->Label1})
        EXPECT_TRUE(c->isEnabled());
    EXPECT_FALSE(w->mnuFullscreen->isChecked());
    EXPECT_EQ(w->MousePointer(), 0);
    EXPECT_EQ(w->LoadedBase(), nullptr);
}

TEST_F(Video, FullScreenWithNothingPlayingKeepsTheArrow) {
    w->show();
    w->mnuFullscreen_Click();
    EXPECT_EQ(WindowUtils::ScreenPointer(), 1);
    w->mnuFullscreen_Click();
    WindowUtils::SetScreenPointer(0);
}

TEST_F(Video, PointerAtTheBottomEdgeShowsTheBarAndLeavingArmsItsTimer) {
    w->show();
    w->Form_Load("/media/clip.mpg");
    w->mnuFullscreen_Click();
    float above = static_cast<float>(Twips::ScreenHeight() - 26);
    w->TrackPointerInFullScreen(above);
    EXPECT_FALSE(w->Base().isVisible());
    EXPECT_TRUE(w->Base().Timer.isActive());
    float bottom = static_cast<float>(Twips::ScreenHeight() - 25);
    w->TrackPointerInFullScreen(bottom);
    frmBase& bar = w->Base();
    EXPECT_TRUE(bar.isVisible());
    EXPECT_EQ(Twips::Top(&bar), Twips::ScreenHeight() - 600);
    EXPECT_EQ(Twips::Width(&bar), Twips::ScreenWidth());

    // Mouse moves that reach the window's handler take the same route; a running countdown goes on.
    bar.Timer.stop();
    w->Form_MouseMove(0, 0, 100, above);
    EXPECT_TRUE(bar.Timer.isActive());
    QElapsedTimer spent;
    spent.start();
    while (!spent.hasExpired(30)) {
    }
    w->Form_MouseMove(0, 0, 100, above);
    EXPECT_LT(bar.Timer.remainingTime(), 1990);

    // The bar's own timer hides the pointer over the video and unloads the bar.
    bar.Timer_Timer();
    EXPECT_EQ(w->MousePointer(), 99);
    EXPECT_EQ(w->cursor().shape(), Qt::BlankCursor);
    EXPECT_EQ(w->LoadedBase(), nullptr);
    w->mnuFullscreen_Click();
    EXPECT_EQ(w->MousePointer(), 0);
}

}  // namespace
