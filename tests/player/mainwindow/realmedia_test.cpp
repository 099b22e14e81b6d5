// The main window on the real engine with real media and real sinks: a held arrow key, and a sound
// server that goes away while the medium plays.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QKeyEvent>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <iostream>
#include <memory>

#include "WindowUtils.h"
#include "compact/frmBase.h"
#include "frmPelto.h"
#include "mci/mci.h"
#include "mdlFunctions.h"
#include "ptSlider/ControlHost.h"
#include "ptSlider/ctlSlider.h"

namespace {

const QString kLongClip = QStringLiteral(PELTO_TEST_MEDIA "/long.mpg");  // 30 s, picture and sound
const QString kHoldClip = QStringLiteral(PELTO_TEST_MEDIA "/hold.mp4");  // 60 s of 720p H.264
constexpr int kPressMs = 33;                                             // key auto-repeat's pace

// Counts the presses of one key a widget was given.
class KeyCounter : public QObject {
  public:
    KeyCounter(QWidget* w, Qt::Key key) : widget_(w), key_(key) { w->installEventFilter(this); }
    ~KeyCounter() override { widget_->removeEventFilter(this); }
    int count = 0;

  protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (o == widget_ && e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == key_) {
            ++count;
        }
        return false;
    }

  private:
    QWidget* widget_;
    Qt::Key key_;
};

// Records when a widget was painted.
class PaintClock : public QObject {
  public:
    explicit PaintClock(QWidget* w) : widget_(w) {
        w->installEventFilter(this);
        clock_.start();
        // Ask for a paint far more often than the limit, so any gap is the UI thread's.
        connect(&ask_, &QTimer::timeout, w, [w] { w->update(); });
        ask_.start(10);
    }
    ~PaintClock() override { widget_->removeEventFilter(this); }
    void reset() {
        longest_ = 0;
        last_ = clock_.elapsed();
    }
    qint64 longestGap() const { return std::max(longest_, clock_.elapsed() - last_); }

  protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (o == widget_ && e->type() == QEvent::Paint) {
            const qint64 now = clock_.elapsed();
            longest_ = std::max(longest_, now - last_);
            last_ = now;
        }
        return false;
    }

  private:
    QWidget* widget_;
    QElapsedTimer clock_;
    QTimer ask_;
    qint64 last_ = 0;
    qint64 longest_ = 0;
};

class RealPlayer : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(config_.isValid());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config_.path());
        WindowUtils::ResetForTests();
        mdlFunctions::SetCommandChannel({});  // the engine itself
        mdlFunctions::SetMediaFile({});
        w = std::make_unique<frmPelto>();
        mdlFunctions::SetWindowState(w.get());
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    }
    void TearDown() override {
        mdlFunctions::CloseAllDevices();
        mdlFunctions::SetWindowState(nullptr);
        w.reset();
        ptSlider::ControlHost::UnloadIfUnused();
    }

    void Press(Qt::Key key) { QTest::keyClick(w.get(), key); }

    // Presses `key` `count` times, one every kPressMs, paced on a thread of its own as a keyboard's
    // auto-repeat is: presses queue up while the UI thread is busy. Returns how long the last one
    // waited to be handled after it was sent.
    qint64 Hold(Qt::Key key, int count) {
        KeyCounter handled(w.get(), key);
        QThread keyboard;
        QTimer pace;
        pace.setInterval(kPressMs);
        pace.moveToThread(&keyboard);
        QElapsedTimer clock;
        clock.start();
        std::atomic<int> sent{0};
        std::atomic<qint64> lastSentAt{0};
        QWidget* target = w.get();
        QObject::connect(&pace, &QTimer::timeout, &pace, [&] {
            QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier));
            QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyRelease, key, Qt::NoModifier));
            lastSentAt = clock.elapsed();
            if (++sent == count) pace.stop();
        });
        QObject::connect(&keyboard, &QThread::started, &pace, [&pace] { pace.start(); });
        keyboard.start();
        EXPECT_TRUE(QTest::qWaitFor([&] { return handled.count == count; }, 20000)) << handled.count;
        const qint64 lag = clock.elapsed() - lastSentAt;
        keyboard.quit();
        keyboard.wait();
        return lag;
    }

    QTemporaryDir config_;
    std::unique_ptr<frmPelto> w;
};

