#include <QMenu>
#include <algorithm>
#include <functional>

#include "CommandsFixture.h"
#include "Twips.h"
#include "compact/frmBase.h"
#include "ptSlider/ctlSlider.h"

TEST_F(CommandsTest, PopupMenuCaptionsVisibilityAndCheckMarks) {
    struct Entry {
        QAction* action;
        const char16_t* caption;
        bool visible;
        bool checkable;
    } entries[] = {
        {form->mnuOpen, u"&Open          O", true, false},
        {form->mnuPlay, u"&Play/Pause Space", false, false},
        {form->mnuSkipRev, u"<<              <-", true, false},
        {form->mnuSkipFwd, u">>               ->", true, false},
        {form->mnuStop, u"&Stop           S", true, false},
        {form->mnuOpenClose, u"Eject CD           J", true, true},
        {form->mnuSlow1, u"Slow       `", true, false},
        {form->mnuNormal, u"Normal   1", true, false},
        {form->mnuFatser1, u"Faster    2", true, false},
        // captioned by what they do, spacing and key hints kept
        {form->mnuVolUp, u"Increase      Up Arrow", true, false},
        {form->mnuVolDwon, u"Decrease       Down Arrow", true, false},
        {form->mnuMute, u"&Mute             M", true, true},
        {form->mnuRepeat, u"&Loop                 L", true, true},
        {form->mnuFullscreen, u"&Fullscreen         F", true, true},
        {form->mnuMinimise, u"Minimise            Z", true, false},
        {form->mnuAlwaysOnTop, u"&Always on top  A", true, true},
        {form->mnuAbout, u"About               H", true, false},
        {form->mnuExit, u"Qu&it                  Q", true, false},
    };
    for (const auto& e : entries) {
        const QString caption = QString::fromUtf16(e.caption);
        EXPECT_EQ(e.action->text(), caption);
        EXPECT_EQ(e.action->isVisible(), e.visible) << caption.toStdString();
        EXPECT_EQ(e.action->isCheckable(), e.checkable) << caption.toStdString();
        EXPECT_FALSE(e.action->isChecked()) << caption.toStdString();
    }
    EXPECT_EQ(form->mnuFRate->title(), QStringLiteral("Frame rate"));
    EXPECT_EQ(form->mnuVol->title(), QStringLiteral("Volume"));
    EXPECT_TRUE(form->mnuSep1->isSeparator());
    EXPECT_TRUE(form->mnuSep2->isSeparator());
}

TEST_F(CommandsTest, VolumeEntriesStayWithinZeroToHundred) {
    struct Case {
        const char* label;
        bool up;
        const char* after;
        Commands sent;
    } cases[] = {
        {"80", true, "81", {"setaudio movie volume to 810"}},
        {"80", false, "79", {"setaudio movie volume to 790"}},
        {"99", true, "100", {"setaudio movie volume to 1000"}},
        {"100", true, "100", {}},
        {"1", false, "0", {"setaudio movie volume to 0"}},
        {"0", false, "0", {}},
    };
    for (const auto& c : cases) {
        form->lblVolume->SetCaption(QString::fromLatin1(c.label));
        fake.clear();
        (c.up ? form->mnuVolUp : form->mnuVolDwon)->trigger();
        EXPECT_EQ(form->lblVolume->Caption(), QString::fromLatin1(c.after))
            << c.label << (c.up ? " up" : " down");
        // The control bar's volume slider, when the library is there, echoes the level to the device.
        Commands distinct = fake.sent;
        distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
        EXPECT_EQ(distinct, c.sent) << c.label;
        if (ptSlider::ISlider* volume = form->Base().VolSlider; volume && !c.sent.empty()) {
            EXPECT_EQ(volume->Value(), QString::fromLatin1(c.after).toInt());
        }
    }
}

TEST_F(CommandsTest, MuteFromLabelAndMenuStaysInStep) {
    form->mnuMute->trigger();
    EXPECT_EQ(form->lblMute->Caption(), QStringLiteral("\u00D8"));
    EXPECT_TRUE(form->mnuMute->isChecked());
    QTest::mouseClick(form->lblMute, Qt::LeftButton);
    EXPECT_EQ(form->lblMute->Caption(), QStringLiteral("O"));
    EXPECT_FALSE(form->mnuMute->isChecked());
    QTest::mouseClick(form->lblMute, Qt::LeftButton);
    form->mnuMute->trigger();
    EXPECT_EQ(form->lblMute->Caption(), QStringLiteral("O"));
    EXPECT_FALSE(form->mnuMute->isChecked());
    EXPECT_EQ(fake.sent, (Commands{"set movie audio all off", "set movie audio all on",
                                   "set movie audio all off", "set movie audio all on"}));
}

