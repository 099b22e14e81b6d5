// Recording with a stand-in input: the file on disk while it runs, save and close, an input that
// delivers late, and the rescue of what a dead process left.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "PartialWav.h"
#include "mci/mci.h"

namespace mci {
namespace {

using Clock = std::chrono::steady_clock;

int send(const std::string& cmd, std::string* reply = nullptr) {
    char buf[128];
    const int rc = sendString(cmd, buf, sizeof buf);
    if (reply) *reply = buf;
    return rc;
}

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t u32(const std::string& s, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<std::uint8_t>(s[at + i]);
    return v;
}

std::int16_t sample(const std::string& wav, std::size_t frame) {
    const std::size_t at = 44 + frame * 4;
    return static_cast<std::int16_t>(static_cast<std::uint8_t>(wav[at]) |
                                     static_cast<std::uint8_t>(wav[at + 1]) << 8);
}

constexpr double kBytesPerSecond = 44100.0 * 4;

class RecordingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        folder = dir.filePath(QStringLiteral("state")).toStdString();
        setRecordingFolder(folder);
        captureFrom("audiotestsrc is-live=true freq=440 volume=0.5");
    }
    static void captureFrom(const std::string& description) {
        Options options;
        options.sinks = Options::Sinks::Fake;  // as everywhere else in this program
        options.captureSource = description;
        setOptions(options);
    }
    void TearDown() override {
        send("close all");
        captureFrom({});
        setRecordingFolder({});
    }
    std::vector<std::string> partials() const {
        std::vector<std::string> out;
        for (const QString& n :
             QDir(QString::fromStdString(folder)).entryList({"*.partial.wav"}, QDir::Files))
            out.push_back(folder + "/" + n.toStdString());
        return out;
    }
    std::string path(const char* name) const { return dir.filePath(QString::fromLatin1(name)).toStdString(); }
    static int lengthMs() {
        std::string reply;
        return send("status capture length", &reply) == Ok ? std::atoi(reply.c_str()) : -1;
    }
    // Polls the device (the input runs on its own threads) until it holds ms of sound.
    static bool waitForLength(int ms) {
        const auto until = Clock::now() + std::chrono::seconds(10);
        while (lengthMs() < ms) {
            if (Clock::now() > until) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    }

    QTemporaryDir dir;
    std::string folder;
};

TEST_F(RecordingTest, WhileItRunsTheFileOnDiskIsAPlayableWavBehindByAtMostASecond) {
    ASSERT_EQ(send("open new type waveaudio alias capture"), Ok);
    ASSERT_EQ(send("record capture"), Ok);
    ASSERT_TRUE(waitForLength(2300));
    const auto files = partials();
    ASSERT_EQ(files.size(), 1u);
    const std::string wav = readAll(files[0]);
    ASSERT_GE(wav.size(), 44u);
    EXPECT_EQ(wav.substr(0, 4), "RIFF");
    EXPECT_EQ(wav.substr(8, 8), "WAVEfmt ");
    const std::uint32_t counted = u32(wav, 40);
    EXPECT_EQ(u32(wav, 4), 36 + counted);
    EXPECT_LE(counted, wav.size() - 44);  // never claims samples that are not there
    EXPECT_GE(counted, wav.size() - 44 - 1.2 * kBytesPerSecond);
    EXPECT_GE(counted, 1.0 * kBytesPerSecond);
    EXPECT_EQ(counted % 4, 0u);
}

TEST_F(RecordingTest, SaveMovesTheFileIntoPlaceAndCloseRemovesAnUnsavedOne) {
    ASSERT_EQ(send("open new type waveaudio alias capture"), Ok);
    ASSERT_EQ(send("record capture"), Ok);
    ASSERT_TRUE(waitForLength(300));
    ASSERT_EQ(send("stop capture"), Ok);
    const int recorded = lengthMs();
    ASSERT_EQ(send("save capture \"" + path("first.wav") + "\""), Ok);
    EXPECT_TRUE(partials().empty());
    const std::string saved = readAll(path("first.wav"));
    EXPECT_EQ(u32(saved, 40), saved.size() - 44);
    EXPECT_NEAR((saved.size() - 44) / kBytesPerSecond * 1000, recorded, 2);

    // Going on records into a copy: the saved file stays as saved, the next save has both parts.
    ASSERT_EQ(send("record capture"), Ok);
    ASSERT_TRUE(waitForLength(recorded + 300));
    ASSERT_EQ(send("stop capture"), Ok);
    EXPECT_EQ(readAll(path("first.wav")), saved);
    ASSERT_EQ(send("save capture \"" + path("second.wav") + "\""), Ok);
    EXPECT_GT(readAll(path("second.wav")).size(), saved.size() + 0.2 * kBytesPerSecond);

    ASSERT_EQ(send("record capture"), Ok);
    ASSERT_TRUE(waitForLength(lengthMs() + 100));
    EXPECT_EQ(partials().size(), 1u);
    ASSERT_EQ(send("close capture"), Ok);
    EXPECT_TRUE(partials().empty());
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(path("second.wav"))));
}