// The last press waited at most 100 ms to be handled, and no paint was more than 100 ms late.
void Check(qint64 lag, const PaintClock& paints, const char* what) {
    std::cout << what << ": last press handled " << lag
              << " ms after it was sent, longest gap between paints " << paints.longestGap() << " ms\n";
    EXPECT_LE(lag, 100) << what << ": the presses came faster than they were handled";
    EXPECT_LE(paints.longestGap(), 100) << what;
}

// Holding an arrow key sends a seek every 33 ms: the window keeps painting, every press counts,
// and the medium ends up where the presses took it, paused or playing.
TEST_F(RealPlayer, AHeldArrowKeyNeverFreezesTheWindowAndEndsAtTheRightPlace) {
    w->Form_Load(kHoldClip);
    ASSERT_EQ(w->lblStatus->Caption(), QStringLiteral("Playing"));
    ASSERT_EQ(mdlFunctions::GetLengthMs() / 1000, 60);
    Press(Qt::Key_Space);
    ASSERT_EQ(w->lblStatus->Caption(), QStringLiteral("Paused"));
    const qint32 start = mdlFunctions::GetPositionMs();
    ASSERT_LT(start, 5000);

    PaintClock paints(w.get());
    constexpr int presses = 15;
    paints.reset();
    Check(Hold(Qt::Key_Right, presses), paints, "paused, forward");
    EXPECT_EQ(mdlFunctions::GetPositionMs(), start + presses * 3000);

    paints.reset();
    Check(Hold(Qt::Key_Left, presses), paints, "paused, back");
    EXPECT_EQ(mdlFunctions::GetPositionMs(), start);
    EXPECT_EQ(mdlFunctions::GetMovieMode(), QStringLiteral("Paused"));

    Press(Qt::Key_Space);
    ASSERT_EQ(w->lblStatus->Caption(), QStringLiteral("Playing"));
    QElapsedTimer playing;
    playing.start();
    const qint32 from = mdlFunctions::GetPositionMs();
    paints.reset();
    Check(Hold(Qt::Key_Right, presses), paints, "playing, forward");
    const qint32 end = mdlFunctions::GetPositionMs();
    // Seeking holds the clock still; playing moves it on by at most the time that passed.
    EXPECT_GE(end, from + presses * 3000 - 100);
    EXPECT_LE(end, from + presses * 3000 + playing.elapsed() + 100);
    EXPECT_EQ(mdlFunctions::GetMovieMode(), QStringLiteral("Playing"));
}

// A frame step leaves the device counting frames, and a drag stops the tick that would set
// milliseconds again: the release must still land on the second it shows.
TEST_F(RealPlayer, ASeekBarReleaseAfterAFrameStepLandsOnItsSecond) {
    w->Form_Load(kHoldClip);
    ASSERT_EQ(w->lblStatus->Caption(), QStringLiteral("Playing"));
    Press(Qt::Key_Space);
    ASSERT_EQ(w->lblStatus->Caption(), QStringLiteral("Paused"));
    w->Slider_MouseDown(0);
    Press(Qt::Key_Period);  // one frame on, while the thumb is held
    ASSERT_NE(w->Slider, nullptr);
    w->Slider->setValue(10);
    w->Slider_MouseUp(0);
    EXPECT_EQ(mdlFunctions::GetPositionMs(), 10000);
    EXPECT_EQ(mdlFunctions::GetMovieMode(), QStringLiteral("Paused"));
}

