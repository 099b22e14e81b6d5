#include <gtest/gtest.h>

#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include "FakeChannel.h"
#include "FakeWindowState.h"
#include "mdlFunctions.h"

using namespace mdlFunctions;
using Commands = std::vector<std::string>;

class Recorder : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(program.isValid() && fallback.isValid());
        SetCommandChannel(fake.channel());
        SetWindowState(&window);
        SetProgramFolder(program.path());
        SetFallbackFolder(fallback.path());
        SetClock([this] { return now; });
    }
    void TearDown() override {
        QFile::setPermissions(program.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        SetCommandChannel({});
        SetWindowState(nullptr);
        SetProgramFolder({});
        SetFallbackFolder({});
        SetStateFolder({});
        SetClock({});
    }
    static QString Pm() { return QLocale::system().pmText(); }
    static QString Am() { return QLocale::system().amText(); }
    static std::string SaveOf(const QString& path) { return "save capture \"" + path.toStdString() + "\""; }

    FakeChannel fake;
    FakeWindowState window;
    QTemporaryDir program, fallback;
    QDateTime now{QDate(2026, 12, 6), QTime(14, 5, 9)};
};

TEST_F(Recorder, StartThenStopSendsSixCommandsAndFlipsTheLabels) {
    ToggleRecording();
    EXPECT_EQ(window.rec, "®");
    EXPECT_EQ(window.recColor, kRed);
    EXPECT_EQ(window.writes, (QStringList{"lblRec=®", "lblRec.BackColor=ff", "lblStatus=Recording",
                                          "frmBase.lblStatus=Recording"}));
    window.writes.clear();
    ToggleRecording();
    const QString path = program.path() + "/pt6_12_26_2_5_9" + Pm() + ".wav";
    EXPECT_EQ(fake.sent, (Commands{"open new type waveaudio alias capture", "set capture format tag PCM",
                                   "record capture", "stop capture", SaveOf(path), "close capture"}));
    EXPECT_EQ(window.writes, (QStringList{"lblRec=R", "lblStatus=Recorded", "frmBase.lblStatus=Recorded",
                                          "lblRec.BackColor=8000000f"}));
}

TEST_F(Recorder, FileNamesHaveNoLeadingZerosAndATwelveHourClock) {
    struct Case {
        QDateTime when;
        QString name;
    } cases[] = {
        {{QDate(2026, 12, 6), QTime(14, 5, 9)}, "pt6_12_26_2_5_9" + Pm()},
        {{QDate(2027, 3, 1), QTime(9, 7, 3)}, "pt1_3_27_9_7_3" + Am()},
        {{QDate(2007, 1, 31), QTime(0, 0, 0)}, "pt31_1_07_12_0_0" + Am()},
        {{QDate(2030, 10, 10), QTime(12, 30, 59)}, "pt10_10_30_12_30_59" + Pm()},
        {{QDate(2030, 10, 10), QTime(23, 59, 1)}, "pt10_10_30_11_59_1" + Pm()},
    };
    for (const auto& c : cases) EXPECT_EQ(RecordingPath(c.when), program.path() + "/" + c.name + ".wav");
}

TEST_F(Recorder, ALaterRecordingInTheSameSecondNeverOverwrites) {
    const QString first = RecordingPath(now);
    QFile(first).open(QIODevice::WriteOnly);
    const QString second = RecordingPath(now);
    EXPECT_NE(second, first);
    EXPECT_TRUE(second.endsWith("_2.wav"));
    QFile(second).open(QIODevice::WriteOnly);
    EXPECT_TRUE(RecordingPath(now).endsWith("_3.wav"));
}

TEST_F(Recorder, AProgramFolderWeCannotWriteSavesToTheUsersFolder) {
    SetProgramFolder(program.path() + "/gone");
    EXPECT_TRUE(RecordingPath(now).startsWith(fallback.path() + "/"));
    if (geteuid() == 0) return;  // root writes into read-only folders
    SetProgramFolder(program.path());
    QFile::setPermissions(program.path(), QFile::ReadOwner | QFile::ExeOwner);
    EXPECT_TRUE(RecordingPath(now).startsWith(fallback.path() + "/"));
}

