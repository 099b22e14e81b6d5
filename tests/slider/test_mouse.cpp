// Mouse sequences driven with Qt Test: grab, jump, drag, ends, release inside and outside,
// disabled and right-button cases, and capture while the pointer is outside the control.
#include <gtest/gtest.h>

#include <array>

#include <QTest>

#include "EventRecorder.h"
#include "ctlSliderWidget.h"
#include "frmValueTip.h"

using namespace ptSlider;

namespace {

struct MouseFixture : ::testing::Test {
    ctlSlider slider;
    EventRecorder rec{&slider};
    void SetUp() override {
        slider.InitProperties();
        slider.resize(200, 16);
        slider.show();
    }
    void Press(QPoint p, Qt::MouseButton b = Qt::LeftButton, Qt::KeyboardModifiers m = {}) {
        QTest::mousePress(&slider, b, m, p);
    }
    void Release(QPoint p, Qt::MouseButton b = Qt::LeftButton) { QTest::mouseRelease(&slider, b, {}, p); }
    void Move(QPoint p) { QTest::mouseMove(&slider, p); }
};

TEST_F(MouseFixture, PressOffTheThumbCentresItAndValueFollowsFirst) {
    Press({100, 8});
    EXPECT_EQ(rec.Take(), QStringList({"ValueChanged", "MouseDown(0)"}));
    EXPECT_EQ(slider.Value(), 5);
    EXPECT_FLOAT_EQ(slider.Slider().Left, 96);
    EXPECT_TRUE(slider.Dragging());
    Release({100, 8});
    EXPECT_EQ(rec.Take(), QStringList({"Click", "MouseUp(0)"}));
    EXPECT_FALSE(slider.Dragging());
}

TEST_F(MouseFixture, PressOnTheThumbGrabsItWithoutMoving) {
    Press({3, 8}, Qt::LeftButton, Qt::ShiftModifier | Qt::ControlModifier);
    Release({3, 8});
    EXPECT_EQ(rec.Take(), QStringList({"MouseDown(3)", "Click", "MouseUp(0)"}));
    EXPECT_EQ(slider.Value(), 0);
    EXPECT_FLOAT_EQ(slider.Slider().Left, 0);
}

TEST_F(MouseFixture, DragPastTheEndStopsAtMaxAndArrivesOnce) {
    Press({3, 8});
    for (int x : {120, 190, 260, 400, 390}) Move({x, 30});
    EXPECT_EQ(slider.Value(), 10);
    EXPECT_FLOAT_EQ(slider.Slider().Left, 192);
    EXPECT_EQ(rec.events.count("ArrivedLast"), 1);
    Release({390, 30});  // outside: no Click
    EXPECT_EQ(rec.events.mid(rec.events.size() - 1), QStringList({"MouseUp(0)"}));
    EXPECT_FALSE(rec.events.contains("Click"));
    Move({10, 8});  // no longer dragging
    EXPECT_EQ(slider.Value(), 10);
}

TEST_F(MouseFixture, ThumbMovesInWholeValueSteps) {
    slider.resize(136, 16);  // track 128
    slider.setMax(4);
    Press({4, 8});  // grab at the thumb's centre
    Move({4 + 20, 8});
    EXPECT_EQ(slider.Value(), 1);
    EXPECT_FLOAT_EQ(slider.Slider().Left, 32);
    Move({4 + 80, 8});  // 2.5 steps: halves go to even
    EXPECT_EQ(slider.Value(), 2);
    EXPECT_FLOAT_EQ(slider.Slider().Left, 64);
    Release({84, 8});
}

TEST_F(MouseFixture, VerticalDragUpwardsIncreasesValue) {
    slider.setOrientation(Vertical);
    slider.resize(8, 116);  // track 100
    slider.setMax(100);
    EXPECT_FLOAT_EQ(slider.Slider().Top, 100);
    Press({4, 108});
    Move({4, 58});
    EXPECT_EQ(slider.Value(), 50);
    Move({4, -40});
    EXPECT_EQ(slider.Value(), 100);
    EXPECT_FLOAT_EQ(slider.Slider().Top, 0);
    Release({4, -40});
    EXPECT_EQ(rec.Take(),
              QStringList({"MouseDown(0)", "ValueChanged", "ValueChanged", "ArrivedLast", "MouseUp(0)"}));
}

TEST_F(MouseFixture, DisabledControlOnlyClicks) {
    slider.setEnabled(kFalse);
    Press({100, 8});
    Move({150, 8});
    Release({150, 8});
    EXPECT_EQ(rec.Take(), QStringList({"Click"}));
    EXPECT_EQ(slider.Value(), 0);
}

TEST_F(MouseFixture, RightButtonAloneDoesNothing) {
    Press({100, 8}, Qt::RightButton);
    Release({100, 8}, Qt::RightButton);
    EXPECT_EQ(rec.Take(), QStringList());
    EXPECT_EQ(slider.Value(), 0);
}

TEST_F(MouseFixture, RightButtonDuringDragEndsIt) {
    Press({3, 8});
    Press({3, 8}, Qt::RightButton);
    Release({3, 8}, Qt::RightButton);
    EXPECT_EQ(rec.Take(), QStringList({"MouseDown(0)", "MouseUp(0)"}));
    Move({150, 8});
    EXPECT_EQ(slider.Value(), 0);
    Release({150, 8});
    EXPECT_EQ(rec.Take(), QStringList({"Click"}));
}

TEST_F(MouseFixture, ZeroLengthTrackKeepsTheValue) {
    // Ranges without 0 (where a 0 would be refused) and around 0 (where it would be taken).
    for (auto [lo, hi, v] : {std::array{20, 30, 25}, std::array{-5, 5, 3}}) {
        slider.resize(200, 16);
        slider.setMax(1000);
        slider.setMin(lo);
        slider.setMax(hi);
        slider.setValue(v);
        slider.resize(8, 16);
        rec.Take();
        Press({4, 8});
        Move({6, 8});
        Release({6, 8});
        EXPECT_EQ(slider.Value(), v) << lo << ".." << hi;
        EXPECT_EQ(rec.Take(), QStringList({"MouseDown(0)", "Click", "MouseUp(0)"}));
    }
}

// Through the window system: the pressed control keeps the pointer while it is outside.
TEST(MouseCapture, MovesOutsideTheControlStillReachIt) {
    QWidget host;
    host.resize(300, 100);
    ctlSlider slider(&host);
    slider.InitProperties();
    slider.setGeometry(50, 40, 200, 16);
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    EventRecorder rec(&slider);
    QWindow* window = host.windowHandle();
    QTest::mousePress(window, Qt::LeftButton, {}, QPoint(54, 48));
    QTest::mouseMove(window, QPoint(290, 90));
    EXPECT_EQ(slider.Value(), 10);
    QTest::mouseRelease(window, Qt::LeftButton, {}, QPoint(290, 90));
    EXPECT_EQ(rec.events, QStringList({"MouseDown(0)", "ValueChanged", "ArrivedLast", "MouseUp(0)"}));
}

}  // namespace

// Hiding the control drops Qt's grab, so its release never comes: the drag ends at the hide.
TEST(MouseCapture, HidingDuringADragEndsIt) {
    QWidget host;
    host.resize(300, 100);
    ctlSlider slider(&host);
    slider.InitProperties();
    slider.setGeometry(50, 40, 200, 16);
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    EventRecorder rec(&slider);
    QWindow* window = host.windowHandle();
    QTest::mousePress(window, Qt::LeftButton, {}, QPoint(54, 48));
    ASSERT_NE(frmValueTip::Current(), nullptr);
    slider.hide();
    EXPECT_FALSE(slider.Dragging());
    EXPECT_EQ(frmValueTip::Current(), nullptr);
    QTest::mouseRelease(window, Qt::LeftButton, {}, QPoint(100, 48));
    EXPECT_EQ(rec.events, QStringList({"MouseDown(0)", "MouseUp(0)"}));
}
