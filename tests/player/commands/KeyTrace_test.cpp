#include <QApplication>

#include "CommandsFixture.h"
#include "compact/frmBase.h"

namespace {

struct KeyPress {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
};
constexpr auto kPad = Qt::KeypadModifier;

}  // namespace

TEST_F(CommandsTest, SpeedKeysSendTheirFactorsUnchanged) {
    const std::pair<KeyPress, std::string> cases[] = {
        {{Qt::Key_1}, "set movie speed 0"},
        {{Qt::Key_2}, "set movie speed 1600"},
        {{Qt::Key_3}, "set movie speed 2200"},
        {{Qt::Key_4}, "set movie speed 300"},
        {{Qt::Key_5}, "set movie speed 150"},
        {{Qt::Key_6}, "set movie speed 75"},
        {{Qt::Key_7}, "set movie speed 15"},
        {{Qt::Key_QuoteLeft}, "set movie speed 600"},
        {{Qt::Key_3, Qt::ShiftModifier}, "set movie speed 2200"},
    };
    for (const auto& [press, command] : cases) {
        fake.clear();
        Key(press.key, press.modifiers);
        EXPECT_EQ(fake.sent, Commands{command}) << command;
    }
}

TEST_F(CommandsTest, KeysOutsideTheTableDoNothing) {
    const KeyPress keys[] = {{Qt::Key_0},       {Qt::Key_8},       {Qt::Key_9},       {Qt::Key_2, kPad},
                             {Qt::Key_5, kPad}, {Qt::Key_8, kPad}, {Qt::Key_0, kPad}, {Qt::Key_B},
                             {Qt::Key_D},       {Qt::Key_E},       {Qt::Key_G},       {Qt::Key_I},
                             {Qt::Key_K},       {Qt::Key_N},       {Qt::Key_T},       {Qt::Key_U},
                             {Qt::Key_V},       {Qt::Key_X},       {Qt::Key_Y},       {Qt::Key_F2},
                             {Qt::Key_Tab}};
    for (const auto& press : keys) Key(press.key, press.modifiers);
    EXPECT_TRUE(fake.sent.empty());
    EXPECT_EQ(form->lblVolume->Caption(), QStringLiteral("80"));
    EXPECT_EQ(form->lblMute->Caption(), QStringLiteral("O"));
    EXPECT_EQ(OpenDialogCalls(), 0);
    EXPECT_TRUE(ShownBoxes().empty());
}

TEST_F(CommandsTest, SeekStepsFollowThePlayingAndPausedRule) {
    struct Case {
        KeyPress press;
        bool frames;
        int delta;
    } cases[] = {
        {{Qt::Key_1, kPad}, false, -15},
        {{Qt::Key_3, kPad}, false, 15},
        {{Qt::Key_4, kPad}, false, -30},
        {{Qt::Key_6, kPad}, false, 30},
        {{Qt::Key_7, kPad}, false, -60},
        {{Qt::Key_9, kPad}, false, 60},
        {{Qt::Key_MediaNext}, false, 15},
        {{Qt::Key_MediaPrevious}, false, -15},
        {{Qt::Key_Comma}, true, -1},
        {{Qt::Key_Period}, true, 1},
        {{Qt::Key_9, kPad | Qt::ControlModifier}, false, 60},
    };
    const int from = 100000;
    Device("playing", from);
    for (const auto& c : cases) {
        const Commands step = c.frames ? FrameStep(from, c.delta) : SecondsStep(from, c.delta);
        // playing: the step alone
        form->cmdPlaym->SetCaption(QStringLiteral("Pause"));
        form->lblMute->SetCaption(QStringLiteral("O"));
        fake.clear();
        Key(c.press.key, c.press.modifiers);
        EXPECT_EQ(fake.sent, step) << "playing, delta " << c.delta;
        // paused with sound on: stays paused, sound back on
        form->cmdPlaym->SetCaption(QStringLiteral("Play"));
        fake.clear();
        Key(c.press.key, c.press.modifiers);
        EXPECT_EQ(fake.sent, PausedStep(step, true)) << "paused, delta " << c.delta;
        // paused and muted by the user: stays muted, and the label still says so
        form->lblMute->SetCaption(QStringLiteral("\u00D8"));
        fake.clear();
        Key(c.press.key, c.press.modifiers);
        EXPECT_EQ(fake.sent, PausedStep(step, false)) << "muted, delta " << c.delta;
        EXPECT_EQ(form->lblMute->Caption(), QStringLiteral("\u00D8"));
    }
}

