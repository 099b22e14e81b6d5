#include "mdlFunctions.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>

#include "FakeChannel.h"
#include "FakeWindowState.h"

using namespace mdlFunctions;
using Commands = std::vector<std::string>;

class MediaCommands : public ::testing::Test {
  protected:
    void SetUp() override {
        SetCommandChannel(fake.channel());
        SetWindowState(&window);
        SetMediaFile({});
    }
    void TearDown() override {
        SetCommandChannel({});
        SetWindowState(nullptr);
    }
    void mode(const std::string& word) { fake.reply("status movie mode", word); }

    FakeChannel fake;
    FakeWindowState window;
};

TEST(LeadingNumber, ParsesLikeTheRepliesNeed) {
    struct Case {
        const char* text;
        qint32 value;
    } cases[] = {
        {"", 0},
        {"abc", 0},
        {"  42", 42},
        {"\t7x", 7},
        {"-15", -15},
        {"+8", 8},
        {"12 34", 12},
        {"2.5", 2},
        {"3.5", 4},
        {"-2.5", -2},
        {"0.5", 0},
        {"1.5", 2},
        {"99.49", 99},
        {"-", 0},
        {"- 5", 0},
        {"320 240", 320},
        {"007", 7},
        {".5", 0},
        {"1.", 1},
        {"2147483647", 2147483647},
        {"99999999999", 2147483647},
        {"-99999999999", -2147483647 - 1},
    };
    for (const auto& c : cases) EXPECT_EQ(LeadingNumber(c.text), c.value) << '"' << c.text << '"';
}

TEST(TextNumbers, LabelAndSettingTextAsNumbers) {
    struct Case {
        const char* text;
        std::optional<double> number;
        std::optional<qint32> whole;
    } cases[] = {
        {"80", 80, 80},
        {" 12.5 ", 12.5, 12},
        {"13.5", 13.5, 14},
        {"-2.5", -2.5, -2},
        {"", std::nullopt, std::nullopt},
        {"loud", std::nullopt, std::nullopt},
        {"inf", std::nullopt, std::nullopt},
        {"nan", std::nullopt, std::nullopt},
        {"1e400", std::nullopt, std::nullopt},
        {"2147483647", 2147483647.0, 2147483647},
        {"3e9", 3e9, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Number(c.text), c.number);
        EXPECT_EQ(WholeNumber(c.text), c.whole);
    }
}

TEST(TextNumbers, RoundHalfEvenClampsToThe32BitRange) {
    EXPECT_EQ(RoundHalfEven(0.5), 0);
    EXPECT_EQ(RoundHalfEven(1.5), 2);
    EXPECT_EQ(RoundHalfEven(-1.5), -2);
    EXPECT_EQ(RoundHalfEven(2147483646.7), 2147483647);
    EXPECT_EQ(RoundHalfEven(1e300), 2147483647);
    EXPECT_EQ(RoundHalfEven(-1e300), -2147483647 - 1);
    EXPECT_EQ(RoundHalfEven(std::numeric_limits<double>::infinity()), 2147483647);
    EXPECT_EQ(RoundHalfEven(std::numeric_limits<double>::quiet_NaN()), 0);
}

