#include "MprisAdaptors.h"
#include "MprisFixture.h"

// The adaptors publish exactly the names and types the protocol defines, over the bridge.
TEST_F(MprisTest, AdaptorsPublishTheProtocolsNamesAndTypes) {
    auto* root = new MprisRootAdaptor(*bridge, QStringLiteral("io.github.peltose.PeltoSE"));
    auto* player = new MprisPlayerAdaptor(*bridge);
    EXPECT_EQ(root->property("Identity"), QStringLiteral("PeltoSE"));
    EXPECT_EQ(root->property("DesktopEntry"), QStringLiteral("io.github.peltose.PeltoSE"));
    for (const char* name : {"CanQuit", "CanRaise", "CanSetFullscreen"})
        EXPECT_EQ(root->property(name), true) << name;
    EXPECT_EQ(root->property("HasTrackList"), false);
    EXPECT_EQ(root->property("SupportedUriSchemes").toStringList(), QStringList{QStringLiteral("file")});
    EXPECT_TRUE(
        root->property("SupportedMimeTypes").toStringList().contains(QStringLiteral("video/x-ms-wm")));

    OpenPlaying();
    EXPECT_EQ(player->property("PlaybackStatus"), QStringLiteral("Playing"));
    EXPECT_EQ(player->property("Position").typeId(), QMetaType::LongLong);
    EXPECT_EQ(player->property("Position").toLongLong(), 12500000);
    EXPECT_EQ(player->property("Metadata").toMap().value("mpris:length").typeId(), QMetaType::LongLong);
    EXPECT_EQ(player->property("Metadata").toMap().value("mpris:trackid").typeId(),
              QMetaType::fromType<QDBusObjectPath>().id());
    for (const char* name : {"CanPlay", "CanPause", "CanSeek", "CanControl"})
        EXPECT_EQ(player->property(name), true) << name;
    for (const char* name : {"CanGoNext", "CanGoPrevious", "Shuffle"})
        EXPECT_EQ(player->property(name), false) << name;
    EXPECT_DOUBLE_EQ(player->property("MinimumRate").toDouble(), 0.015);
    EXPECT_DOUBLE_EQ(player->property("MaximumRate").toDouble(), 2.2);

    // Writable properties and methods reach the bridge.
    ASSERT_TRUE(player->setProperty("LoopStatus", QStringLiteral("Track")));
    EXPECT_TRUE(form->mnuRepeat->isChecked());
    ASSERT_TRUE(player->setProperty("Volume", 0.25));
    EXPECT_EQ(form->lblVolume->Caption(), QStringLiteral("25"));
    fake.clear();
    ASSERT_TRUE(QMetaObject::invokeMethod(player, "PlayPause"));
    EXPECT_EQ(form->cmdPlaym->Caption(), QStringLiteral("Play"));
    QSignalSpy seeked(player, &MprisPlayerAdaptor::Seeked);
    ASSERT_TRUE(QMetaObject::invokeMethod(player, "Seek", Q_ARG(qlonglong, 3000000)));
    QCoreApplication::processEvents();
    EXPECT_EQ(seeked.size(), 1);
    // Called directly, a refused address only returns.
    fake.clear();
    player->OpenUri(QStringLiteral("http://x/y.mpg"), QDBusMessage());
    EXPECT_TRUE(Sent().empty());
}