// An input that delivers late (an idle sound server holds back about two seconds) still captured
// from the start: the file must begin with what it captured, not with silence put in its place,
// and must end at the moment stop was asked, not a latency earlier.
TEST_F(RecordingTest, AnInputThatDeliversLateLosesNeitherItsStartNorItsEnd) {
    captureFrom(
        "audiotestsrc is-live=true freq=440 volume=0.5 ! queue max-size-buffers=0 max-size-bytes=0 "
        "max-size-time=0 min-threshold-time=800000000");
    ASSERT_EQ(send("open new type waveaudio alias capture"), Ok);
    ASSERT_EQ(send("record capture"), Ok);
    const auto started = Clock::now();
    ASSERT_TRUE(waitForLength(400));
    const auto stopping = Clock::now();
    ASSERT_EQ(send("stop capture"), Ok);
    ASSERT_EQ(send("save capture \"" + path("late.wav") + "\""), Ok);
    const std::string wav = readAll(path("late.wav"));
    const double seconds = (wav.size() - 44) / kBytesPerSecond;
    const double asked = std::chrono::duration<double>(stopping - started).count();
    EXPECT_GT(asked, 1.0);             // the input really was late
    EXPECT_NEAR(seconds, asked, 0.3);  // the input's own start-up aside; the latency is 0.8 s
    int loud = 0;
    for (std::size_t f = 0; f < 441; ++f) loud += std::abs(sample(wav, f)) > 1000;
    EXPECT_GT(loud, 200) << "the first 10 ms are silent";
}

// What a dead process left is saved; a file a running recorder holds, one without a sample and
// one that is not ours are not.
TEST_F(RecordingTest, RescueSavesWhatADeadProcessLeftAndNothingElse) {
    ASSERT_EQ(send("open new type waveaudio alias capture"), Ok);
    ASSERT_EQ(send("record capture"), Ok);
    ASSERT_TRUE(waitForLength(200));
    const std::string live = partials().at(0);

    // As a killed recorder leaves it: the header counts one second less than the file holds.
    std::uint8_t header[44];
    wavHeader(header, 44100 * 4, 44100, 2, 16);
    std::string left(reinterpret_cast<char*>(header), 44);
    for (int i = 0; i < 2 * 44100; ++i) left += std::string("\x10\x20\x30\x40", 4);
    left += "xy";  // half a frame: the write the kill cut short
    std::ofstream(folder + "/1-1-1.partial.wav", std::ios::binary) << left;
    const struct timespec old[2] = {{1700000000, 0}, {1700000000, 0}};
    utimensat(AT_FDCWD, (folder + "/1-1-1.partial.wav").c_str(), old, 0);
    std::ofstream(folder + "/2-2-2.partial.wav", std::ios::binary)
        << std::string(reinterpret_cast<char*>(header), 44);
    std::ofstream(folder + "/3-3-3.partial.wav", std::ios::binary)
        << "not a wave file at all, but long enough";

    std::vector<std::time_t> asked;
    const auto saved = rescueRecordings(folder, [&](std::time_t t) {
        asked.push_back(t);
        return path("rescued.wav");
    });
    ASSERT_EQ(saved, std::vector<std::string>{path("rescued.wav")});
    EXPECT_EQ(asked, std::vector<std::time_t>{1700000000});
    const std::string wav = readAll(path("rescued.wav"));
    EXPECT_EQ(wav.size(), 44u + 2 * 44100 * 4);
    EXPECT_EQ(u32(wav, 40), 2u * 44100 * 4);
    EXPECT_EQ(u32(wav, 4), 36u + 2 * 44100 * 4);
    EXPECT_EQ(wav.substr(44, 8), left.substr(44, 8));
    EXPECT_EQ(QFileInfo(QString::fromStdString(path("rescued.wav"))).lastModified().toSecsSinceEpoch(),
              1700000000);

    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(live)));
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(folder + "/2-2-2.partial.wav")));
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(folder + "/3-3-3.partial.wav")));
    EXPECT_EQ(rescueRecordings(folder, [&](std::time_t) { return path("again.wav"); }).size(), 0u);
}

// The input's own words reach the trace log, so a user can see why a recording could not start.
TEST_F(RecordingTest, AnInputThatFailsSaysWhyInTheTrace) {
    const std::string log = path("trace.log");
    Options options;
    options.sinks = Options::Sinks::Fake;
    options.captureSource = "filesrc location=" + path("no-such-input.raw");
    options.traceLog = log;
    setOptions(options);
    ASSERT_EQ(send("open new type waveaudio alias capture"), Ok);
    EXPECT_EQ(send("record capture"), ErrHardware);
    std::string reply;
    EXPECT_EQ(send("status capture mode", &reply), Ok);
    EXPECT_EQ(reply, "stopped");
    std::ifstream in(log);
    const std::string trace((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(trace.find("# capture: error from filesrc"), std::string::npos) << trace;
    EXPECT_NE(trace.find("no-such-input.raw"), std::string::npos) << trace;
}

TEST_F(RecordingTest, AFolderThatCannotBeWrittenRefusesTheDevice) {
    const std::string file = path("plain-file");
    std::ofstream(file) << "x";
    setRecordingFolder(file + "/below");
    EXPECT_EQ(send("open new type waveaudio alias capture"), ErrCannotSave);
    EXPECT_EQ(send("status capture mode"), ErrNoSuchDevice);
}

}  // namespace
}  // namespace mci
