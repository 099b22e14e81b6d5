#include "MprisFixture.h"
#include "MprisSpeeds.h"

namespace {
constexpr const char* kPlayer = MprisBridge::kPlayerInterface;
}

TEST_F(MprisTest, TransportSendsWhatTheKeysSend) {
    auto key = [this](qint16 code) { return [this, code] { Code(code); }; };
    EXPECT_EQ(Run([this] { bridge->PlayPause(); }, false), Run(key(32), false));
    EXPECT_EQ(Run([this] { bridge->Pause(); }, false), Run(key(32), false));
    EXPECT_EQ(Run([this] { bridge->Play(); }, true), Run(key(32), true));
    EXPECT_EQ(Run([this] { bridge->PlayPause(); }, true), Run(key(32), true));
    EXPECT_EQ(Run([this] { bridge->Stop(); }, false), Run(key(83), false));
    EXPECT_EQ(Run([this] { bridge->SetRate(2.0); }, false), Run(key(51), false));
    EXPECT_EQ(Run([this] { bridge->SetRate(1.0); }, false), Run(key(49), false));
    EXPECT_EQ(Run([this] { bridge->SetLoopStatus(QStringLiteral("Track")); }, false), Run(key(76), false));
    // Play while playing and Pause while paused change nothing.
    EXPECT_TRUE(Run([this] { bridge->Play(); }, false).empty());
    EXPECT_TRUE(Run([this] { bridge->Pause(); }, true).empty());
}

TEST_F(MprisTest, PlayAfterStopReopensLikeThePlayButton) {
    OpenPlaying();
    Device("stopped");
    form->cmdStop_Click();
    ASSERT_EQ(bridge->PlaybackStatus(), QStringLiteral("Stopped"));
    fake.clear();
    bridge->Play();
    const Commands sent = Sent();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.front(), "close movie");
    EXPECT_EQ(sent[1].rfind("open \"/media/clip one.mpg\" type mpegvideo alias movie", 0), 0u) << sent[1];
}

