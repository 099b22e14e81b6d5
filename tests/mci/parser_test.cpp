// The command parser: word splitting, quoting, keywords and numbers.
#include <gtest/gtest.h>

#include <string>

#include "Command.h"
#include "mci/mci.h"

namespace mci {
namespace {

TEST(SplitWords, QuotedNamesKeepEveryByte) {
    struct Case {
        std::string line;
        std::vector<std::string> words;
    };
    const Case cases[] = {
        {"play  movie\tfrom 5", {"play", "movie", "from", "5"}},
        {R"(open "a b.mpg" alias m)", {"open", "a b.mpg", "alias", "m"}},
        {R"(open "say \"hi\".mp3")", {"open", R"(say "hi".mp3)"}},
        {R"(open "c:\\dir\\x")", {"open", R"(c:\dir\x)"}},
        {R"(open "a\nb")", {"open", R"(a\nb)"}},  // other escapes are literal
        {"open \"line\nbreak\"", {"open", "line\nbreak"}},
        {"open \"\xff\xfe\x01\"", {"open", "\xff\xfe\x01"}},
        {"open \"\"", {"open", ""}},
        {"   ", {}},
    };
    for (const auto& c : cases) {
        std::vector<Word> words;
        ASSERT_EQ(splitWords(c.line, words), Ok) << c.line;
        std::vector<std::string> texts;
        for (const auto& w : words) texts.push_back(w.text);
        EXPECT_EQ(texts, c.words) << c.line;
    }
}

TEST(SplitWords, UnbalancedQuotesAreErrors) {
    for (const char* line : {"open \"abc", "open \"abc\\\"", "open ab\"c\"", "\""}) {
        std::vector<Word> words;
        EXPECT_EQ(splitWords(line, words), ErrUnbalancedQuote) << line;
    }
}

TEST(ParseCount, AcceptsOnlyNonNegative32Bit) {
    EXPECT_EQ(parseCount("0"), 0);
    EXPECT_EQ(parseCount("2147483647"), 2147483647);
    for (const char* bad : {"", "-1", "+1", "2147483648", "99999999999", "1e3", "12a", " 1"})
        EXPECT_FALSE(parseCount(bad).has_value()) << bad;
}

TEST(ParseCommand, PlayerCommandsParse) {
    // Every command the player sends, with the fields that matter.
    Command c;
    ASSERT_EQ(parseCommand("open \"C:\\\\x y.mpg\" type mpegvideo alias movie parent 4242 style child ", c),
              Ok);
    EXPECT_EQ(c.verb, Verb::Open);
    EXPECT_EQ(c.device, "C:\\x y.mpg");
    EXPECT_EQ(c.type, "mpegvideo");
    EXPECT_EQ(c.alias, "movie");
    EXPECT_EQ(c.parent, 4242u);
    EXPECT_EQ(c.style, "child");

    c = {};
    ASSERT_EQ(parseCommand("play movie from 1500", c), Ok);
    EXPECT_EQ(c.from, 1500);
    EXPECT_FALSE(c.to.has_value());

    c = {};
    ASSERT_EQ(parseCommand("SET Movie Time Format Frames WAIT", c), Ok);
    EXPECT_EQ(c.setItem, SetItem::TimeFormat);
    EXPECT_EQ(c.timeFormat, TimeFormat::Frames);
    EXPECT_TRUE(c.wait);
    EXPECT_EQ(c.device, "Movie");

    c = {};
    ASSERT_EQ(parseCommand("status movie position wait", c), Ok);
    EXPECT_EQ(c.statusItem, StatusItem::Position);
    EXPECT_TRUE(c.wait);

    c = {};
    ASSERT_EQ(parseCommand("put movie window at 0 0 640 480", c), Ok);
    EXPECT_EQ(c.rect.w, 640);
    EXPECT_EQ(c.rect.h, 480);

    c = {};
    ASSERT_EQ(parseCommand("set movie audio all off", c), Ok);
    EXPECT_EQ(c.setItem, SetItem::AudioAll);
    EXPECT_FALSE(c.on);

    c = {};
    ASSERT_EQ(parseCommand("set cdaudio door closed", c), Ok);
    EXPECT_EQ(c.setItem, SetItem::Door);
    EXPECT_TRUE(c.on);

    c = {};
    ASSERT_EQ(parseCommand("save capture \"/tmp/pt1_3_27_9_7_3AM.wav\"", c), Ok);
    EXPECT_EQ(c.path, "/tmp/pt1_3_27_9_7_3AM.wav");

    c = {};
    ASSERT_EQ(parseCommand("seek movie to start", c), Ok);
    EXPECT_EQ(c.seekTo, SeekTo::Start);
    c = {};
    ASSERT_EQ(parseCommand("seek movie to 2500", c), Ok);
    EXPECT_EQ(c.seekTo, SeekTo::Position);
    EXPECT_EQ(c.seekPosition, 2500);
}

TEST(ParseCommand, EveryPlayerStringIsAccepted) {
    const char* lines[] = {
        "close movie",
        "play movie",
        "pause movie",
        "resume movie",
        "stop movie",
        "close all",
        "set movie time format ms",
        "set movie time format frames",
        "status movie mode",
        "status movie length",
        "status movie position",
        "where movie source",
        "setaudio movie volume to 800",
        "set movie audio all on",
        "set movie speed 0",
        "set movie speed 2200",
        "open new type waveaudio alias capture",
        "set capture format tag PCM",
        "record capture",
        "stop capture",
        "close capture",
        "set cdaudio door open",
        "play movie from 0 to 100 notify",
        "status movie time format",
        "status movie ready",
    };
    for (const char* line : lines) {
        Command c;
        EXPECT_EQ(parseCommand(line, c), Ok) << line;
    }
}

TEST(ParseCommand, BadCommandsGiveTheirCode) {
    struct Case {
        const char* line;
        int code;
    };
    const Case cases[] = {
        {"", ErrUnrecognizedCommand},
        {"dance movie", ErrUnrecognizedCommand},
        {"\"play\" movie", ErrUnrecognizedCommand},
        {"play", ErrMissingArgument},
        {"play movie from", ErrMissingArgument},
        {"play movie from -5", ErrBadNumber},
        {"play movie from 4294967296", ErrBadNumber},
        {"play movie from x", ErrBadNumber},
        {"play movie backwards", ErrUnknownKeyword},
        {"play movie \"from\" 5", ErrUnknownKeyword},
        {"seek movie", ErrMissingArgument},
        {"seek movie to", ErrMissingArgument},
        {"seek movie to 5 6", ErrUnknownKeyword},
        {"set movie time format hms", ErrUnknownKeyword},
        {"set movie", ErrMissingArgument},
        {"set movie speed", ErrMissingArgument},
        {"setaudio movie volume to 1001", ErrBadNumber},
        {"setaudio movie volume 5", ErrUnknownKeyword},
        {"status movie", ErrMissingArgument},
        {"status movie colour", ErrUnknownKeyword},
        {"put movie window at 0 0 640", ErrMissingArgument},
        {"put movie window at 0 0 -640 480", ErrBadNumber},
        {"open \"x.mpg\" alias", ErrMissingArgument},
        {"open \"x.mpg\" parent -1", ErrBadNumber},
        {"open \"x.mpg\" parent 99999999999999999999999", ErrBadNumber},
        {"open \"x.mpg\" shareable", ErrUnknownKeyword},
        {"save capture", ErrMissingArgument},
        {"close movie now", ErrUnknownKeyword},
        {"open \"unclosed", ErrUnbalancedQuote},
    };
    for (const auto& c : cases) {
        Command cmd;
        EXPECT_EQ(parseCommand(c.line, cmd), c.code) << c.line;
    }
}

TEST(ParseCommand, HugeLinesAreRefusedQuickly) {
    std::string line = "play movie from " + std::string(100000, '9');
    Command c;
    EXPECT_EQ(parseCommand(line, c), ErrBadNumber);
    line = "status movie " + std::string(100000, 'x');
    EXPECT_EQ(parseCommand(line, c), ErrUnknownKeyword);
    line = "open \"" + std::string(100000, 'a') + "\"";
    EXPECT_EQ(parseCommand(line, c), Ok);
    EXPECT_EQ(c.device.size(), 100000u);
}

}  // namespace
}  // namespace mci
