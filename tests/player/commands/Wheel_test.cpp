#include <QWheelEvent>

#include "CommandsFixture.h"

namespace {

void Wheel(QWidget* target, int rotation) {
    QWheelEvent event(QPointF(10, 10), QPointF(300, 200), QPoint(), QPoint(0, rotation), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &event);
}

// Records what reaches the window's own handlers after the hook.
class Probe : public QWidget {
  public:
    std::vector<int> wheels;
    int keys = 0;

  protected:
    void wheelEvent(QWheelEvent* event) override { wheels.push_back(event->angleDelta().y()); }
    void keyPressEvent(QKeyEvent*) override { ++keys; }
};

}  // namespace

TEST(WheelWords, SignedHalvesOfAMessageWord) {
    struct Case {
        quint32 value;
        qint16 high;
        qint16 low;
    } cases[] = {
        {0x00780000u, 120, 0},        {0xFF880000u, -120, 0},  {0x0000FFFFu, 0, -1},
        {0x7FFF8000u, 32767, -32768}, {0x00C8012Cu, 200, 300}, {0xFFFFFFFFu, -1, -1},
    };
    for (const auto& c : cases) {
        const auto value = static_cast<qint32>(c.value);
        EXPECT_EQ(mdlMWheel::HighWord(value), c.high) << std::hex << c.value;
        EXPECT_EQ(mdlMWheel::LowWord(value), c.low) << std::hex << c.value;
    }
}

TEST_F(CommandsTest, WheelStepsFiveSecondsWhilePlayingAndAFrameWhilePaused) {
    const int from = 60000;
    Device("playing", from);
    struct Case {
        const char* playCaption;
        const char* muteCaption;
        int rotation;
        Commands sent;
    } cases[] = {
        {"Pause", "O", 120, SecondsStep(from, -5)},
        {"Pause", "O", -120, SecondsStep(from, 5)},
        {"Pause", "O", 240, SecondsStep(from, -5)},  // two notches in one event: one step
        {"Pause", "O", -360, SecondsStep(from, 5)},
        {"Play", "O", 120, PausedStep(FrameStep(from, -1), true)},
        {"Play", "O", -120, PausedStep(FrameStep(from, 1), true)},
        {"Play", "\u00D8", -120, PausedStep(FrameStep(from, 1), false)},  // a muted user stays muted
        {"&Play", "O", -120, SecondsStep(from, 5)},  // only the exact caption means paused
    };
    for (const auto& c : cases) {
        form->cmdPlaym->SetCaption(QString::fromUtf8(c.playCaption));
        form->lblMute->SetCaption(QString::fromUtf8(c.muteCaption));
        fake.clear();
        Wheel(form.get(), c.rotation);
        EXPECT_EQ(fake.sent, c.sent) << c.playCaption << ' ' << c.rotation;
        EXPECT_EQ(mdlMWheel::WheelAccumulator(), 0);
    }
}

TEST_F(CommandsTest, PartialNotchesWaitInTheAccumulator) {
    Device("playing", 60000);
    form->cmdPlaym->SetCaption(QStringLiteral("Pause"));
    struct Step {
        int rotation;
        bool steps;
        int remainder;
    } steps[] = {
        {40, false, 40},   {40, false, 80},   {40, true, 0},   // three thirds make a notch
        {-15, false, -15}, {-15, false, -30}, {30, false, 0},  // small movements cancel out
        {-200, true, -80}, {-50, true, -10},  {0, false, -10},
    };
    for (const auto& s : steps) {
        fake.clear();
        Wheel(form.get(), s.rotation);
        EXPECT_EQ(!fake.sent.empty(), s.steps) << s.rotation;
        EXPECT_EQ(mdlMWheel::WheelAccumulator(), s.remainder) << s.rotation;
        EXPECT_LT(std::abs(mdlMWheel::WheelAccumulator()), mdlMWheel::WHEEL_DELTA);
    }
}

TEST_F(CommandsTest, EveryEventReachesTheWindowUnchanged) {
    Probe probe;
    mdlMWheel::InstallWheelHook(&probe, {[] { return false; }, [] { return true; }});
    Wheel(&probe, 120);
    Wheel(&probe, -7);
    QTest::keyClick(&probe, Qt::Key_A);
    EXPECT_EQ(probe.wheels, (std::vector<int>{120, -7}));
    EXPECT_EQ(probe.keys, 1);
    EXPECT_EQ(Sent(), SecondsStep(0, -5));
}