TEST_F(MprisTest, NothingChosenCannotPlay) {
    EXPECT_FALSE(bridge->CanPlay());
    EXPECT_FALSE(bridge->CanSeek());
    bridge->Play();
    bridge->PlayPause();
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(bridge->PlaybackStatus(), QStringLiteral("Stopped"));
    EXPECT_EQ(bridge->Metadata().value("mpris:trackid").value<QDBusObjectPath>().path(),
              QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack"));
}

TEST_F(MprisTest, MetadataDescribesTheOpenedMedium) {
    OpenPlaying();
    const QVariantMap m = bridge->Metadata();
    EXPECT_EQ(m.value("xesam:url").toString(), QStringLiteral("file:///media/clip%20one.mpg"));
    EXPECT_EQ(m.value("xesam:title").toString(), QStringLiteral("clip one.mpg"));
    EXPECT_EQ(m.value("mpris:length").toLongLong(), 60000000);
    const QString first = m.value("mpris:trackid").value<QDBusObjectPath>().path();
    EXPECT_TRUE(first.startsWith(QStringLiteral("/io/github/peltose/PeltoSE/Track/"))) << first.toStdString();
    EXPECT_EQ(bridge->Position(), 12500000);
    // Play after Stop is the same track; another file is a new one.
    Device("stopped");
    form->cmdStop_Click();
    Device("playing");
    form->cmdPlaym_Click();
    QCoreApplication::processEvents();
    EXPECT_EQ(bridge->TrackId().path(), first);
    form->OpenChosenFile(QStringLiteral("/media/other.wav"));
    QCoreApplication::processEvents();
    EXPECT_NE(bridge->TrackId().path(), first);
}

TEST_F(MprisTest, QuotedCommandLinePathGivesThePlainFile) {
    fake.reply("status movie length", "1000");
    Device("playing");
    form->CurrentFile = QStringLiteral("\"/media/a b.mpg\"");
    form->LoadMedia(form->CurrentFile, false);
    QCoreApplication::processEvents();
    EXPECT_EQ(bridge->Metadata().value("xesam:url").toString(), QStringLiteral("file:///media/a%20b.mpg"));
}

TEST_F(MprisTest, EveryChangeIsAnnouncedWhateverCausedIt) {
    OpenPlaying();
    QSignalSpy spy(bridge.get(), &MprisBridge::PropertiesChanged);
    Device("paused", 12500);
    Code(32);  // pause by key
    QCoreApplication::processEvents();
    EXPECT_EQ(Announced(spy, kPlayer).value("PlaybackStatus"), QStringLiteral("Paused"));
    EXPECT_EQ(bridge->PlaybackStatus(), QStringLiteral("Paused"));
    spy.clear();
    Code(38);  // volume up: 80 -> 81
    Code(50);  // faster
    Code(76);  // loop
    QCoreApplication::processEvents();
    const QVariantMap changed = Announced(spy, kPlayer);
    EXPECT_DOUBLE_EQ(changed.value("Volume").toDouble(), 0.81);
    EXPECT_DOUBLE_EQ(changed.value("Rate").toDouble(), 1.6);
    EXPECT_EQ(changed.value("LoopStatus"), QStringLiteral("Track"));
    EXPECT_FALSE(changed.contains("PlaybackStatus"));  // unchanged values are not repeated
    EXPECT_EQ(spy.size(), 1);                          // one announcement for the lot
    spy.clear();
    Device("stopped");
    form->cmdStop_Click();
    QCoreApplication::processEvents();
    const QVariantMap stopped = Announced(spy, kPlayer);
    EXPECT_EQ(stopped.value("PlaybackStatus"), QStringLiteral("Stopped"));
    EXPECT_EQ(stopped.value("CanSeek"), false);
    // Reopening plays at normal speed again.
    spy.clear();
    Device("playing");
    form->cmdPlaym_Click();
    QCoreApplication::processEvents();
    EXPECT_DOUBLE_EQ(Announced(spy, kPlayer).value("Rate").toDouble(), 1.0);
}

TEST_F(MprisTest, FullscreenFollowsTheMenuEntry) {
    OpenPlaying();
    QSignalSpy spy(bridge.get(), &MprisBridge::PropertiesChanged);
    bridge->SetFullscreen(true);
    QCoreApplication::processEvents();
    EXPECT_TRUE(form->mnuFullscreen->isChecked());
    EXPECT_EQ(Announced(spy, MprisBridge::kRootInterface).value("Fullscreen"), true);
    bridge->SetFullscreen(true);  // already: no second toggle
    EXPECT_TRUE(form->mnuFullscreen->isChecked());
    Code(70);
    QCoreApplication::processEvents();
    EXPECT_FALSE(bridge->Fullscreen());
    EXPECT_EQ(Announced(spy, MprisBridge::kRootInterface).value("Fullscreen"), false);
}

TEST_F(MprisTest, VolumeGoesThroughTheVolumeSlider) {
    OpenPlaying();
    fake.clear();
    bridge->SetVolume(0.5);
    EXPECT_EQ(form->lblVolume->Caption(), QStringLiteral("50"));
    EXPECT_EQ(Sent(), Commands{"setaudio movie volume to 500"});
    bridge->SetVolume(7.0);  // out of range: the top
    EXPECT_EQ(form->lblVolume->Caption(), QStringLiteral("100"));
    EXPECT_DOUBLE_EQ(bridge->Volume(), 1.0);
}

TEST_F(MprisTest, RatesMapToTheNearestSpeedKey) {
    EXPECT_EQ(MprisSpeeds::Nearest(0.001).key, 55);
    EXPECT_EQ(MprisSpeeds::Nearest(0.5).key, 192);
    EXPECT_EQ(MprisSpeeds::Nearest(1.1).key, 49);
    EXPECT_EQ(MprisSpeeds::Nearest(1.9).key, 51);
    EXPECT_EQ(MprisSpeeds::Nearest(50.0).key, 51);
    EXPECT_DOUBLE_EQ(MprisBridge::MinimumRate(), 0.015);
    EXPECT_DOUBLE_EQ(MprisBridge::MaximumRate(), 2.2);
    // A rate of 0 pauses, as the protocol asks.
    EXPECT_EQ(Run([this] { bridge->SetRate(0); }, false), Run([this] { Code(32); }, false));
}

TEST_F(MprisTest, SeekIsASeekBarClickAndAnnouncesTheJump) {
    // Paused: the bar's click seeks and pauses again; playing: it only seeks.
    const Commands paused = Run([this] { bridge->Seek(10000000); }, true);
    ASSERT_GE(paused.size(), 2u);
    EXPECT_NE(std::find(paused.begin(), paused.end(), "play movie from 22000"), paused.end());
    EXPECT_EQ(paused.back(), "pause movie");
    const Commands playing = Run([this] { bridge->Seek(-20000000); }, false);
    EXPECT_EQ(playing.back(), "play movie from 0");  // not before the start
    QSignalSpy seeked(bridge.get(), &MprisBridge::Seeked);
    Device("playing", 0);
    QCoreApplication::processEvents();
    ASSERT_EQ(seeked.size(), 1);
    EXPECT_EQ(seeked.front().at(0).toLongLong(), 0);
}

TEST_F(MprisTest, JumpsByKeyWheelAndFrameStepAreAnnouncedOnce) {
    OpenPlaying();
    QSignalSpy seeked(bridge.get(), &MprisBridge::Seeked);
    MakePaused();
    Code(190);  // a frame forward while paused: mute, step, pause, unmute
    QCoreApplication::processEvents();
    EXPECT_EQ(seeked.size(), 1);
    Code(39);
    Code(99);
    QCoreApplication::processEvents();
    EXPECT_EQ(seeked.size(), 2);  // gathered: both before the loop ran
    Code(32);
    QCoreApplication::processEvents();
    EXPECT_EQ(seeked.size(), 2);  // play/pause is no jump
}

TEST_F(MprisTest, SetPositionOnlyForTheCurrentTrackAndWithinIt) {
    const QDBusObjectPath stale(QStringLiteral("/io/github/peltose/PeltoSE/Track/999"));
    EXPECT_TRUE(Run([this, stale] { bridge->SetPosition(stale, 5000000); }, false).empty());
    EXPECT_TRUE(Run([this] { bridge->SetPosition(bridge->TrackId(), 61000000); }, false).empty());
    EXPECT_TRUE(Run([this] { bridge->SetPosition(bridge->TrackId(), -1); }, false).empty());
    const Commands sent = Run([this] { bridge->SetPosition(bridge->TrackId(), 30500000); }, false);
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.back(), "play movie from 30000");
}

