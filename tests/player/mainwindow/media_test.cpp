// Opening media: LoadMedia's command sequence and window sizes, the dialog, drops, the guards.

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include "FileNames.h"
#include "Twips.h"
#include "WindowFixture.h"
#include "compact/frmBase.h"
#include "ptSlider/ctlSlider.h"

namespace {

using Opening = WindowTest;

TEST_F(Opening, VideoOfThreeTwentyByTwoFortySizesTheWindowToThePicture) {
    w->lblVolume->SetCaption("80");
    w->LoadMedia("/media/clip.mpg", false);
    const std::string parent = std::to_string(w->FrameVideo->winId());
    const std::vector<std::string> expected = {
        "close movie",
        "open \"/media/clip.mpg\" type mpegvideo alias movie parent " + parent + " style child ",
        "where movie source",
        // the width change lays out (the height change before it was the first resize, swallowed),
        // then SizeWindowToVideo lays out once more
        "put movie window at 0 0 327 239", "put movie window at 0 0 327 239", "set movie time format ms",
        "status movie length",  // main seek bar maximum
        // the control bar is created here: its load reads the volume and the device state
        "setaudio movie volume to 800", "status movie mode", "status movie mode", "set movie time format ms",
        "status movie length",  // its seek bar maximum
        "play movie", "setaudio movie volume to 800", "set movie time format ms",
        "status movie length",  // total time text
        "status movie mode"};
    EXPECT_EQ(fake.sent, expected);
    EXPECT_EQ(w->SourceWidth, 320);
    EXPECT_EQ(w->SourceHeight, 240);
    EXPECT_EQ(w->Width(), 320 * 15 + 100);
    EXPECT_EQ(w->Height(), 240 * 15 + 890);
    EXPECT_EQ(Twips::Width(w->FrameVideo), w->Width());
    EXPECT_EQ(Twips::Height(w->FrameVideo), w->Height() - 900);
    EXPECT_EQ(w->lblTTime->Caption(), "0:03");
    EXPECT_EQ(w->lblStatus->Caption(), "Playing");
    EXPECT_EQ(w->Base().lblStatus->Caption(), "Playing");
    EXPECT_EQ(w->windowTitle(), "\"/media/clip.mpg\"");
    EXPECT_TRUE(w->cmdPlaym->isEnabled());
    EXPECT_TRUE(w->cmdStop->isEnabled());
    EXPECT_TRUE(w->mnuPlay->isVisible());
    EXPECT_TRUE(w->T.isActive());
    EXPECT_EQ(w->cmdPlaym->Caption(), "&Play");  // the design caption stays after the first open
    ASSERT_NE(w->Slider, nullptr);
    EXPECT_EQ(w->Slider->Max(), 3);
    ASSERT_NE(w->Base().Slider, nullptr);
    EXPECT_EQ(w->Base().Slider->Max(), 3);
}

// The control bar is created during the load, before the play: it still names the medium.
TEST_F(Opening, ControlBarNamesTheMediumHoweverItCame) {
    Open("/media/clip one.mpg");  // the command line
    EXPECT_EQ(w->Base().lblFileName->Caption(), "/media/clip one.mpg");
    w->LoadMedia("/media/other.mpg", false);  // a drop, say
    EXPECT_EQ(w->Base().lblFileName->Caption(), "/media/other.mpg");
}

TEST_F(Opening, AudioOnlyGivesTheStripLayout) {
    media.source = "0 0 0 0";
    w->LoadMedia("/media/clip.mp3", false);
    EXPECT_EQ(w->SourceWidth, 0);
    EXPECT_EQ(w->Width(), 4740);
    EXPECT_EQ(w->Height(), 900);
    // The layout that follows (here: the resize handler once armed) gives the strip its shape.
    w->ResizeGuard = 1;
    w->Form_Resize();
    EXPECT_EQ(Twips::Height(w->FrameVideo), 0);
    ASSERT_NE(w->Slider, nullptr);
    EXPECT_EQ(Twips::Top(w->Slider->widget()), 250);
    EXPECT_EQ(Twips::Width(w->Slider->widget()), 4740 - 115);
}

TEST_F(Opening, SecondFileClosesTheFirstAndResizesToTheNewPicture) {
    Open();
    media.source = "0 0 352 240";
    w->LoadMedia("/media/other.mpg", false);
    EXPECT_EQ(fake.sent.front(), "close movie");
    EXPECT_EQ(w->Width(), 352 * 15 + 100);
}

TEST_F(Opening, PictureLargerThanTheScreenGivesAWindowWithinItsAvailableArea) {
    w->show();
    w->SetLeft(3000);
    media.source = "0 0 3840 2160";
    w->LoadMedia("/media/4k.mp4", false);
    const Twips::Area room = Twips::Available(w.get());
    EXPECT_GE(w->Left(), room.left);
    EXPECT_GE(w->Top(), room.top);
    EXPECT_LE(w->Left() + w->Width(), room.left + room.width);
    EXPECT_LE(w->Top() + w->Height(), room.top + room.height);
    // The picture keeps its aspect: the frame above the rows is 16:9 (to a pixel or two).
    const double pictureW = w->Width() - 100, pictureH = w->Height() - 890;
    EXPECT_NEAR(pictureW / pictureH, 16.0 / 9.0, 0.03);
}

TEST_F(Opening, PlayCaptionTurnsToPauseOnlyFromPlay) {
    for (const auto& [before, after] : std::vector<std::pair<QString, QString>>{
             {"&Play", "&Play"}, {"Play", "Pause"}, {"Pause", "Pause"}}) {
        w->cmdPlaym->SetCaption(before);
        w->LoadMedia("/media/clip.mpg", false);
        EXPECT_EQ(w->cmdPlaym->Caption(), after) << before.toStdString();
    }
}

TEST_F(Opening, NothingLoadsWhileRecording) {
    w->SetRecBackColor(0xFF);
    w->LoadMedia("/media/clip.mpg", false);
    EXPECT_TRUE(fake.sent.empty());
    EXPECT_FALSE(w->T.isActive());
}

TEST_F(Opening, RefusedFileSaysSoInsteadOfAnEmptyStatus) {
    media.refuseOpen = true;
    w->LoadMedia("/media/broken.mpg", false);
    EXPECT_EQ(w->lblStatus->Caption(), "Cannot open");
    EXPECT_EQ(w->Base().lblStatus->Caption(), "Cannot open");
    w->T_Timer();  // the tick's mode query comes back empty; the word stays
    EXPECT_EQ(w->Base().lblStatus->Caption(), "Cannot open");
    EXPECT_FALSE(w->T.isActive());
    // Play tries the file again rather than pausing a device that is not there.
    w->CurrentFile = "/media/broken.mpg";
    fake.clear();
    w->cmdPlaym_Click();
    EXPECT_EQ(fake.sent[0], "close movie");
    EXPECT_EQ(w->lblStatus->Caption(), "Cannot open");
    // Stop finds no mode to show: the medium is stopped all the same, and Play still retries it.
    w->cmdStop_Click();
    EXPECT_EQ(w->lblStatus->Caption(), "Stopped");
    EXPECT_EQ(w->Base().lblStatus->Caption(), "Stopped");
    media.refuseOpen = false;
    w->cmdPlaym_Click();
    EXPECT_EQ(w->lblStatus->Caption(), "Playing");
}

TEST_F(Opening, MaximisedWindowKeepsItsSizeAndLaysOutTheVideo) {
    w->show();
    w->mnuFullscreen_Click();
    const QRect before = w->geometry();
    fake.clear();
    w->LoadMedia("/media/clip.mpg", false);
    EXPECT_EQ(w->geometry(), before);
    EXPECT_EQ(WindowUtils::ScreenPointer(), 0);
    EXPECT_TRUE(std::any_of(fake.sent.begin(), fake.sent.end(), [](const std::string& s) {
        return s.rfind("put movie window at 0 0 ", 0) == 0;
    }));
}

TEST_F(Opening, DialogStartsInTheVideoCdFolderAndCancelChangesNothing) {
    static QString startFolder;
    frmPelto::OpenDialog = [](QWidget*, const QString& start) {
        startFolder = start;
        return QString();
    };
    w->cmdOpen_Click();
    EXPECT_EQ(startFolder, WindowUtils::FindCdDrive() + "mpegav/");
    EXPECT_EQ(w->lblStatus->Caption(), "Status:");
    EXPECT_TRUE(fake.sent.empty());

    DialogAnswer() = "  /media/clip.mpg ";
    frmPelto::OpenDialog = [](QWidget*, const QString&) { return DialogAnswer(); };
    w->cmdOpen_Click();
    EXPECT_EQ(w->CurrentFile, "/media/clip.mpg");
    EXPECT_EQ(w->Base().lblFileName->Caption(), "/media/clip.mpg");
    EXPECT_EQ(w->lblStatus->Caption(), "Playing");
}

TEST_F(Opening, DropOpensOnlyTheFirstFileAndIgnoresOtherData) {
    QMimeData text;
    text.setText("not a file");
    w->Form_OLEDragDrop(text);
    EXPECT_TRUE(fake.sent.empty());

    QMimeData files;
    files.setUrls({QUrl::fromLocalFile("/media/a.mpg"), QUrl::fromLocalFile("/media/b.mpg"),
                   QUrl::fromLocalFile("/media/c.mpg")});
    w->Form_OLEDragDrop(files);
    EXPECT_EQ(w->CurrentFile, "/media/a.mpg");
    EXPECT_EQ(std::count_if(fake.sent.begin(), fake.sent.end(),
                            [](const std::string& s) { return s.rfind("open ", 0) == 0; }),
              1);
    EXPECT_EQ(mdlFunctions::MediaFile(), "\"/media/a.mpg\"");
}

// A file manager's drop as the window receives it: enter, then drop, of a text/uri-list with a
// comment line, escaped blanks and a Latin-1 byte; the engine gets the name's very bytes.
TEST_F(Opening, FileManagerDropOpensTheNamedBytes) {
    QMimeData data;
    data.setData("text/uri-list", "# one file\r\nfile://localhost/media/caf%E9%20one.mpg\r\n");
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w.get(), &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(FileNames::Encode(w->CurrentFile), "/media/caf\xe9 one.mpg");
    const std::string open = "open \"/media/caf\xe9 one.mpg\" type mpegvideo alias movie parent " +
                             std::to_string(w->FrameVideo->winId()) + " style child ";
    EXPECT_NE(std::find(fake.sent.begin(), fake.sent.end(), open), fake.sent.end());
}

}  // namespace
