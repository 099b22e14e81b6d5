#include "CommandsFixture.h"
#include "compact/frmBase.h"

namespace {

// True when `expected` occurs in `sent` in this order (other commands may lie between).
bool InOrder(const Commands& sent, const Commands& expected) {
    auto it = sent.begin();
    for (const auto& e : expected) {
        it = std::find(it, sent.end(), e);
        if (it == sent.end()) return false;
        ++it;
    }
    return true;
}

QString Twip(double v) {
    return QString::number(static_cast<qint64>(v));
}

}  // namespace

class QuitResumeTest : public CommandsTest {
  protected:
    // A paused medium at 42 s in a window at a known place, then Esc.
    void QuitWhilePaused(bool fullScreen) {
        form->SetLeft(1500);
        form->SetTop(1200);
        form->SetWidth(6000);
        form->SetHeight(4500);
        form->CurrentFile = QStringLiteral("/media/clip one.mpg");
        if (fullScreen) form->mnuFullscreen_Click();
        form->T.start();
        Device("paused", 42500);
        fake.clear();
        Key(Qt::Key_Escape);
    }

    // A new run: a new main window, the device closed, then C.
    void ResumeInNewRun() {
        form.reset();
        WindowUtils::ResetForTests();
        mdlFunctions::SetMediaFile({});
        form = NewWindow();
        Device("stopped", 0);
        Key(Qt::Key_C);
    }

    static Commands ResumeCommands() {
        return {"close movie", "open \"/media/clip one.mpg\" type mpegvideo alias movie parent ",
                "play movie from 42000", "play movie"};
    }
    // The open command's parent handle varies: compare it by its start.
    Commands SentWithoutHandles() const {
        Commands out = Sent();
        for (auto& c : out)
            if (c.rfind("open ", 0) == 0) c = c.substr(0, c.find("parent ") + 7);
        return out;
    }
};

TEST_F(QuitResumeTest, EscWithNothingLoadedDoesNothing) {
    Device("stopped");
    Key(Qt::Key_Escape);
    EXPECT_EQ(fake.sent, Commands{"status movie mode"});
    EXPECT_FALSE(WindowUtils::Ending());
    EXPECT_TRUE(Setting("Res").isEmpty());
}

// A recording can run beside a medium (Resume checks only the status word, which the open dialog
// may have replaced): quitting must save it before every device is closed.
TEST_F(QuitResumeTest, EscSavesARunningRecordingBeforeClosingEverything) {
    Device("stopped");
    mdlFunctions::ToggleRecording();
    ASSERT_NE(form->lblRec->Caption(), "R");
    Device("playing", 5000);
    fake.clear();
    Key(Qt::Key_Escape);
    const Commands sent = Sent();
    const auto save = std::find_if(sent.begin(), sent.end(),
                                   [](const std::string& c) { return c.rfind("save capture ", 0) == 0; });
    ASSERT_NE(save, sent.end());
    EXPECT_LT(save, std::find(sent.begin(), sent.end(), "close all"));
    EXPECT_TRUE(WindowUtils::Ending());
}

TEST_F(QuitResumeTest, EscRemembersTheWindowAndResumeBringsItBack) {
    QuitWhilePaused(false);
    EXPECT_TRUE(InOrder(fake.sent, {"pause movie", "status movie position wait", "close all"}));
    EXPECT_EQ(Setting("Res"), QStringLiteral("42"));
    EXPECT_EQ(Setting("File"), QStringLiteral("/media/clip one.mpg"));
    EXPECT_EQ(Setting("mLeft"), Twip(form->Left()));
    EXPECT_EQ(Setting("mTop"), Twip(form->Top()));
    EXPECT_EQ(Setting("Width"), Twip(form->Width()));
    EXPECT_EQ(Setting("Height"), Twip(form->Height()));
    EXPECT_EQ(Setting("FullScreen"), QStringLiteral("1"));
    EXPECT_FALSE(form->T.isActive());
    EXPECT_TRUE(WindowUtils::Ending());
    EXPECT_TRUE(form->IsUnloaded());
    EXPECT_EQ(Setting("Vol"), QStringLiteral("80"));  // the unload saved its own keys too
    const double left = form->Left(), top = form->Top(), width = form->Width(), height = form->Height();

    ResumeInNewRun();
    EXPECT_TRUE(InOrder(SentWithoutHandles(), ResumeCommands()));
    EXPECT_EQ(form->CurrentFile, QStringLiteral("/media/clip one.mpg"));
    EXPECT_EQ(mdlFunctions::MediaFile(), "\"/media/clip one.mpg\"");
    EXPECT_FALSE(form->mnuFullscreen->isChecked());
    EXPECT_EQ(form->Left(), left);
    EXPECT_EQ(form->Top(), top);
    EXPECT_EQ(form->Width(), width);
    EXPECT_EQ(form->Height(), height);
    EXPECT_TRUE(form->T.isActive());
    EXPECT_TRUE(form->mnuPlay->isVisible());

    // The remembered keys stay: a later run can resume the same place again.
    EXPECT_EQ(Setting("Res"), QStringLiteral("42"));
}