TEST_F(MprisTest, OpenUriOpensLocalFilesLikeTheOpenDialog) {
    fake.reply("status movie length", "5000");
    Device("playing");
    EXPECT_FALSE(bridge->OpenUri(QStringLiteral("https://example.org/a.mpg")));
    EXPECT_TRUE(Sent().empty());
    ASSERT_TRUE(bridge->OpenUri(QUrl::fromLocalFile(QStringLiteral("/tmp/x y.wav")).toString()));
    EXPECT_EQ(form->CurrentFile, QStringLiteral("/tmp/x y.wav"));
    EXPECT_EQ(form->Base().lblFileName->Caption(), QStringLiteral("/tmp/x y.wav"));
    EXPECT_EQ(form->lblStatus->Caption(), QStringLiteral("Playing"));
}

TEST_F(MprisTest, RecordingBlocksPlayAndStopSavesIt) {
    form->CurrentFile = QStringLiteral("/media/clip.mpg");
    Code(82);  // record
    ASSERT_TRUE(form->RecordingRuns());
    EXPECT_FALSE(bridge->CanPlay());
    fake.clear();
    bridge->Play();
    EXPECT_TRUE(Sent().empty());
    const Commands stop = [this] {
        fake.clear();
        bridge->Stop();
        return Sent();
    }();
    EXPECT_FALSE(form->RecordingRuns());
    EXPECT_NE(std::find(stop.begin(), stop.end(), "stop capture"), stop.end());
}

TEST_F(MprisTest, QuitTakesTheQuitKeysRouteAfterReplying) {
    OpenPlaying();
    fake.clear();
    bridge->Quit();
    EXPECT_FALSE(WindowUtils::Ending());  // the reply goes out first
    QCoreApplication::processEvents();
    EXPECT_TRUE(WindowUtils::Ending());
    EXPECT_TRUE(form->IsUnloaded());
    ASSERT_FALSE(fake.sent.empty());
    EXPECT_EQ(fake.sent.front(), "close all");
    EXPECT_EQ(Setting("Vol"), QStringLiteral("80"));
}

TEST_F(MprisTest, RaiseBringsBackAMinimisedWindow) {
    form->show();
    form->showMinimized();
    bridge->Raise();
    EXPECT_FALSE(form->windowState() & Qt::WindowMinimized);
    EXPECT_TRUE(form->isVisible());
}
