// Start-up, settings and shutdown of the main window.

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "Main.h"
#include "Twips.h"
#include "WindowFixture.h"
#include "compact/frmBase.h"

namespace {

using Startup = WindowTest;

TEST_F(Startup, FirstRunKeepsDesignPlaceAndSendsOnlyTheVolume) {
    ASSERT_DOUBLE_EQ(Twips::PerPixelX(), 15.0);
    const double left = w->Left(), top = w->Top();
    w->Form_Load("");
    EXPECT_EQ(w->lblVolume->Caption(), "80");
    EXPECT_EQ(w->Left(), left);
    EXPECT_EQ(w->Top(), top);
    EXPECT_EQ(fake.sent, std::vector<std::string>{"setaudio movie volume to 800"});
    EXPECT_FLOAT_EQ(w->RestoreLeft, left);
    EXPECT_FLOAT_EQ(w->RestoreWidth, w->Width());
    // Idle with nothing loaded: no timer runs and the control bar does not exist.
    EXPECT_FALSE(w->T.isActive());
    EXPECT_EQ(w->LoadedBase(), nullptr);
}

TEST_F(Startup, OnlyPositiveNumbersMoveTheWindow) {
    struct Case {
        const char* stored;
        bool applied;
    };
    for (const Case& c :
         {Case{"1500", true}, Case{"0", false}, Case{"-1500", false}, Case{"abc", false}, Case{"", false}}) {
        SCOPED_TRACE(c.stored);
        frmPelto fresh;
        const double designLeft = fresh.Left(), designTop = fresh.Top();
        Store("Left", c.stored);
        Store("Top", c.stored);
        fresh.Form_Load("");
        EXPECT_EQ(fresh.Left(), c.applied ? 1500.0 : designLeft);
        EXPECT_EQ(fresh.Top(), c.applied ? 1500.0 : designTop);
    }
}

TEST_F(Startup, SavedVolumeIsShownAndApplied) {
    Store("Vol", "35");
    w->Form_Load("");
    EXPECT_EQ(w->lblVolume->Caption(), "35");
    EXPECT_EQ(fake.sent, std::vector<std::string>{"setaudio movie volume to 350"});
}

TEST_F(Startup, VolumeThatIsNoNumberSendsNoVolumeCommand) {
    Store("Vol", "loud");
    w->Form_Load("");
    EXPECT_EQ(w->lblVolume->Caption(), "loud");
    EXPECT_TRUE(fake.sent.empty());
}

TEST_F(Startup, CommandLineFileIsOpenedAndPlayedWithItsQuotes) {
    w->Form_Load("\"/media/my clip.mpg\"");
    EXPECT_EQ(w->CurrentFile, "\"/media/my clip.mpg\"");
    EXPECT_TRUE(Sent("open \"/media/my clip.mpg\" type mpegvideo alias movie parent " +
                     std::to_string(w->FrameVideo->winId()) + " style child "));
    EXPECT_EQ(fake.sent.back(), "setaudio movie volume to 800");
    EXPECT_TRUE(w->T.isActive());
}

TEST_F(Startup, UnloadClosesDevicesAndSavesVolumeAndPosition) {
    Open();
    w->lblVolume->SetCaption("42");
    w->SetLeft(1800);
    w->SetTop(2400);
    w->Unload();
    EXPECT_TRUE(w->IsUnloaded());
    EXPECT_EQ(fake.sent.front(), "close all");
    EXPECT_FALSE(w->T.isActive());
    EXPECT_EQ(Stored("Vol"), "42");
    EXPECT_EQ(Stored("Left"), "1800");
    EXPECT_EQ(Stored("Top"), "2400");
    EXPECT_TRUE(WindowUtils::Ending());
    EXPECT_EQ(w->LoadedBase(), nullptr);
}

TEST_F(Startup, EveryWayOutSavesARunningRecordingFirst) {
    struct Route {
        const char* name;
        std::function<void(frmPelto&)> quit;
    };
    const std::vector<Route> routes = {
        {"close box", [](frmPelto& f) { f.close(); }},
        {"quit label", [](frmPelto& f) { f.Label1_Click(); }},
        {"Q key",
         [](frmPelto& f) {
             qint16 q = 81;
             f.KeyTrace(q);
         }},
    };
    for (const Route& r : routes) {
        SCOPED_TRACE(r.name);
        WindowUtils::ResetForTests();
        auto f = std::make_unique<frmPelto>();
        mdlFunctions::SetWindowState(f.get());
        f->lblRec_Click();
        ASSERT_EQ(f->lblRec->Caption(), QString::fromUtf8("\u00AE"));
        fake.clear();
        r.quit(*f);
        const auto at = [this](const std::string& prefix) {
            return std::find_if(fake.sent.begin(), fake.sent.end(),
                                [&](const std::string& s) { return s.rfind(prefix, 0) == 0; }) -
                   fake.sent.begin();
        };
        ASSERT_LT(at("save capture "), static_cast<long>(fake.sent.size()));
        EXPECT_LT(at("stop capture"), at("save capture "));
        EXPECT_LT(at("close capture"), at("close all"));
        EXPECT_EQ(f->lblRec->Caption(), "R");
        mdlFunctions::SetWindowState(w.get());
    }
}

// The arguments are one path joined by blanks; a desktop launch with several chosen files
// (separate arguments that name no file together) plays the first, like a drop.
TEST(CommandLineText, ArgumentsAreOnePathUnlessTheyAreSeveralFiles) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString spaced = dir.filePath(QStringLiteral("my clip.mpg"));
    const QString first = dir.filePath(QStringLiteral("a.mpg"));
    const QString second = dir.filePath(QStringLiteral("b.mpg"));
    for (const QString& f : {spaced, first, second}) {
        QFile file(f);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    auto line = [](const std::vector<QString>& args) {
        std::vector<QByteArray> bytes{"peltose"};
        for (const QString& a : args) bytes.push_back(QFile::encodeName(a));
        std::vector<char*> argv;
        for (QByteArray& b : bytes) argv.push_back(b.data());
        return CommandLine(static_cast<int>(argv.size()), argv.data());
    };
    EXPECT_EQ(line({}), QString());
    EXPECT_EQ(line({spaced}), spaced);
    const QString head = dir.filePath(QStringLiteral("my"));
    EXPECT_EQ(line({head, QStringLiteral("clip.mpg")}), spaced);  // typed without quotes
    EXPECT_EQ(line({first, second}), first);
    // Nothing there: the joined text as before, so the open reports it.
    EXPECT_EQ(line({QStringLiteral("/no/such"), QStringLiteral("file")}), QStringLiteral("/no/such file"));
    EXPECT_EQ(line({QStringLiteral("\"/x y.mpg\"")}), QStringLiteral("\"/x y.mpg\""));
}

}  // namespace