// A sound server of the test's own, so that stopping it leaves the other tests theirs.
class PrivateSoundServer {
  public:
    PrivateSoundServer() { qputenv("PULSE_SERVER", "unix:" + socket().toLocal8Bit()); }
    QString socket() const { return dir_.filePath(QStringLiteral("native")); }
    bool start() {
        server_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PULSE_RUNTIME_PATH"), dir_.filePath(QStringLiteral("runtime")));
        // The test display's own server holds the session bus name; this one finds no bus (nor
        // one through the display) and does without.
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                   QStringLiteral("unix:path=") + dir_.filePath("nobus"));
        env.remove(QStringLiteral("DISPLAY"));
        server_.setProcessEnvironment(env);
        server_.start(
            QStringLiteral("pulseaudio"),
            {QStringLiteral("-n"), QStringLiteral("--daemonize=no"), QStringLiteral("--use-pid-file=no"),
             QStringLiteral("--exit-idle-time=-1"), QStringLiteral("--log-target=stderr"),
             QStringLiteral("--log-level=error"), QStringLiteral("-L"),
             QStringLiteral("module-null-sink sink_name=testsink"), QStringLiteral("-L"),
             QStringLiteral("module-native-protocol-unix socket=") + socket()});
        if (!server_.waitForStarted(5000)) return false;
        // The socket appears once the server takes clients.
        return QTest::qWaitFor([this] { return QFile::exists(socket()); }, 10000);
    }
    void stop() {
        server_.kill();
        server_.waitForFinished(5000);
        QFile::remove(socket());
    }
    ~PrivateSoundServer() {
        stop();
        qunsetenv("PULSE_SERVER");
    }

  private:
    QTemporaryDir dir_;
    QProcess server_;
};

QString ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// Losing the sound server while playing breaks the stream: the tick stops, both status words say
// so, the trace says what GStreamer said and why, and Play opens the file afresh.
TEST_F(RealPlayer, ASoundServerLostWhilePlayingEndsInErrorAndPlayTriesAgain) {
    PrivateSoundServer sound;
    ASSERT_TRUE(sound.start());
    QTemporaryDir logDir;
    const QString log = logDir.filePath(QStringLiteral("trace.log"));
    mci::Options traced;
    traced.traceLog = log.toStdString();
    mci::setOptions(traced);

    w->Form_Load(kLongClip);
    ASSERT_EQ(w->lblStatus->Caption(), QStringLiteral("Playing"));
    ASSERT_TRUE(w->T.isActive());
    // Sound is flowing before the server goes.
    ASSERT_TRUE(QTest::qWaitFor([] { return mdlFunctions::GetPositionMs() > 500; }, 10000));

    sound.stop();
    EXPECT_TRUE(QTest::qWaitFor([this] { return w->lblStatus->Caption() == QStringLiteral("Error"); }, 10000))
        << w->lblStatus->Caption().toStdString();
    EXPECT_EQ(w->Base().lblStatus->Caption(), QStringLiteral("Error"));
    EXPECT_FALSE(w->T.isActive());
    EXPECT_EQ(w->cmdPlaym->Caption(), QStringLiteral("Play"));
    const QString trace = ReadAll(log);
    const qsizetype note = trace.indexOf(QStringLiteral("\n# "));
    ASSERT_GE(note, 0) << trace.toStdString();
    const QString line = trace.mid(note + 1, trace.indexOf(QLatin1Char('\n'), note + 1) - note - 1);
    // GStreamer's own text, then its debug detail (source file and function) in brackets.
    EXPECT_TRUE(line.contains(QStringLiteral("error from"))) << line.toStdString();
    EXPECT_TRUE(line.contains(QStringLiteral("Connection terminated"))) << line.toStdString();
    EXPECT_TRUE(line.contains(QStringLiteral("pulsesink.c"))) << line.toStdString();

    ASSERT_TRUE(sound.start());
    const qsizetype before = ReadAll(log).size();
    Press(Qt::Key_Space);
    EXPECT_EQ(w->lblStatus->Caption(), QStringLiteral("Playing"));
    EXPECT_TRUE(w->T.isActive());
    EXPECT_TRUE(ReadAll(log).mid(before).contains(QStringLiteral("open ")));
    EXPECT_TRUE(QTest::qWaitFor([] { return mdlFunctions::GetPositionMs() > 500; }, 10000));
    mci::setOptions({});
}

}  // namespace