TEST(FormatDuration, ClockTextTable) {
    struct Case {
        qint32 ms;
        const char* text;
    } cases[] = {
        {0, "0:00"},
        {5000, "0:05"},
        {65000, "1:05"},
        {754000, "12:34"},
        {3605000, "1:0:05"},
        {3725000, "1:2:05"},
        {4210000, "1:10:10"},
        {-5000, "0:00"},
        {59999, "1:00"},
        {59499, "0:59"},
        {36000000, "10:0:00"},
        {1500, "0:02"},
        {2500, "0:02"},
        {500, "0:00"},
        {-1, "0:00"},
        {-2147483647 - 1, "0:00"},
        {2147483647, "596:31:24"},
        {600000, "10:00"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatDuration(c.ms), QString::fromLatin1(c.text)) << c.ms;
}

TEST(ProperCase, CapitalisesEachWord) {
    EXPECT_EQ(ProperCase("playing"), "Playing");
    EXPECT_EQ(ProperCase("not ready"), "Not Ready");
    EXPECT_EQ(ProperCase("PAUSED"), "Paused");
    EXPECT_EQ(ProperCase(""), "");
}

TEST_F(MediaCommands, FixedSequences) {
    fake.reply("status movie position wait", "3000");
    fake.reply("status movie position", "75");
    struct Case {
        const char* name;
        std::function<void()> run;
        Commands expected;
    } cases[] = {
        {"StopMovie", [] { StopMovie(); }, {"stop movie"}},
        {"CloseAllDevices", [] { CloseAllDevices(); }, {"close all"}},
        {"SetVolume", [] { SetVolume(800); }, {"setaudio movie volume to 800"}},
        {"SetSpeed 0", [] { SetSpeed(0); }, {"set movie speed 0"}},
        {"PlaceMovieWindow", [] { PlaceMovieWindow(0, 0, 327, 239); }, {"put movie window at 0 0 327 239"}},
        {"MuteAudio", [] { MuteAudio(); }, {"set movie audio all off"}},
        {"UnmuteAudio", [] { UnmuteAudio(); }, {"set movie audio all on"}},
        {"OpenCdDoor", [] { OpenCdDoor(); }, {"set cdaudio door open"}},
        {"CloseCdDoor", [] { CloseCdDoor(); }, {"set cdaudio door closed"}},
        {"GetLengthMs", [] { GetLengthMs(); }, {"set movie time format ms", "status movie length"}},
        {"GetPositionMs",
         [] { GetPositionMs(); },
         {"set movie time format ms", "status movie position wait"}},
        {"GetPositionFrames",
         [] { GetPositionFrames(); },
         {"set movie time format frames wait", "status movie position"}},
        {"StepBackSeconds 5 at 3 s",
         [] { StepBackSeconds(5); },
         {"set movie time format ms", "set movie time format ms", "status movie position wait",
          "play movie from -2000"}},
        {"StepForwardSeconds 15",
         [] { StepForwardSeconds(15); },
         {"set movie time format ms", "set movie time format ms", "status movie position wait",
          "play movie from 18000"}},
        {"StepBackFrames 1",
         [] { StepBackFrames(1); },
         {"set movie time format frames", "set movie time format frames wait", "status movie position",
          "play movie from 74"}},
        {"StepForwardFrames 1",
         [] { StepForwardFrames(1); },
         {"set movie time format frames", "set movie time format frames wait", "status movie position",
          "play movie from 76"}},
        {"PositionText",
         [] { EXPECT_EQ(PositionText(), "0:03"); },
         {"set movie time format ms", "status movie position wait"}},
    };
    for (auto& c : cases) {
        fake.clear();
        c.run();
        EXPECT_EQ(fake.sent, c.expected) << c.name;
    }
}

TEST_F(MediaCommands, MuteSwapsTheCompactPicture) {
    MuteAudio();
    EXPECT_EQ(window.mutePicture, 1);
    UnmuteAudio();
    EXPECT_EQ(window.mutePicture, 0);
}

TEST_F(MediaCommands, QueriesParseTheReplyBuffer) {
    fake.reply("status movie length", "1999");
    fake.reply("status movie position wait", "-1");
    EXPECT_EQ(GetLengthSeconds(), 1);
    EXPECT_EQ(GetPositionSeconds(), 0);  // -1 ms is 0 s, truncated toward zero
    fake.reply("status movie position wait", "1999");
    EXPECT_EQ(GetPositionSeconds(), 1);
    fake.reply("status movie length", "", 263);  // a failed query leaves an empty reply
    EXPECT_EQ(GetLengthMs(), 0);
    EXPECT_EQ(std::string(MciReply()), "");
}

TEST_F(MediaCommands, ModeWords) {
    struct Case {
        const char* reply;
        bool active;
        const char* proper;
    } cases[] = {{"playing", true, "Playing"},
                 {"paused", true, "Paused"},
                 {"stopped", false, "Stopped"},
                 {"seeking", false, "Seeking"},
                 {"not ready", false, "Not Ready"},
                 {"open", false, "Open"},
                 {"", false, ""},
                 {"Playing", false, "Playing"}};
    for (const auto& c : cases) {
        mode(c.reply);
        EXPECT_EQ(IsPlayingOrPaused(), c.active) << c.reply;
        EXPECT_EQ(GetMovieMode(), QString::fromLatin1(c.proper)) << c.reply;
    }
}

TEST_F(MediaCommands, SourceSizeParse) {
    struct Case {
        const char* reply;
        qint32 width, height;
    } cases[] = {
        {"0 0 352 240", 352, 240}, {"0 0 1280 720", 1280, 720},
        {"0 0 0 0", 0, 0},         {"", 0, -7},  // no blanks: width 0, height keeps its value
        {"0 0 320", 0, -7},        {"0 0", 0, 0},
    };
    for (const auto& c : cases) {
        fake.reply("where movie source", c.reply);
        qint32 w = -7, h = -7;
        GetSourceSize(w, h);
        EXPECT_EQ(w, c.width) << c.reply;
        EXPECT_EQ(h, c.height) << c.reply;
    }
    EXPECT_EQ(fake.sent.back(), "where movie source");
}

TEST_F(MediaCommands, SeekAsksModeTwiceWhenNotPlaying) {
    mode("stopped");
    SeekToSeconds(12);
    EXPECT_EQ(fake.sent, (Commands{"set movie time format ms", "status movie mode", "status movie mode",
                                   "seek movie to 12000"}));
    fake.clear();
    mode("paused");
    SeekToSeconds(4);
    EXPECT_EQ(fake.sent, (Commands{"set movie time format ms", "status movie mode", "play movie from 4000"}));
}

// After a frame step the device counts frames; a seek in seconds must not be read as frames.
TEST_F(MediaCommands, SeekAfterAFrameStepSetsMillisecondsFirst) {
    mode("paused");
    StepForwardFrames(1);
    fake.clear();
    SeekToSeconds(7);
    ASSERT_FALSE(fake.sent.empty());
    EXPECT_EQ(fake.sent.front(), "set movie time format ms");
    EXPECT_EQ(fake.sent.back(), "play movie from 7000");
}

TEST_F(MediaCommands, PlayReappliesCaptionVolumeAndMute) {
    SetMediaFile("\"/m/a b.mpg\"");
    window.mute = QStringLiteral("Ø");
    window.volume = "35";
    PlayMovie();
    EXPECT_EQ(fake.sent, (Commands{"play movie", "setaudio movie volume to 350", "set movie audio all off"}));
    EXPECT_EQ(window.caption, "\"/m/a b.mpg\"");

    fake.clear();
    window.caption = "Pelto SE";
    window.windowState = 2;  // a maximised window keeps its caption
    window.mute = "O";
    PlayMovie();
    PauseMovie();
    ResumeMovie();
    EXPECT_EQ(fake.sent,
              (Commands{"play movie", "setaudio movie volume to 350", "pause movie", "resume movie"}));
    EXPECT_EQ(window.caption, "Pelto SE");

    fake.clear();
    window.volume = "loud";  // not a number: nothing after "play movie"
    PlayMovie();
    EXPECT_EQ(fake.sent, (Commands{"play movie"}));

    fake.clear();
    SetMediaFile({});
    window.volume = "80";
    PlayMovie();
    EXPECT_EQ(fake.sent, (Commands{"play movie"}));
}

TEST_F(MediaCommands, RewindSeeksToStartThenPlays) {
    SetMediaFile("\"x\"");
    RewindToStart();
    EXPECT_EQ(fake.sent, (Commands{"seek movie to start", "play movie", "setaudio movie volume to 800"}));
}

// Reads a quoted word back the way the engine does: \" and \\ are escapes, all else literal.
static std::string ReadQuotedWord(const std::string& command, size_t& pos) {
    std::string word;
    EXPECT_EQ(command[pos], '"');
    for (++pos; pos < command.size(); ++pos) {
        char c = command[pos];
        if (c == '\\' && pos + 1 < command.size() && (command[pos + 1] == '"' || command[pos + 1] == '\\')) {
            word += command[++pos];
        } else if (c == '"') {
            ++pos;
            return word;
        } else {
            word += c;
        }
    }
    ADD_FAILURE() << "unterminated quote in " << command;
    return word;
}

TEST_F(MediaCommands, OpenQuotesEveryFileNameWhole) {
    const std::string names[] = {
        "/media/clip.mpg",
        "/media/a b/c d.mpg",
        "/tmp/say \"hi\" alias x.mpg",
        "/tmp/back\\slash\\\".mpg",
        "/tmp/new\nline.mpg",
        "/tmp/latin1-\xe9\xff.mpg",
        "/tmp/trailing\\",
        "\"/tmp/starts with quote only.mpg",
    };
    for (const auto& name : names) {
        fake.clear();
        SetMediaFile(name);
        OpenMovie(4242, "child");
        ASSERT_EQ(fake.sent.size(), 2u);
        EXPECT_EQ(fake.sent[0], "close movie");
        const std::string& open = fake.sent[1];
        ASSERT_EQ(open.rfind("open ", 0), 0u);
        size_t pos = 5;
        EXPECT_EQ(ReadQuotedWord(open, pos), name);
        EXPECT_EQ(open.substr(pos), " type mpegvideo alias movie parent 4242 style child ");
        // Reopening the same variable adds no quotes.
        const std::string once = MediaFile();
        OpenMovie(4242, "child");
        EXPECT_EQ(MediaFile(), once);
    }
}

TEST_F(MediaCommands, OpenKeepsAWellQuotedName) {
    SetMediaFile("\"/tmp/a b.mpg\"");
    OpenMovie(7, "child");
    EXPECT_EQ(fake.sent[1], "open \"/tmp/a b.mpg\" type mpegvideo alias movie parent 7 style child ");
    EXPECT_FALSE(LastOpenFailed());
    fake.reply("open \"/tmp/a b.mpg\" type mpegvideo alias movie parent 7 style child ", "", 275);
    OpenMovie(7, "child");
    EXPECT_TRUE(LastOpenFailed());
}