TEST_F(CommandsTest, SkipsKeepAPausedMediumPaused) {
    Device("paused", 50000);
    form->cmdPlaym->SetCaption(QStringLiteral("Play"));
    form->mnuSkipFwd->trigger();
    Commands paused = SecondsStep(50000, 3);
    paused.push_back("pause movie");
    EXPECT_EQ(fake.sent, paused);

    form->cmdPlaym->SetCaption(QStringLiteral("Pause"));
    fake.clear();
    form->mnuSkipRev->trigger();
    EXPECT_EQ(fake.sent, SecondsStep(50000, -3));
}

TEST_F(CommandsTest, SpeedLoopMinimiseAndTopmostEntries) {
    form->mnuSlow1->trigger();
    form->mnuNormal->trigger();
    form->mnuFatser1->trigger();
    EXPECT_EQ(fake.sent, (Commands{"set movie speed 600", "set movie speed 0", "set movie speed 1600"}));

    for (bool expected : {true, false, true}) {
        form->mnuRepeat->trigger();
        EXPECT_EQ(form->mnuRepeat->isChecked(), expected);
    }

    form->show();
    const QRect before = form->geometry();
    form->mnuAlwaysOnTop->trigger();
    EXPECT_TRUE(form->mnuAlwaysOnTop->isChecked());
    EXPECT_TRUE(form->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    form->mnuAlwaysOnTop->trigger();
    EXPECT_FALSE(form->mnuAlwaysOnTop->isChecked());
    EXPECT_FALSE(form->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(form->geometry(), before);

    form->mnuMinimise->trigger();
    EXPECT_EQ(form->MainWindowState(), 1);
}

TEST_F(CommandsTest, DoorEntryTogglesUnlessTheDiscInUseWouldGo) {
    Device("stopped");
    form->mnuOpenClose->trigger();
    EXPECT_TRUE(form->mnuOpenClose->isChecked());
    form->mnuOpenClose->trigger();
    EXPECT_FALSE(form->mnuOpenClose->isChecked());
    EXPECT_EQ(Sent(), (Commands{"set cdaudio door open", "set cdaudio door closed"}));

    // A medium from the drive plays: the door stays as it is.
    mdlFunctions::SetMediaFile(
        (WindowUtils::FindCdDrive() + QStringLiteral("MPEGAV/AVSEQ01.DAT")).toStdString());
    Device("playing");
    fake.clear();
    form->mnuOpenClose->trigger();
    EXPECT_FALSE(form->mnuOpenClose->isChecked());
    EXPECT_TRUE(Sent().empty());
}

TEST_F(CommandsTest, MouseButtonsOnTheWindow) {
    const QPoint inside = PlayingWithPointerInside();

    QTest::mouseClick(form.get(), Qt::MiddleButton, {}, inside);
    EXPECT_EQ(form->cmdPlaym->Caption(), QStringLiteral("Play"));  // paused

    QTest::mouseClick(form.get(), Qt::LeftButton, {}, inside);  // a medium is loaded: no dialog
    EXPECT_EQ(OpenDialogCalls(), 0);
    Device("stopped");
    QTest::mouseClick(form.get(), Qt::LeftButton, {}, inside);
    EXPECT_EQ(OpenDialogCalls(), 1);

    form->show();
    QTest::mouseClick(form.get(), Qt::RightButton, {}, inside);
    EXPECT_TRUE(form->mnuStart->isVisible());
    form->mnuStart->hide();
}

// A quick second click arrives as a double click: the left one toggles full screen, a middle one
// still plays or pauses.
TEST_F(CommandsTest, DoubleClicksOnTheWindow) {
    const QPoint inside = PlayingWithPointerInside();
    QTest::mouseDClick(form.get(), Qt::LeftButton, {}, inside);
    EXPECT_TRUE(form->mnuFullscreen->isChecked());
    QTest::mouseDClick(form.get(), Qt::LeftButton, {}, inside);
    EXPECT_FALSE(form->mnuFullscreen->isChecked());

    fake.clear();
    QTest::mouseClick(form.get(), Qt::MiddleButton, {}, inside);
    form->lblStatus->SetCaption(QStringLiteral("Paused"));
    QTest::mouseDClick(form.get(), Qt::MiddleButton, {}, inside);
    EXPECT_EQ(std::count(fake.sent.begin(), fake.sent.end(), "pause movie"), 1);
    EXPECT_EQ(std::count(fake.sent.begin(), fake.sent.end(), "resume movie"), 1);
}

TEST_F(CommandsTest, LeftDragMovesTheWindowOutsideFullScreen) {
    Device("playing");
    form->show();
    const QPoint start = form->pos();
    const double tx = Twips::PerPixelX(), ty = Twips::PerPixelY();
    auto drag = [&](int dx, int dy) {
        form->Form_MouseDown(1, 0, static_cast<float>(20 * tx), static_cast<float>(30 * ty));
        form->Form_MouseMove(1, 0, static_cast<float>((20 + dx) * tx), static_cast<float>((30 + dy) * ty));
    };
    drag(40, 25);
    EXPECT_EQ(form->pos(), start + QPoint(40, 25));
    EXPECT_EQ(OpenDialogCalls(), 0);  // a medium plays: the press opens nothing

    form->mnuFullscreen_Click();
    const QPoint full = form->pos();
    drag(40, 25);
    EXPECT_EQ(form->pos(), full);
}

TEST_F(CommandsTest, PointerAtTheBottomInFullScreenShowsTheControlBar) {
    const auto bottom = static_cast<float>(Twips::ScreenHeight());
    form->Form_MouseMove(0, 0, 100, bottom);  // not in full screen: nothing
    EXPECT_TRUE(form->LoadedBase() == nullptr || !form->LoadedBase()->isVisible());
    form->mnuFullscreen_Click();
    form->Form_MouseMove(1, 0, 100, bottom);  // no drag in full screen, the bar comes up
    ASSERT_NE(form->LoadedBase(), nullptr);
    EXPECT_EQ(form->LoadedBase()->isVisible(), Twips::ScreenWidth() >= 12000);
}

TEST_F(CommandsTest, QuitLabelAndMenuEndTheProgram) {
    for (bool byMenu : {false, true}) {
        WindowUtils::ResetForTests();
        form = NewWindow();
        if (byMenu)
            form->mnuExit->trigger();
        else
            QTest::mouseClick(form->Label1, Qt::LeftButton);
        EXPECT_EQ(fake.sent.front(), "close all");
        EXPECT_TRUE(WindowUtils::Ending());
        EXPECT_TRUE(form->IsUnloaded());
        EXPECT_EQ(Setting("Vol"), QStringLiteral("80"));
    }
}

// A modal window takes the focus; when it closes the focus must come back to the window that had
// it, or the keys that follow are lost where no window manager hands it back.
namespace {
QWidget* gModal = nullptr;
std::unique_ptr<QWidget>* gGone = nullptr;
bool ActiveIs(QWidget* w) {
    return QTest::qWaitFor([w] { return QApplication::activeWindow() == w; });
}
void ModalTakesTheFocus() {
    gModal->show();
    gModal->activateWindow();
    EXPECT_TRUE(ActiveIs(gModal));
    gModal->hide();
}
}  // namespace

TEST_F(CommandsTest, ModalWindowsHandTheFocusBack) {
    frmPelto::InfoBox = [](QWidget*, const QString& title, const QString& text) {
        ShownBoxes().push_back({title, text});
        ModalTakesTheFocus();
    };
    frmPelto::OpenDialog = [](QWidget*, const QString&) {
        ++OpenDialogCalls();
        ModalTakesTheFocus();
        return QString();  // cancelled
    };
    QWidget box;
    box.resize(100, 50);
    gModal = &box;
    form->show();
    const struct {
        const char* what;
        std::function<void()> run;
    } cases[] = {
        {"About", [&] { form->mnuAbout->trigger(); }},
        {"resume refused", [&] { form->lblStatus->SetCaption(QStringLiteral("Playing")), Code(67); }},
        {"O key", [&] { Device("stopped"), Code(79); }},
        {"Open entry", [&] { form->mnuOpen->trigger(); }},
        {"left click", [&] { form->Form_MouseDown(1, 0, 100, 100); }},
    };
    for (const auto& c : cases) {
        form->activateWindow();
        ASSERT_TRUE(ActiveIs(form.get()));
        const auto shown = ShownBoxes().size() + static_cast<std::size_t>(OpenDialogCalls());
        c.run();
        EXPECT_EQ(ShownBoxes().size() + static_cast<std::size_t>(OpenDialogCalls()), shown + 1) << c.what;
        EXPECT_TRUE(ActiveIs(form.get())) << c.what;
    }

    // The window that had the focus goes while the box is up: the main window gets it.
    auto bar = std::make_unique<QWidget>();
    bar->show();
    bar->activateWindow();
    ASSERT_TRUE(ActiveIs(bar.get()));
    gGone = &bar;
    frmPelto::InfoBox = [](QWidget*, const QString&, const QString&) {
        ModalTakesTheFocus();
        gGone->reset();
    };
    form->mnuAbout->trigger();
    EXPECT_TRUE(ActiveIs(form.get()));
    gGone = nullptr;
    gModal = nullptr;
}
