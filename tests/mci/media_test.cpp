// The engine on real media. Sound goes to a synchronised fake sink (Options::Sinks::FakeAudio),
// pictures to the offscreen platform, so runs are deterministic; recording needs PulseAudio.
#include <gtest/gtest.h>
#include <algorithm>
#include <chrono>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>

#include "MovieWindow.h"
#include "mci/mci.h"

namespace mci {
namespace {

const std::string kMedia = PELTO_TEST_MEDIA;
// Sound into a synchronised fake sink: an idle null sink can hold back the start of playback.
class FakeAudio : public ::testing::Environment {
  public:
    void SetUp() override {
        Options options;
        options.sinks = Options::Sinks::FakeAudio;
        setOptions(options);
    }
};
const auto* const kFakeAudio = ::testing::AddGlobalTestEnvironment(new FakeAudio);

int send(const std::string& cmd) {
    return sendString(cmd, nullptr, 0);
}

std::string ask(const std::string& cmd) {
    char buf[128];
    EXPECT_EQ(sendString(cmd, buf, sizeof buf), Ok) << cmd;
    return buf;
}

int askInt(const std::string& cmd) {
    return std::atoi(ask(cmd).c_str());
}

std::string openCmd(const std::string& file, const std::string& extra = "") {
    return "open \"" + kMedia + "/" + file + "\" type mpegvideo alias movie" + extra;
}

// Runs the event loop until `done` holds; false after `ms`.
bool waitUntil(const std::function<bool()>& done, int ms = 5000) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

class MediaTest : public ::testing::Test {
  protected:
    void TearDown() override { EXPECT_EQ(send("close all"), Ok); }
};

struct Format {
    const char* file;
    int lengthMs;
    int width, height;
};

class EveryFormat : public ::testing::TestWithParam<Format> {
  protected:
    void TearDown() override { send("close all"); }
};

TEST_P(EveryFormat, OpensMeasuresAndPlaysToTheEnd) {
    const Format f = GetParam();
    ASSERT_EQ(send(openCmd(f.file)), Ok) << f.file;
    EXPECT_EQ(ask("status movie mode"), "stopped");
    const int length = askInt("status movie length");
    EXPECT_NEAR(length, f.lengthMs, 150) << f.file;
    EXPECT_EQ(ask("where movie source"), "0 0 " + std::to_string(f.width) + " " + std::to_string(f.height));
    // Play the last 400 ms; at the end the medium is stopped at its length.
    QElapsedTimer t;
    t.start();
    ASSERT_EQ(send("play movie from " + std::to_string(length - 400) + " wait"), Ok);
    EXPECT_GE(t.elapsed(), 300) << "ended early";
    EXPECT_EQ(ask("status movie mode"), "stopped");
    EXPECT_EQ(askInt("status movie position"), length);
}

INSTANTIATE_TEST_SUITE_P(Media, EveryFormat,
                         ::testing::Values(Format{"clip.mpg", 3000, 320, 240},
                                           Format{"clip.dat", 3000, 320, 240},
                                           Format{"clip.avi", 3000, 320, 240},
                                           Format{"clip.wmv", 3000, 320, 240}, Format{"clip.wav", 3000, 0, 0},
                                           Format{"clip.mp3", 3050, 0, 0}, Format{"clip-cbr.mp3", 3050, 0, 0},
                                           Format{"clip-vbr.mp3", 6050, 0, 0}, Format{"clip.au", 3000, 0, 0},
                                           Format{"clip.wma", 3000, 0, 0}, Format{"clip.mid", 2000, 0, 0},
                                           Format{"hd.mp4", 10000, 1280, 720}),
                         [](const auto& p) {
                             std::string name = p.param.file;
                             for (char& c : name)
                                 if (c == '.' || c == '-') c = '_';
                             return name;
                         });

TEST_F(MediaTest, ModesFollowTheTransport) {
    ASSERT_EQ(send(openCmd("clip.mpg")), Ok);
    EXPECT_EQ(ask("status movie mode"), "stopped");
    ASSERT_EQ(send("play movie"), Ok);
    EXPECT_EQ(ask("status movie mode"), "playing");
    ASSERT_EQ(send("pause movie"), Ok);
    EXPECT_EQ(ask("status movie mode"), "paused");
    const int pausedAt = askInt("status movie position");
    ASSERT_EQ(send("resume movie"), Ok);
    EXPECT_EQ(ask("status movie mode"), "playing");
    ASSERT_EQ(send("stop movie"), Ok);
    EXPECT_EQ(ask("status movie mode"), "stopped");
    EXPECT_GE(askInt("status movie position"), pausedAt);  // stop keeps the place
    // Resume and pause do nothing to a stopped medium.
    EXPECT_EQ(send("resume movie"), Ok);
    EXPECT_EQ(ask("status movie mode"), "stopped");
}

TEST_F(MediaTest, SeeksLandExactlyAndStayStopped) {
    ASSERT_EQ(send(openCmd("clip.mpg")), Ok);
    ASSERT_EQ(send("play movie"), Ok);
    ASSERT_EQ(send("seek movie to 1520"), Ok);
    EXPECT_EQ(ask("status movie mode"), "stopped");
    EXPECT_EQ(askInt("status movie position wait"), 1520);
    ASSERT_EQ(send("seek movie to end"), Ok);
    EXPECT_EQ(askInt("status movie position"), askInt("status movie length"));
    ASSERT_EQ(send("seek movie to start"), Ok);
    EXPECT_EQ(askInt("status movie position"), 0);
    // Past the end lands at the end.
    ASSERT_EQ(send("seek movie to 99999999"), Ok);
    EXPECT_EQ(askInt("status movie position"), askInt("status movie length"));
    EXPECT_EQ(send("seek movie to -5"), ErrBadNumber);
}

TEST_F(MediaTest, FramesCountAtTheNegotiatedRate) {
    ASSERT_EQ(send(openCmd("hd.mp4")), Ok);
    const int ms = askInt("status movie length");
    ASSERT_EQ(send("set movie time format frames wait"), Ok);
    EXPECT_EQ(ask("status movie time format"), "frames");
    EXPECT_EQ(askInt("status movie length"), static_cast<int>(std::lround(ms * 25 / 1000.0)));
    ASSERT_EQ(send("seek movie to 100"), Ok);
    EXPECT_EQ(askInt("status movie position"), 100);
    ASSERT_EQ(send("set movie time format ms"), Ok);
    EXPECT_EQ(askInt("status movie position"), 4000);
}

TEST_F(MediaTest, StepsPlayFromTheNewPlace) {
    // The player's steps: read the position in a format, then "play from" it plus or minus n.
    ASSERT_EQ(send(openCmd("clip.avi")), Ok);
    ASSERT_EQ(send("seek movie to 1000"), Ok);
    ASSERT_EQ(send("set movie time format frames wait"), Ok);
    const int frame = askInt("status movie position");
    EXPECT_EQ(frame, 25);
    ASSERT_EQ(send("play movie from " + std::to_string(frame + 1)), Ok);
    EXPECT_EQ(ask("status movie mode"), "playing");
    ASSERT_EQ(send("pause movie"), Ok);
    EXPECT_GE(askInt("status movie position"), frame + 1);
    ASSERT_EQ(send("set movie time format ms"), Ok);
    ASSERT_EQ(send("play movie from 500"), Ok);
    ASSERT_EQ(send("pause movie"), Ok);
    const int pos = askInt("status movie position wait");
    EXPECT_GE(pos, 500);
    EXPECT_LT(pos, 1000);
    // A step before the start or past the end is refused and changes nothing; the end itself is fine.
    const int length = askInt("status movie length");
    for (const char* format : {"ms", "frames"}) {
        ASSERT_EQ(send(std::string("set movie time format ") + format), Ok);
        const int before = askInt("status movie position");
        const int end = askInt("status movie length");
        for (const std::string& from :
             {std::string("-4500"), std::to_string(end + 1), std::string("99999999")}) {
            EXPECT_EQ(send("play movie from " + from), ErrBadNumber) << format << " " << from;
            EXPECT_EQ(ask("status movie mode"), "paused") << format << " " << from;
            EXPECT_EQ(askInt("status movie position"), before) << format << " " << from;
        }
    }
    ASSERT_EQ(send("set movie time format ms"), Ok);
    ASSERT_EQ(send("play movie from " + std::to_string(length) + " wait"), Ok);
    EXPECT_EQ(ask("status movie mode"), "stopped");
    EXPECT_EQ(askInt("status movie position"), length);
}

// A held arrow key: seeks while playing return at once; the newest is where the medium goes on,
// the ones between are skipped, and a pause right after one holds the medium still.
TEST_F(MediaTest, SeeksInARowWhilePlayingGoToTheNewestAndAPauseHolds) {
    QWidget parent;
    parent.resize(160, 120);
    parent.show();
    ASSERT_EQ(send(openCmd("long.mpg", " parent " + std::to_string(parent.winId()) + " style child ")), Ok);
    auto* window = parent.findChild<MovieWindow*>(QStringLiteral("movie window"));
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(send("play movie"), Ok);
    for (int i = 1; i <= 20; ++i) {
        ASSERT_EQ(send("play movie from " + std::to_string(i * 1000)), Ok);
        EXPECT_EQ(askInt("status movie position wait"), i * 1000);
        EXPECT_EQ(ask("status movie mode"), "playing");
    }
    EXPECT_TRUE(waitUntil([] { return ask("status movie ready") == "true"; }));
    EXPECT_TRUE(waitUntil([] { return askInt("status movie position") > 20000; }));
    EXPECT_LT(askInt("status movie position"), 25000);

    ASSERT_EQ(send("play movie from 5000"), Ok);
    ASSERT_EQ(send("pause movie"), Ok);
    EXPECT_EQ(ask("status movie mode"), "paused");
    EXPECT_EQ(ask("status movie ready"), "true");
    // Playing goes on from the new place until the pause takes hold. The position is the frame on
    // screen, which right after a seek runs ahead of the sound by the sound output's latency.
    const int pausedAt = askInt("status movie position");
    EXPECT_GE(pausedAt, 5000);
    EXPECT_LT(pausedAt, 5500);
    // Paused means still: no new frame reaches the window however long the loop runs.
    QCoreApplication::processEvents();
    const int shown = window->framesShown();
    EXPECT_FALSE(waitUntil([&] { return window->framesShown() != shown; }, 400));
    EXPECT_EQ(askInt("status movie position"), pausedAt);
}

TEST_F(MediaTest, PlayFromToStopsAtTo) {
    ASSERT_EQ(send(openCmd("clip.wav")), Ok);
    ASSERT_EQ(send("play movie from 1000 to 1300 wait"), Ok);
    EXPECT_EQ(ask("status movie mode"), "stopped");
    EXPECT_EQ(askInt("status movie position"), 1300);
    EXPECT_EQ(send("play movie from 1300 to 1000"), ErrBadNumber);
    // Without "from" the play starts where the medium is: a "to" before that is refused alike.
    EXPECT_EQ(send("play movie to 1000"), ErrBadNumber);
    EXPECT_EQ(ask("status movie mode"), "stopped");
    EXPECT_EQ(askInt("status movie position"), 1300);
    ASSERT_EQ(send("play movie to 1600 wait"), Ok);
    EXPECT_EQ(askInt("status movie position"), 1600);
}

// A program stream's demuxer never stopped after a seek that ended before it began: the close
// after it hung. Refused whether the medium plays, is paused, or stands at its end, in both formats.
TEST_F(MediaTest, PlayToBeforeTheCurrentPlaceIsRefusedAndCloseStillReturns) {
    ASSERT_EQ(send(openCmd("clip.mpg")), Ok);
    const int length = askInt("status movie length");
    ASSERT_EQ(send("play movie from 2000"), Ok);
    EXPECT_EQ(send("play movie to 500"), ErrBadNumber);
    EXPECT_EQ(ask("status movie mode"), "playing");
    ASSERT_EQ(send("pause movie"), Ok);
    const int pausedAt = askInt("status movie position");
    ASSERT_EQ(send("set movie time format frames"), Ok);
    EXPECT_EQ(send("play movie to " + std::to_string(askInt("status movie position") - 10)), ErrBadNumber);
    EXPECT_EQ(ask("status movie mode"), "paused");
    ASSERT_EQ(send("set movie time format ms"), Ok);
    EXPECT_EQ(askInt("status movie position"), pausedAt);
    ASSERT_EQ(send("play movie from " + std::to_string(length - 300) + " wait"), Ok);
    EXPECT_EQ(send("play movie to 1000"), ErrBadNumber);
    EXPECT_EQ(askInt("status movie position"), length);
    QElapsedTimer t;
    t.start();
    ASSERT_EQ(send("close movie"), Ok);
    EXPECT_LT(t.elapsed(), 2000);
}

TEST_F(MediaTest, SpeedChangesHowFastTimePasses) {
    ASSERT_EQ(send(openCmd("clip.wav")), Ok);
    ASSERT_EQ(send("set movie speed 4000"), Ok);
    EXPECT_EQ(ask("status movie speed"), "4000");
    QElapsedTimer t;
    t.start();
    ASSERT_EQ(send("play movie from 0 to 2000 wait"), Ok);
    const auto fast = t.restart();
    EXPECT_LT(fast, 1200);  // 2 s of medium at four times the speed: about 0.5 s
    // Speed 0 is the "Normal" menu entry: back to 1000.
    ASSERT_EQ(send("set movie speed 0"), Ok);
    EXPECT_EQ(ask("status movie speed"), "1000");
    t.restart();
    ASSERT_EQ(send("play movie from 0 to 1000 wait"), Ok);
    EXPECT_GE(t.elapsed(), 900);
    EXPECT_EQ(send("set movie speed 100001"), ErrBadNumber);
}

TEST_F(MediaTest, SpeedWhilePlayingKeepsPlaying) {
    ASSERT_EQ(send(openCmd("hd.mp4")), Ok);
    ASSERT_EQ(send("play movie from 2000"), Ok);
    ASSERT_EQ(send("set movie speed 1600"), Ok);
    EXPECT_EQ(ask("status movie mode"), "playing");
    EXPECT_GE(askInt("status movie position"), 2000);
}

TEST_F(MediaTest, VolumeAndMuteAreKept) {
    ASSERT_EQ(send(openCmd("clip.mp3")), Ok);
    EXPECT_EQ(ask("status movie volume"), "1000");
    ASSERT_EQ(send("setaudio movie volume to 800"), Ok);
    EXPECT_EQ(ask("status movie volume"), "800");
    EXPECT_EQ(send("setaudio movie volume to 1001"), ErrBadNumber);
    EXPECT_EQ(ask("status movie volume"), "800");
    EXPECT_EQ(send("set movie audio all off"), Ok);
    EXPECT_EQ(send("set movie audio all on"), Ok);
}

TEST_F(MediaTest, PictureIsPaintedInAChildOfTheParentAtThePlacedSize) {
    QWidget parent;
    parent.resize(400, 300);
    parent.show();
    ASSERT_EQ(send(openCmd("clip.mpg", " parent " + std::to_string(parent.winId()) + " style child ")), Ok);
    auto* window = parent.findChild<MovieWindow*>(QStringLiteral("movie window"));
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(send("put movie window at 10 20 160 120"), Ok);
    EXPECT_EQ(window->geometry(), QRect(10, 20, 160, 120));
    // Frames are scaled to the window: sizes that would need gigabytes a frame are refused.
    EXPECT_EQ(send("put movie window at 0 0 40000 40000"), ErrBadNumber);
    EXPECT_EQ(send("put movie window at 0 0 9000 100"), ErrBadNumber);
    EXPECT_EQ(send("put movie window at 0 0 8192 8192"), ErrBadNumber);
    EXPECT_EQ(send("put movie window at 0 0 -5 100"), ErrBadNumber);
    EXPECT_EQ(window->geometry(), QRect(10, 20, 160, 120));
    ASSERT_EQ(send("play movie"), Ok);
    // GStreamer scales the frames to the placed size.
    EXPECT_TRUE(waitUntil([&] { return window->frame().size() == QSize(160, 120); }));
    const int shown = window->framesShown();
    EXPECT_TRUE(waitUntil([&] { return window->framesShown() > shown + 3; }));
    ASSERT_EQ(send("close movie"), Ok);
    EXPECT_EQ(parent.findChild<MovieWindow*>(), nullptr);
}

// Resizing the window while playing changes the frame size under buffers already on their way
// (the window fitted to the picture, full screen and back): the stream goes on at every size.
TEST_F(MediaTest, ResizesWhilePlayingNeverBreakTheStream) {
    QWidget parent;
    parent.resize(640, 480);
    parent.show();
    ASSERT_EQ(send(openCmd("long.mpg", " parent " + std::to_string(parent.winId()) + " style child ")), Ok);
    auto* window = parent.findChild<MovieWindow*>(QStringLiteral("movie window"));
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(send("play movie"), Ok);
    const char* sizes[] = {"400 119", "167 119", "160 120", "640 480", "321 241"};
    for (int i = 0; i < 60; ++i) {
        ASSERT_EQ(send(std::string("put movie window at 0 0 ") + sizes[i % 5]), Ok);
        const int shown = window->framesShown();
        ASSERT_TRUE(waitUntil([&] { return window->framesShown() > shown; })) << "resize " << i;
        ASSERT_EQ(ask("status movie mode"), "playing") << "resize " << i;
    }
    ASSERT_EQ(send("put movie window at 0 0 320 240"), Ok);
    EXPECT_TRUE(waitUntil([&] { return window->frame().size() == QSize(320, 240); }));
}

TEST_F(MediaTest, ParentDestroyedBeforeCloseIsHarmless) {
    auto parent = std::make_unique<QWidget>();
    parent->show();
    ASSERT_EQ(send(openCmd("clip.avi", " parent " + std::to_string(parent->winId()))), Ok);
    parent.reset();
    EXPECT_EQ(send("play movie"), Ok);
    EXPECT_EQ(send("put movie window at 0 0 100 100"), Ok);
}

TEST_F(MediaTest, TruncatedVideoFailsOrPlaysButNeverHangs) {
    QTemporaryDir dir;
    for (const char* name : {"hd.mp4", "clip.mpg", "clip.avi"}) {
        QFile in(QString::fromStdString(kMedia + "/" + name));
        ASSERT_TRUE(in.open(QIODevice::ReadOnly));
        const QByteArray half = in.read(in.size() / 2);
        const std::string cut = dir.path().toStdString() + "/cut-" + name;
        std::ofstream(cut, std::ios::binary).write(half.constData(), half.size());
        QElapsedTimer t;
        t.start();
        if (send("open \"" + cut + "\" alias cut") == Ok) {
            send("play cut wait");
            EXPECT_EQ(ask("status cut mode"), "stopped");
            send("close cut");
        }
        EXPECT_LT(t.elapsed(), 15000) << name;
    }
}

TEST_F(MediaTest, CloseAllIsQuickWhilePlayingAndRecording) {
    ASSERT_EQ(send(openCmd("hd.mp4")), Ok);
    ASSERT_EQ(send("play movie"), Ok);
    ASSERT_EQ(send("open new type waveaudio alias capture"), Ok);
    send("record capture");  // may fail without an audio server; close must still be quick
    QElapsedTimer t;
    t.start();
    ASSERT_EQ(send("close all"), Ok);
    EXPECT_LT(t.elapsed(), 1000);
    EXPECT_EQ(send("status movie mode"), ErrNoSuchDevice);
    EXPECT_EQ(send("status capture mode"), ErrNoSuchDevice);
}

// Looping as the player does: played to its end, rewound with "seek to start", played again.
// Every round must move off the start: a rewind that leaves the sinks waiting on the clock
// says "playing" but shows one frame forever. It takes the real sound output (the sound server's
// clock): see mci_media_loop_real_sound.
TEST_F(MediaTest, RewoundAfterTheEndPlaysAgainEveryTime) {
    for (const char* file : {"clip.mpg", "clip.wav"}) {
        ASSERT_EQ(send(openCmd(file)), Ok) << file;
        const int length = askInt("status movie length");
        ASSERT_EQ(send("play movie from " + std::to_string(length - 300)), Ok);
        for (int round = 0; round < 4; ++round) {
            // The player's tick rewinds once the position reaches the length, which may come
            // before the end of stream is handled.
            ASSERT_TRUE(waitUntil([length] { return askInt("status movie position") >= length; }, 8000))
                << file << " round " << round << " never reached its end: " << ask("status movie mode")
                << " at " << askInt("status movie position") << " of " << length;
            ASSERT_EQ(send("seek movie to start"), Ok);
            ASSERT_EQ(send("play movie"), Ok);
            EXPECT_EQ(ask("status movie mode"), "playing");
            ASSERT_TRUE(waitUntil([] { return askInt("status movie position") >= 400; }, 4000))
                << file << " round " << round << ": stuck at " << askInt("status movie position");
            // The rest of the medium is not the point: on to its end.
            ASSERT_EQ(send("play movie from " + std::to_string(length - 300)), Ok);
        }
        ASSERT_EQ(send("close movie"), Ok);
    }
}

// Mutated files that hung the open (a stream error while another stream's thread was held at
// the sinks) or made the framework's MIDI parser read past its buffer. Each open returns, in time,
// every time; nothing is left open by a refused one, and the engine plays a good file after them.
TEST_F(MediaTest, HostileFilesNeverHangAndLeaveTheEngineUsable) {
    for (const char* name :
         {"vp9_opus-0006.webm", "vp9_opus-0048.webm", "vp9_opus-0062.webm", "clip-0009.mid"}) {
        const std::string open = "open \"" + std::string(PELTO_TEST_HOSTILE) + "/" + name + "\" alias movie";
        for (int i = 0; i < 50; ++i) {
            QElapsedTimer t;
            t.start();
            const int rc = send(open);
            EXPECT_LT(t.elapsed(), 6000) << name << " open " << i;
            if (rc == Ok) {
                send("play movie wait");
                ASSERT_EQ(send("close movie"), Ok) << name;
            } else {
                ASSERT_EQ(rc, ErrCannotOpen) << name << " open " << i;
                ASSERT_EQ(send("status movie mode"), ErrNoSuchDevice) << name;
            }
            EXPECT_LT(t.elapsed(), 10000) << name << " open " << i;
        }
        ASSERT_EQ(send(openCmd("clip.wav")), Ok) << "after " << name;
        ASSERT_EQ(send("play movie from 2700 wait"), Ok) << "after " << name;
        EXPECT_EQ(askInt("status movie position"), askInt("status movie length"));
        ASSERT_EQ(send("close movie"), Ok);
    }
}

TEST_F(MediaTest, OpenPlayCloseCyclesStayUsable) {
    const char* env = std::getenv("PELTO_MCI_CYCLES");
    const int cycles = env ? std::atoi(env) : 50;
    for (int i = 0; i < cycles; ++i) {
        ASSERT_EQ(send(openCmd(i % 2 ? "clip.wav" : "clip.mpg")), Ok) << i;
        ASSERT_EQ(send("play movie"), Ok);
        ASSERT_EQ(send("close movie"), Ok);
    }
}

// Reads a WAV file and checks that its header sizes match the file.
void expectValidWav(const std::string& path, std::uint32_t& dataBytes) {
    std::ifstream in(path, std::ios::binary);
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GE(all.size(), 44u);
    auto u32 = [&](std::size_t at) {
        std::uint32_t v = 0;
        for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<std::uint8_t>(all[at + i]);
        return v;
    };
    EXPECT_EQ(all.substr(0, 4), "RIFF");
    EXPECT_EQ(u32(4), all.size() - 8);
    EXPECT_EQ(all.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(all.substr(36, 4), "data");
    dataBytes = u32(40);
    EXPECT_EQ(dataBytes, all.size() - 44);
}

TEST_F(MediaTest, RecordsTheDefaultInputIntoAValidWavFile) {
    QTemporaryDir dir;
    ASSERT_EQ(send("open new type waveaudio alias capture"), Ok);
    ASSERT_EQ(send("set capture format tag PCM"), Ok);
    if (send("record capture") != Ok) GTEST_SKIP() << "no audio input here";
    EXPECT_EQ(ask("status capture mode"), "recording");
    // The input takes a while to deliver its first data.
    ASSERT_TRUE(waitUntil([] { return askInt("status capture length") >= 300; }, 10000));
    ASSERT_EQ(send("stop capture"), Ok);
    EXPECT_EQ(ask("status capture mode"), "stopped");
    const std::string file = dir.path().toStdString() + "/pt rec.wav";
    ASSERT_EQ(send("save capture \"" + file + "\""), Ok);
    std::uint32_t bytes = 0;
    expectValidWav(file, bytes);
    EXPECT_GE(bytes, 44100u * 4 * 3 / 10);
    EXPECT_EQ(send("save capture \"/nonexistent-dir/x.wav\""), ErrCannotSave);
    ASSERT_EQ(send("close capture"), Ok);
}

// A recording stopped at once holds no more than the time recorded and nothing the input did not
// deliver: an idle sound server may deliver nothing that soon, and then there is nothing to save.
TEST_F(MediaTest, AQuickRecordingHoldsNoMoreThanTheInputDelivered) {
    QTemporaryDir dir;
    ASSERT_EQ(send("open new type waveaudio alias capture"), Ok);
    const auto before = std::chrono::steady_clock::now();
    if (send("record capture") != Ok) GTEST_SKIP() << "no audio input here";
    ASSERT_EQ(send("stop capture"), Ok);
    const auto elapsed = std::chrono::steady_clock::now() - before;
    const std::string file = dir.path().toStdString() + "/quick.wav";
    const int saved = send("save capture \"" + file + "\"");
    if (askInt("status capture length") == 0) {
        EXPECT_EQ(saved, ErrCannotSave);
    } else {
        ASSERT_EQ(saved, Ok);
        std::uint32_t bytes = 0;
        expectValidWav(file, bytes);
        EXPECT_LE(bytes / (44100.0 * 4), std::chrono::duration<double>(elapsed).count() + 0.03);
    }
    ASSERT_EQ(send("close capture"), Ok);
}

}  // namespace
}  // namespace mci