TEST_F(Recorder, AFailedSaveTriesTheUsersFolderThenSaysSo) {
    window.rec = "®";
    const QString inProgram = RecordingPath(now);
    const QString inFallback = fallback.path() + "/pt6_12_26_2_5_9" + Pm() + ".wav";
    fake.reply(SaveOf(inProgram), "", 280);
    ToggleRecording();
    EXPECT_EQ(fake.sent, (Commands{"stop capture", SaveOf(inProgram), SaveOf(inFallback), "close capture"}));
    EXPECT_EQ(window.status, "Recorded");

    fake.clear();
    window.rec = "®";
    fake.reply(SaveOf(inFallback), "", 280);
    ToggleRecording();
    EXPECT_EQ(window.status, kSaveFailed);
    EXPECT_EQ(window.compactStatus, kSaveFailed);
    EXPECT_EQ(window.rec, "R");
    EXPECT_EQ(window.recColor, kButtonFace);
}

TEST_F(Recorder, APathWithAQuoteStaysOneWord) {
    QTemporaryDir odd(QDir::tempPath() + "/say \"hi\" XXXXXX");
    ASSERT_TRUE(odd.isValid());
    SetProgramFolder(odd.path());
    window.rec = "®";
    ToggleRecording();
    const std::string save = fake.sent[1];
    const std::string folder = odd.path().toStdString();
    std::string escaped;
    for (char c : folder) escaped += (c == '"' ? std::string("\\\"") : std::string(1, c));
    EXPECT_EQ(save.rfind("save capture \"" + escaped + "/pt", 0), 0u) << save;
}

// No input, no sound server or no room for the file: the labels say so at once and no device
// stays open, instead of showing a recording that will end in "Save failed".
TEST_F(Recorder, ARecordingThatCannotStartSaysSoAndLeavesNoDeviceOpen) {
    for (const std::string failing : {"open new type waveaudio alias capture", "record capture"}) {
        fake.clear();
        window.writes.clear();
        window.rec = "R";
        fake.reply(failing, "", 279);
        ToggleRecording();
        EXPECT_EQ(fake.sent.back(), "close capture") << failing;
        EXPECT_EQ(window.rec, "R") << failing;
        EXPECT_EQ(window.writes, (QStringList{"lblStatus=Cannot record", "frmBase.lblStatus=Cannot record"}))
            << failing;
        fake.reply(failing, "", 0);
    }
    EXPECT_EQ(fake.sent, (Commands{"open new type waveaudio alias capture", "set capture format tag PCM",
                                   "record capture", "close capture"}));
}

// A recording the last run left is saved under the name of its last write, in the program's
// folder, or in the user's when the program's refuses it.
TEST_F(Recorder, RecordingsADeadRunLeftAreSavedUnderTheUsualNames) {
    QTemporaryDir state;
    ASSERT_TRUE(state.isValid());
    SetStateFolder(state.path());
    EXPECT_TRUE(RescueRecordings().isEmpty());
    std::string wav(
        "RIFF\x24\x00\x00\x00WAVEfmt \x10\x00\x00\x00\x01\x00\x02\x00\x44\xac\x00\x00"
        "\x10\xb1\x02\x00\x04\x00\x10\x00"
        "data\x00\x00\x00\x00",
        44);
    wav += std::string(4000, '\x11');
    for (const char* name : {"/7-1-1.partial.wav", "/7-1-2.partial.wav"}) {
        QFile file(state.path() + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(wav.data(), static_cast<qint64>(wav.size()));
        file.close();
        const QDateTime written(QDate(2027, 3, 1), QTime(9, 7, 3));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(written, QFileDevice::FileModificationTime));
    }
    const QString first = program.path() + "/pt1_3_27_9_7_3" + Am() + ".wav";
    const QString second = program.path() + "/pt1_3_27_9_7_3" + Am() + "_2.wav";
    QStringList saved = RescueRecordings();
    saved.sort();
    EXPECT_EQ(saved, (QStringList{first, second}));
    QFile result(first);
    ASSERT_TRUE(result.open(QIODevice::ReadOnly));
    EXPECT_EQ(result.size(), 4044);
    EXPECT_TRUE(QDir(state.path()).entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(RescueRecordings().isEmpty());  // told once
    SetStateFolder({});
}