TEST_F(CommandsTest, KeysReachTheHandlersOfMenuAndButtons) {
    form->CurrentFile = QStringLiteral("/media/clip.mpg");
    form->lblStatus->SetCaption(QStringLiteral("Playing"));
    form->cmdPlaym->SetCaption(QStringLiteral("Pause"));
    Device("playing", 20000);

    const KeyPress playPause[] = {{Qt::Key_Space}, {Qt::Key_P}, {Qt::Key_MediaTogglePlayPause}};
    for (const auto& press : playPause) {
        form->lblStatus->SetCaption(QStringLiteral("Playing"));
        fake.clear();
        Key(press.key, press.modifiers);
        EXPECT_EQ(Sent().front(), "pause movie");
        EXPECT_EQ(form->cmdPlaym->Caption(), QStringLiteral("Play"));
    }

    const KeyPress stops[] = {{Qt::Key_S}, {Qt::Key_S, Qt::ShiftModifier}, {Qt::Key_MediaStop}};
    for (const auto& press : stops) {
        form->lblStatus->SetCaption(QStringLiteral("Playing"));
        fake.clear();
        Key(press.key, press.modifiers);
        ASSERT_FALSE(fake.sent.empty());
        EXPECT_EQ(fake.sent.front(), "stop movie");
    }

    form->cmdPlaym->SetCaption(QStringLiteral("Pause"));
    fake.clear();
    Key(Qt::Key_Left);
    Key(Qt::Key_Right);
    Commands skips = SecondsStep(20000, -3);
    const Commands fwd = SecondsStep(20000, 3);
    skips.insert(skips.end(), fwd.begin(), fwd.end());
    EXPECT_EQ(fake.sent, skips);

    Key(Qt::Key_Up);
    EXPECT_EQ(form->lblVolume->Caption(), QStringLiteral("81"));
    Key(Qt::Key_Down);
    Key(Qt::Key_Down);
    EXPECT_EQ(form->lblVolume->Caption(), QStringLiteral("79"));

    Key(Qt::Key_Delete);
    EXPECT_TRUE(form->mnuMute->isChecked());
    Key(Qt::Key_M);
    EXPECT_FALSE(form->mnuMute->isChecked());

    Key(Qt::Key_L);
    EXPECT_TRUE(form->mnuRepeat->isChecked());
    Key(Qt::Key_A);
    EXPECT_TRUE(form->mnuAlwaysOnTop->isChecked());
    Key(Qt::Key_A);
    EXPECT_FALSE(form->mnuAlwaysOnTop->isChecked());

    Key(Qt::Key_H);
    ASSERT_EQ(ShownBoxes().size(), 1u);
    EXPECT_EQ(ShownBoxes()[0].title, QStringLiteral("Pelto Ver %1.%2.%3")
                                         .arg(PELTO_VERSION_MAJOR)
                                         .arg(PELTO_VERSION_MINOR)
                                         .arg(PELTO_VERSION_REVISION));

    Key(Qt::Key_O);
    EXPECT_EQ(OpenDialogCalls(), 1);

    Key(Qt::Key_Z);
    EXPECT_EQ(form->MainWindowState(), 1);
    form->SetWindowStateValue(0);

    Key(Qt::Key_F);
    EXPECT_TRUE(form->mnuFullscreen->isChecked());
    Key(Qt::Key_Return);
    EXPECT_FALSE(form->mnuFullscreen->isChecked());
}

TEST_F(CommandsTest, QuitKeysEndTheProgramThroughTheUnloadPath) {
    for (Qt::Key key : {Qt::Key_Q, Qt::Key_F4}) {
        WindowUtils::ResetForTests();
        form = NewWindow();
        form->lblVolume->SetCaption(QStringLiteral("37"));
        form->T.start();
        Key(key);
        EXPECT_EQ(fake.sent.front(), "close all");
        EXPECT_FALSE(form->T.isActive());
        EXPECT_TRUE(WindowUtils::Ending());
        EXPECT_TRUE(form->IsUnloaded());
        EXPECT_EQ(Setting("Vol"), QStringLiteral("37"));  // saved by the unload
    }
}

TEST_F(CommandsTest, RecorderKeyOnlyWhileNothingPlays) {
    Device("playing");
    Key(Qt::Key_R);
    EXPECT_EQ(fake.sent, Commands{"status movie mode"});
    EXPECT_EQ(form->lblRec->Caption(), QStringLiteral("R"));

    Device("stopped");
    fake.clear();
    Key(Qt::Key_R);
    EXPECT_NE(form->lblRec->Caption(), QStringLiteral("R"));  // recording
    Key(Qt::Key_R);
    EXPECT_EQ(form->lblRec->Caption(), QStringLiteral("R"));  // stopped and saved
    const bool capture = std::any_of(fake.sent.begin(), fake.sent.end(), [](const std::string& c) {
        return c.find("capture") != std::string::npos;
    });
    EXPECT_TRUE(capture);
}

TEST_F(CommandsTest, FitToPictureAndControlBarKeysDependOnFullScreen) {
    fake.reply("where movie source", "0 0 320 240");
    Key(Qt::Key_F1);
    EXPECT_EQ(form->SourceWidth, 320);
    EXPECT_EQ(form->SourceHeight, 240);

    Key(Qt::Key_W);  // outside full screen: nothing
    EXPECT_TRUE(form->LoadedBase() == nullptr || !form->LoadedBase()->isVisible());

    form->mnuFullscreen_Click();
    ASSERT_EQ(form->MainWindowState(), 2);
    form->SourceWidth = 0;
    fake.clear();
    Key(Qt::Key_F1);  // maximised: nothing
    EXPECT_EQ(form->SourceWidth, 0);
    EXPECT_TRUE(Sent().empty());

    Key(Qt::Key_W);
    ASSERT_NE(form->LoadedBase(), nullptr);
    EXPECT_TRUE(form->LoadedBase()->isVisible());
}
