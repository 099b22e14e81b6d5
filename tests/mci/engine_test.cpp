// The engine without prepared media: bad input, the reply buffer, the trace log, CDXA and WAV
// helpers. Media it needs it writes itself.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFileInfo>
#include <QTemporaryDir>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "CdxaReader.h"
#include "FrameSize.h"
#include "WaveDevice.h"
#include "mci/mci.h"

namespace mci {
namespace {

// Nothing is played here, so nothing needs a sound server or a window.
Options withFakeSinks() {
    Options options;
    options.sinks = Options::Sinks::Fake;
    return options;
}

class FakeSinks : public ::testing::Environment {
  public:
    void SetUp() override { setOptions(withFakeSinks()); }
};
const auto* const kFakeSinks = ::testing::AddGlobalTestEnvironment(new FakeSinks);

std::string quote(const std::string& path) {
    std::string out = "\"";
    for (char c : path) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

int send(const std::string& cmd, std::string* reply = nullptr) {
    char buf[128];
    const int rc = sendString(cmd, buf, sizeof buf);
    if (reply) *reply = buf;
    return rc;
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// Half a second of a 440 Hz tone as a WAV file.
std::string toneWav() {
    const int rate = 8000, frames = rate / 2;
    std::string data;
    for (int i = 0; i < frames; ++i) {
        const auto v = static_cast<std::int16_t>(8000 * std::sin(2 * M_PI * 440 * i / rate));
        data += static_cast<char>(v & 0xff);
        data += static_cast<char>((v >> 8) & 0xff);
    }
    std::uint8_t header[44];
    wavHeader(header, static_cast<std::uint32_t>(data.size()), rate, 1, 16);
    return std::string(reinterpret_cast<char*>(header), 44) + data;
}

class EngineTest : public ::testing::Test {
  protected:
    void TearDown() override { EXPECT_EQ(send("close all"), Ok); }
    std::string path(const std::string& name) const { return dir.path().toStdString() + "/" + name; }
    QTemporaryDir dir;
};

TEST_F(EngineTest, BadFilesFailQuicklyAndLeaveTheEngineUsable) {
    writeFile(path("empty.mpg"), "");
    std::string noise;
    std::srand(7);
    for (int i = 0; i < 200000; ++i) noise += static_cast<char>(std::rand() & 0xff);
    writeFile(path("noise.mp3"), noise);
    writeFile(path("noise.avi"), noise);
    writeFile(path("text.wmv"), std::string(5000, 'a') + "\nhello\n");
    ASSERT_EQ(mkdir(path("folder.mpg").c_str(), 0755), 0);
    ASSERT_EQ(mkfifo(path("pipe.mp3").c_str(), 0644), 0);
    writeFile(path("good.wav"), toneWav());
    // A MIDI file whose chunk lengths add up and whose last event runs past its track: the
    // framework's parser read past its buffer on it.
    writeFile(path("overhang.mid"),
              std::string("MThd\0\0\0\6\0\0\0\1\1\xe0MTrk\0\0\0\x2b\0\xc0\0\0\x90\x3c\x64\x83\x60\x80\x3c"
                          "\x40\0\x90\x40\x64\x83\x60\x80\x40",
                          0x2a) +
                  std::string(16, '\0') + std::string("\x80\x48\x40\0\xff\x2f\0", 7));

    struct Case {
        std::string file;
        int code;  // 0: any error will do
    };
    const Case cases[] = {
        {path("missing.mpg"), ErrFileNotFound},
        {path("no/such/dir/x.mpg"), ErrFileNotFound},
        {path("empty.mpg"), ErrCannotOpen},
        {path("noise.mp3"), 0},
        {path("noise.avi"), 0},
        {path("text.wmv"), 0},
        {path("folder.mpg"), ErrCannotOpen},
        {path("pipe.mp3"), ErrCannotOpen},
        {"/dev/zero", ErrCannotOpen},
        {path("overhang.mid"), ErrCannotOpen},
    };
    for (const auto& c : cases) {
        const auto start = std::chrono::steady_clock::now();
        const int rc = send("open " + quote(c.file) + " type mpegvideo alias movie");
        const auto took = std::chrono::steady_clock::now() - start;
        if (c.code)
            EXPECT_EQ(rc, c.code) << c.file;
        else
            EXPECT_NE(rc, Ok) << c.file;
        EXPECT_LT(took, std::chrono::seconds(5)) << c.file;
        send("close movie");
    }
    // Still usable: a good file opens under the same alias.
    EXPECT_EQ(send("open " + quote(path("good.wav")) + " type mpegvideo alias movie"), Ok);
    std::string reply;
    EXPECT_EQ(send("status movie length", &reply), Ok);
    EXPECT_EQ(reply, "500");
}

TEST_F(EngineTest, UnreadableFileIsRefused) {
    if (geteuid() == 0) GTEST_SKIP() << "root reads every file";
    writeFile(path("locked.wav"), toneWav());
    ASSERT_EQ(chmod(path("locked.wav").c_str(), 0), 0);
    EXPECT_EQ(send("open " + quote(path("locked.wav")) + " alias movie"), ErrCannotOpen);
}

TEST_F(EngineTest, OddNamesOpenThroughQuoting) {
    for (const std::string name : {"with blanks.wav", "say \"hi\".wav", "back\\slash.wav", "new\nline.wav",
                                   "bytes \xff\xfe.wav", "\xc3\xa9t\xc3\xa9.wav"}) {
        writeFile(path(name), toneWav());
        EXPECT_EQ(send("open " + quote(path(name)) + " type mpegvideo alias m"), Ok) << name;
        std::string reply;
        EXPECT_EQ(send("status m mode", &reply), Ok);
        EXPECT_EQ(reply, "stopped");
        EXPECT_EQ(send("close m"), Ok);
    }
}

TEST_F(EngineTest, RepliesAreCutAndFailuresLeaveThemEmpty) {
    writeFile(path("good.wav"), toneWav());
    // A MIDI file whose chunk lengths add up and whose last event runs past its track: the
    // framework's parser read past its buffer on it.
    writeFile(path("overhang.mid"),
              std::string("MThd\0\0\0\6\0\0\0\1\1\xe0MTrk\0\0\0\x2b\0\xc0\0\0\x90\x3c\x64\x83\x60\x80\x3c"
                          "\x40\0\x90\x40\x64\x83\x60\x80\x40",
                          0x2a) +
                  std::string(16, '\0') + std::string("\x80\x48\x40\0\xff\x2f\0", 7));
    ASSERT_EQ(send("open " + quote(path("good.wav")) + " alias m"), Ok);
    char small[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(sendString("status m mode", small, sizeof small), Ok);
    EXPECT_STREQ(small, "sto");
    char one[1] = {'x'};
    EXPECT_EQ(sendString("status m mode", one, 1), Ok);
    EXPECT_EQ(one[0], '\0');
    EXPECT_EQ(sendString("status m mode", nullptr, 0), Ok);
    char buf[32] = "junk";
    EXPECT_EQ(sendString("status m nonsense", buf, sizeof buf), ErrUnknownKeyword);
    EXPECT_STREQ(buf, "");
    std::strcpy(buf, "junk");
    EXPECT_EQ(sendString("status nobody mode", buf, sizeof buf), ErrNoSuchDevice);
    EXPECT_STREQ(buf, "");
}

TEST_F(EngineTest, AliasesAreCaseInsensitiveAndUnique) {
    writeFile(path("good.wav"), toneWav());
    // A MIDI file whose chunk lengths add up and whose last event runs past its track: the
    // framework's parser read past its buffer on it.
    writeFile(path("overhang.mid"),
              std::string("MThd\0\0\0\6\0\0\0\1\1\xe0MTrk\0\0\0\x2b\0\xc0\0\0\x90\x3c\x64\x83\x60\x80\x3c"
                          "\x40\0\x90\x40\x64\x83\x60\x80\x40",
                          0x2a) +
                  std::string(16, '\0') + std::string("\x80\x48\x40\0\xff\x2f\0", 7));
    const std::string open = "open " + quote(path("good.wav")) + " alias Movie";
    ASSERT_EQ(send(open), Ok);
    EXPECT_EQ(send(open), ErrAliasInUse);
    EXPECT_EQ(send("play MOVIE"), Ok);
    EXPECT_EQ(send("close movie"), Ok);
    EXPECT_EQ(send("close movie"), ErrNoSuchDevice);
    EXPECT_EQ(send("play movie"), ErrNoSuchDevice);
    // Only ASCII letters fold: whatever locale the application runs in, other bytes name apart.
    EXPECT_EQ(send("open " + quote(path("good.wav")) + " alias \xc3\x84"), Ok);
    EXPECT_EQ(send("open " + quote(path("good.wav")) + " alias \xc3\xa4"), Ok);
    EXPECT_EQ(send("close \xc3\x84"), Ok);
    EXPECT_EQ(send("close \xc3\x84"), ErrNoSuchDevice);
    EXPECT_EQ(send("close \xc3\xa4"), Ok);
    EXPECT_EQ(send("open " + quote(path("good.wav")) + " type cdplayer alias x"), ErrDeviceType);
    EXPECT_EQ(send("open " + quote(path("good.wav")) + " type waveaudio alias x"), ErrDeviceType);
}

TEST_F(EngineTest, CommandsForAnotherDeviceTypeAreRefused) {
    writeFile(path("good.wav"), toneWav());
    // A MIDI file whose chunk lengths add up and whose last event runs past its track: the
    // framework's parser read past its buffer on it.
    writeFile(path("overhang.mid"),
              std::string("MThd\0\0\0\6\0\0\0\1\1\xe0MTrk\0\0\0\x2b\0\xc0\0\0\x90\x3c\x64\x83\x60\x80\x3c"
                          "\x40\0\x90\x40\x64\x83\x60\x80\x40",
                          0x2a) +
                  std::string(16, '\0') + std::string("\x80\x48\x40\0\xff\x2f\0", 7));
    ASSERT_EQ(send("open " + quote(path("good.wav")) + " alias m"), Ok);
    EXPECT_EQ(send("record m"), ErrDeviceType);
    EXPECT_EQ(send("save m \"/tmp/x.wav\""), ErrDeviceType);
    EXPECT_EQ(send("set m door open"), ErrDeviceType);
    ASSERT_EQ(send("open new type waveaudio alias c"), Ok);
    EXPECT_EQ(send("seek c to start"), ErrDeviceType);
    EXPECT_EQ(send("where c source"), ErrDeviceType);
}

TEST_F(EngineTest, ParentMustBeAWidgetOfThisProcess) {
    writeFile(path("good.wav"), toneWav());
    // A MIDI file whose chunk lengths add up and whose last event runs past its track: the
    // framework's parser read past its buffer on it.
    writeFile(path("overhang.mid"),
              std::string("MThd\0\0\0\6\0\0\0\1\1\xe0MTrk\0\0\0\x2b\0\xc0\0\0\x90\x3c\x64\x83\x60\x80\x3c"
                          "\x40\0\x90\x40\x64\x83\x60\x80\x40",
                          0x2a) +
                  std::string(16, '\0') + std::string("\x80\x48\x40\0\xff\x2f\0", 7));
    EXPECT_EQ(send("open " + quote(path("good.wav")) + " alias m parent 987654321 style child "),
              ErrBadWindow);
}

TEST_F(EngineTest, SavingWithoutARecordingFails) {
    ASSERT_EQ(send("open new type waveaudio alias capture"), Ok);
    EXPECT_EQ(send("set capture format tag PCM"), Ok);
    EXPECT_EQ(send("save capture " + quote(path("nothing.wav"))), ErrCannotSave);
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(path("nothing.wav"))));
}

// A stand-in input: a tone that records, and one that fails before its first data.
class CaptureTest : public EngineTest {
  protected:
    void TearDown() override {
        EngineTest::TearDown();
        setOptions(withFakeSinks());
    }
    static void captureFrom(const std::string& description) {
        Options options = withFakeSinks();
        options.captureSource = description;
        setOptions(options);
    }
    static bool waitForMode(const std::string& want) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        std::string mode;
        while (send("status capture mode", &mode) == Ok && mode != want) {
            if (std::chrono::steady_clock::now() > until) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return mode == want;
    }
};

TEST_F(CaptureTest, ATonePlaysIntoAValidFile) {
    captureFrom("audiotestsrc is-live=true");
    ASSERT_EQ(send("open new type waveaudio alias capture"), Ok);
    ASSERT_EQ(send("record capture"), Ok);
    std::string length;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (send("status capture length", &length) == Ok && std::atoi(length.c_str()) < 200) {
        ASSERT_LT(std::chrono::steady_clock::now(), until);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_EQ(send("stop capture"), Ok);
    ASSERT_EQ(send("save capture " + quote(path("tone.wav"))), Ok);
    EXPECT_GE(QFileInfo(QString::fromStdString(path("tone.wav"))).size(), 44 + 44100 * 4 / 5);
}

// Silence stands in for an input that is slow to start, never for one that failed: saving such a
// recording must fail so the player can say so.
TEST_F(CaptureTest, AnInputThatFailsIsNotSavedAsSilence) {
    captureFrom("audiotestsrc is-live=true ! identity error-after=1");
    ASSERT_EQ(send("open new type waveaudio alias capture"), Ok);
    ASSERT_EQ(send("record capture"), Ok);
    EXPECT_TRUE(waitForMode("stopped"));
    ASSERT_EQ(send("stop capture"), Ok);
    EXPECT_EQ(send("save capture " + quote(path("failed.wav"))), ErrCannotSave);
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(path("failed.wav"))));
}

TEST_F(EngineTest, TraceLogHasOneLinePerCommand) {
    const std::string log = path("trace.log");
    Options options = withFakeSinks();
    options.traceLog = log;
    setOptions(options);
    send("status nobody mode");
    send("close all");
    setOptions(withFakeSinks());
    send("close all");  // not logged
    std::ifstream in(log);
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(all, "status nobody mode\t" + std::to_string(ErrNoSuchDevice) + "\t\nclose all\t0\t\n");
}

TEST_F(EngineTest, DoorWithoutDriveFailsFast) {
    std::ifstream info("/proc/sys/dev/cdrom/info");
    if (info.good()) GTEST_SKIP() << "this machine has a CD drive";
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(send("set cdaudio door open"), ErrHardware);
    EXPECT_EQ(send("set cdaudio door closed"), ErrHardware);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

// The scripts and the player choose sinks, input and trace through these variables.
TEST(Options, TheEnvironmentChoosesSinksInputAndTrace) {
    struct Case {
        const char* fakeSinks;  // nullptr: unset
        Options::Sinks want;
    };
    const Case cases[] = {
        {nullptr, Options::Sinks::Real}, {"", Options::Sinks::Real},    {"0", Options::Sinks::Real},
        {"1", Options::Sinks::Fake},     {"yes", Options::Sinks::Fake}, {"audio", Options::Sinks::FakeAudio},
    };
    for (const auto& c : cases) {
        if (c.fakeSinks)
            setenv("PELTO_MCI_FAKE_SINKS", c.fakeSinks, 1);
        else
            unsetenv("PELTO_MCI_FAKE_SINKS");
        EXPECT_EQ(Options::fromEnvironment().sinks, c.want) << (c.fakeSinks ? c.fakeSinks : "unset");
    }
    unsetenv("PELTO_MCI_FAKE_SINKS");
    setenv("PELTO_MCI_CAPTURE_SRC", "audiotestsrc is-live=true", 1);
    setenv("PELTO_MCI_LOG", "/tmp/trace.log", 1);
    const Options options = Options::fromEnvironment();
    unsetenv("PELTO_MCI_CAPTURE_SRC");
    unsetenv("PELTO_MCI_LOG");
    EXPECT_EQ(options.captureSource, "audiotestsrc is-live=true");
    EXPECT_EQ(options.traceLog, "/tmp/trace.log");
    EXPECT_EQ(Options::fromEnvironment().captureSource, "");
    EXPECT_EQ(Options::fromEnvironment().traceLog, "");
}

TEST(ErrorText, EveryCodeHasItsOwnText) {
    std::set<std::string> seen;
    for (int code :
         {(int)Ok, (int)ErrUnrecognizedCommand, (int)ErrUnknownKeyword, (int)ErrMissingArgument,
          (int)ErrBadNumber, (int)ErrNoSuchDevice, (int)ErrAliasInUse, (int)ErrUnbalancedQuote,
          (int)ErrFileNotFound, (int)ErrCannotOpen, (int)ErrDeviceType, (int)ErrNotReady, (int)ErrHardware,
          (int)ErrCannotSave, (int)ErrTimeout, (int)ErrBadWindow, (int)ErrBusy}) {
        EXPECT_TRUE(seen.insert(errorText(code)).second) << code;
    }
    EXPECT_NE(errorText(9999).find("9999"), std::string::npos);
}

TEST(Cdxa, SectorsAreUnwrappedAcrossBoundaries) {
    QTemporaryDir dir;
    const std::string file = dir.path().toStdString() + "/v.dat";
    // RIFF header, a short fmt chunk, then three sectors whose payload bytes count up.
    std::string riff = "RIFF____CDXAfmt ";
    riff += std::string("\x10\0\0\0", 4) + std::string(16, '\0') + "data";
    const std::uint32_t size = 3 * CdxaReader::kSectorSize;
    riff += std::string(reinterpret_cast<const char*>(&size), 4);
    for (int s = 0; s < 3; ++s) {
        std::string sector(CdxaReader::kSectorSize, '\x55');
        for (std::size_t i = 0; i < CdxaReader::kPayloadSize; ++i)
            sector[CdxaReader::kPayloadOffset + i] =
                static_cast<char>((s * CdxaReader::kPayloadSize + i) % 251);
        riff += sector;
    }
    writeFile(file, riff + "tail");  // bytes past the last whole sector are ignored
    auto reader = CdxaReader::probe(file);
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->payloadSize(), 3 * CdxaReader::kPayloadSize);
    std::vector<std::uint8_t> out(4000);
    const std::uint64_t from = CdxaReader::kPayloadSize - 10;
    ASSERT_EQ(reader->read(from, out.data(), out.size()), out.size());
    for (std::size_t i = 0; i < out.size(); ++i) ASSERT_EQ(out[i], (from + i) % 251) << i;
    EXPECT_EQ(reader->read(reader->payloadSize() - 3, out.data(), 100), 3u);

    writeFile(file, std::string("RIFF\0\0\0\0WAVEfmt ", 16));
    EXPECT_FALSE(CdxaReader::probe(file));
}

TEST(WavHeader, SizesAndFormatFields) {
    std::uint8_t h[44];
    wavHeader(h, 1000, 44100, 2, 16);
    auto u32 = [&](int at) {
        return h[at] | h[at + 1] << 8 | h[at + 2] << 16 | static_cast<std::uint32_t>(h[at + 3]) << 24;
    };
    auto u16 = [&](int at) { return h[at] | h[at + 1] << 8; };
    EXPECT_EQ(std::string(reinterpret_cast<char*>(h), 4), "RIFF");
    EXPECT_EQ(u32(4), 1036u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(h + 8), 8), "WAVEfmt ");
    EXPECT_EQ(u16(20), 1);
    EXPECT_EQ(u16(22), 2);
    EXPECT_EQ(u32(24), 44100u);
    EXPECT_EQ(u32(28), 176400u);
    EXPECT_EQ(u16(32), 4);
    EXPECT_EQ(u16(34), 16);
    EXPECT_EQ(u32(40), 1000u);
}

// Frames come at the picture's own size when the window is within a few pixels of it.
TEST(FrameSizeFor, NearTheOwnSizeFramesKeepIt) {
    // The player's layout: 1280x720 gives 1287x719, 320x240 gives 327x239.
    EXPECT_EQ(frameSizeFor(QSize(1287, 719), QSize(1280, 720)), QSize(1280, 720));
    EXPECT_EQ(frameSizeFor(QSize(327, 239), QSize(320, 240)), QSize(320, 240));
    EXPECT_EQ(frameSizeFor(QSize(1272, 728), QSize(1280, 720)), QSize(1280, 720));
    EXPECT_EQ(frameSizeFor(QSize(1280, 720), QSize(1280, 720)), QSize(1280, 720));
}

TEST(FrameSizeFor, OtherSizesAreScaledTo) {
    // Odd widths one narrower, the fast path of the scaler.
    EXPECT_EQ(frameSizeFor(QSize(1289, 720), QSize(1280, 720)), QSize(1288, 720));
    EXPECT_EQ(frameSizeFor(QSize(1815, 1021), QSize(1920, 1080)), QSize(1814, 1021));
    EXPECT_EQ(frameSizeFor(QSize(1280, 711), QSize(1280, 720)), QSize(1280, 711));
    EXPECT_EQ(frameSizeFor(QSize(1920, 1080), QSize(1280, 720)), QSize(1920, 1080));
    EXPECT_EQ(frameSizeFor(QSize(640, 360), QSize(1280, 720)), QSize(640, 360));
    // No picture size known yet: the window's.
    EXPECT_EQ(frameSizeFor(QSize(1287, 719), QSize()), QSize(1287, 719));
}

}  // namespace
}  // namespace mci