TEST_F(QuitResumeTest, EscInFullScreenKeepsTheNormalRectangle) {
    QuitWhilePaused(true);
    EXPECT_EQ(Setting("mLeft"), QStringLiteral("1500"));
    EXPECT_EQ(Setting("mTop"), QStringLiteral("1200"));
    EXPECT_EQ(Setting("Width"), QStringLiteral("6000"));
    EXPECT_EQ(Setting("Height"), QStringLiteral("4500"));
    EXPECT_EQ(Setting("FullScreen"), QStringLiteral("2"));

    ResumeInNewRun();
    EXPECT_TRUE(InOrder(SentWithoutHandles(), ResumeCommands()));
    EXPECT_TRUE(form->mnuFullscreen->isChecked());
    EXPECT_EQ(form->MainWindowState(), 2);
    EXPECT_EQ(form->RestoreLeft, 1500.0f);
    EXPECT_EQ(form->RestoreTop, 1200.0f);
    EXPECT_EQ(form->RestoreWidth, 6000.0f);
    EXPECT_EQ(form->RestoreHeight, 4500.0f);

    form->mnuFullscreen_Click();  // leaving full screen returns to the remembered rectangle
    EXPECT_EQ(form->MainWindowState(), 0);
    EXPECT_EQ(form->Left(), 1500);
    EXPECT_EQ(form->Width(), 6000);
}

TEST_F(QuitResumeTest, ResumeIsRefusedWhileSomethingPlaysOrRecords) {
    PeltoSettings::SaveSetting(QStringLiteral("Res"), QStringLiteral("9"));
    form->CurrentFile = QStringLiteral("/media/now.mpg");
    for (const char* status : {"Playing", "Paused", "Recording"}) {
        ShownBoxes().clear();
        form->lblStatus->SetCaption(QString::fromLatin1(status));
        fake.clear();
        Key(Qt::Key_C);
        ASSERT_EQ(ShownBoxes().size(), 1u) << status;
        EXPECT_EQ(ShownBoxes()[0].title, QStringLiteral("Resume Movie"));
        EXPECT_EQ(ShownBoxes()[0].text, QStringLiteral("Please Stop Playback/Recording"));
        EXPECT_TRUE(fake.sent.empty());
        EXPECT_EQ(form->CurrentFile, QStringLiteral("/media/now.mpg"));
        EXPECT_EQ(form->lblStatus->Caption(), QString::fromLatin1(status));
    }
}

TEST_F(QuitResumeTest, ResumeWithNothingRememberedLeavesFullScreenAndOpensNothing) {
    form->mnuFullscreen_Click();
    form->lblStatus->SetCaption(QStringLiteral("Stopped"));
    fake.clear();
    Key(Qt::Key_C);
    EXPECT_FALSE(form->mnuFullscreen->isChecked());
    EXPECT_TRUE(form->lblTime->Caption().isEmpty());
    EXPECT_TRUE(form->lblStatus->Caption().isEmpty());
    EXPECT_TRUE(form->CurrentFile.isEmpty());
    for (const auto& c : fake.sent) EXPECT_EQ(c.rfind("open ", 0), std::string::npos) << c;
    EXPECT_TRUE(ShownBoxes().empty());
}

TEST_F(QuitResumeTest, FractionalTwipsAreRememberedAsPlainDecimals) {
    form->SetLeft(1502.5);
    form->SetTop(1207.25);
    ASSERT_EQ(form->Left(), 1502.5);  // the window keeps the twips it was given
    form->CurrentFile = QStringLiteral("/media/clip.mpg");
    Device("playing", 1000);
    Key(Qt::Key_Escape);
    EXPECT_EQ(Setting("mLeft"), QStringLiteral("1502.5"));
    EXPECT_EQ(Setting("mTop"), QStringLiteral("1207.25"));
}

TEST_F(QuitResumeTest, ResumingAFileThatIsGoneSaysCannotOpen) {
    PeltoSettings::SaveSetting(QStringLiteral("Res"), QStringLiteral("12"));
    PeltoSettings::SaveSetting(QStringLiteral("File"), QStringLiteral("/media/gone.mpg"));
    PeltoSettings::SaveSetting(QStringLiteral("FullScreen"), QStringLiteral("1"));
    fake.script = [](const std::string& command, FakeChannel::Answer& a) {
        if (command.rfind("open ", 0) != 0) return false;
        a.result = 275;  // the engine cannot find the file
        return true;
    };
    Key(Qt::Key_C);
    EXPECT_EQ(form->lblStatus->Caption(), QStringLiteral("Cannot open"));
    EXPECT_EQ(form->Base().lblStatus->Caption(), QStringLiteral("Cannot open"));
}
