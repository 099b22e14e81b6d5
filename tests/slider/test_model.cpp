// The value model: defaults, the order of checks and events of the Min/Max/Value setters,
// re-entrant handlers and change notifications.
#include <gtest/gtest.h>

#include "EventRecorder.h"
#include "ctlSliderWidget.h"

using namespace ptSlider;

namespace {

struct ModelFixture : ::testing::Test {
    ctlSlider slider;
    EventRecorder rec{&slider};
    void SetUp() override {
        slider.InitProperties();
        slider.resize(200, 16);
    }
};

TEST_F(ModelFixture, NewInstanceDefaults) {
    EXPECT_EQ(slider.Min(), 0);
    EXPECT_EQ(slider.Max(), 10);
    EXPECT_EQ(slider.Value(), 0);
    EXPECT_EQ(slider.Enabled(), kTrue);
    EXPECT_EQ(slider.ShowValueTip(), kTrue);
    EXPECT_EQ(slider.Orientation(), Horizontal);
    EXPECT_EQ(slider.RailStyle(), Sunken);
    EXPECT_EQ(slider.BackColor(), kButtonFace);
    EXPECT_EQ(slider.SliderIcon().size(), QSize(8, 16));
}

// Each step: a setter call, its expected result, the events it raises and the state after it.
struct Step {
    const char* what;
    char property;  // 'v' Value, 'n' Min, 'x' Max
    qint32 argument;
    int result;
    QStringList events;
    qint32 min, max, value;
};

void RunSteps(ctlSlider& slider, EventRecorder& rec, const std::vector<Step>& steps) {
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        const int r = s.property == 'v'   ? slider.setValue(s.argument)
                      : s.property == 'n' ? slider.setMin(s.argument)
                                          : slider.setMax(s.argument);
        EXPECT_EQ(r, s.result);
        EXPECT_EQ(rec.Take(), s.events);
        EXPECT_EQ(slider.Min(), s.min);
        EXPECT_EQ(slider.Max(), s.max);
        EXPECT_EQ(slider.Value(), s.value);
    }
}

TEST_F(ModelFixture, SetterSequencesRaiseEventsInOrder) {
    RunSteps(slider, rec,
             {
                 {"Value 10 reaches Max", 'v', 10, 0, {"ValueChanged", "ArrivedLast"}, 0, 10, 10},
                 {"Value 0 reaches Min", 'v', 0, 0, {"ValueChanged", "ArrivedFirst"}, 0, 10, 0},
                 {"same value again", 'v', 0, 0, {}, 0, 10, 0},
                 {"above Max", 'v', 11, 380, {}, 0, 10, 0},
                 {"below Min", 'v', -1, 380, {}, 0, 10, 0},
                 {"Min equal to Max", 'n', 10, 380, {}, 0, 10, 0},
                 {"Max equal to Min", 'x', 0, 380, {}, 0, 10, 0},
                 {"middle value", 'v', 7, 0, {"ValueChanged"}, 0, 10, 7},
                 {"Min above Value pulls Value", 'n', 3, 0, {"ValueChanged", "ArrivedFirst"}, 3, 10, 3},
                 {"Value 7 again", 'v', 7, 0, {"ValueChanged"}, 3, 10, 7},
                 {"Max below Value leaves Value", 'x', 4, 0, {}, 3, 4, 7},
                 {"Value 4 is Max", 'v', 4, 0, {"ValueChanged", "ArrivedLast"}, 3, 4, 4},
             });
}

TEST_F(ModelFixture, OneStepRangeRaisesBothEnds) {
    RunSteps(slider, rec,
             {
                 {"Max 1", 'x', 1, 0, {}, 0, 1, 0},
                 {"Value 1", 'v', 1, 0, {"ValueChanged", "ArrivedLast"}, 0, 1, 1},
                 {"Value 0", 'v', 0, 0, {"ValueChanged", "ArrivedFirst"}, 0, 1, 0},
             });
}

TEST_F(ModelFixture, OverflowingSpanFailsWithoutChangingAnything) {
    EXPECT_EQ(slider.setMin(-2147483647), kErrOverflow);
    EXPECT_EQ(slider.Min(), 0);
    EXPECT_EQ(rec.Take(), QStringList());
    EXPECT_TRUE(rec.notifications.isEmpty());
    ASSERT_EQ(slider.setMax(2147483647), 0);
    EXPECT_EQ(slider.setMin(-2), kErrOverflow);
    EXPECT_EQ(slider.Min(), 0);
    // The widest span still maps values to positions.
    ASSERT_EQ(slider.setValue(2147483647), 0);
    EXPECT_FLOAT_EQ(slider.Slider().Left, 192.0f);
}

TEST_F(ModelFixture, HandlerAssigningAnotherValueReentersBeforeOuterEvents) {
    rec.onEvent = [this](const QString& e) {
        if (e == "ValueChanged" && slider.Value() == 10) slider.setValue(5);
    };
    ASSERT_EQ(slider.setValue(10), 0);
    // The inner assignment's events come first; the outer setter then sees Value 5, not Max.
    EXPECT_EQ(rec.events, QStringList({"ValueChanged", "ValueChanged"}));
    EXPECT_EQ(slider.Value(), 5);
    EXPECT_EQ(slider.LastValue(), 5);
}

TEST_F(ModelFixture, HandlerAssigningSameValueRaisesNothing) {
    int reentries = 0;
    rec.onEvent = [&](const QString& e) {
        if (e == "ValueChanged") {
            ++reentries;
            slider.setValue(slider.Value());
        }
    };
    slider.setValue(6);
    EXPECT_EQ(reentries, 1);
    EXPECT_EQ(rec.events, QStringList({"ValueChanged"}));
}

TEST_F(ModelFixture, EverySuccessfulWriteNotifiesItsName) {
    slider.setValue(0);  // unchanged value still notifies
    slider.setMin(-5);
    slider.setMax(20);
    slider.setEnabled(kFalse);
    slider.setBackColor(0x00FF0000);
    slider.setOrientation(Vertical);
    slider.setRailStyle(Raised);
    slider.setSliderIcon(QPixmap());
    slider.setRailPicture(QPixmap());
    slider.setShowValueTip(kFalse);
    slider.setValue(99);  // fails: no notification
    EXPECT_EQ(rec.notifications,
              QStringList({"Value", "Value", "Min", "Max", "Enabled", "BackColor", "Orientation", "RailStyle",
                           "SliderIcon", "RailPicture", "ShowValueTip"}));
}

TEST_F(ModelFixture, BooleansAreNormalisedAndUnnamedEnumsKept) {
    slider.setEnabled(5);
    EXPECT_EQ(slider.Enabled(), kTrue);
    slider.setShowValueTip(0);
    EXPECT_EQ(slider.ShowValueTip(), kFalse);
    slider.setOrientation(7);
    EXPECT_EQ(slider.Orientation(), 7);
    slider.setRailStyle(-3);
    EXPECT_EQ(slider.RailStyle(), -3);
}

TEST_F(ModelFixture, SettingNoThumbPictureKeepsTheThumbSize) {
    slider.setSliderIcon(QPixmap());
    EXPECT_TRUE(slider.SliderIcon().isNull());
    EXPECT_FLOAT_EQ(slider.Slider().Width, 8.0f);
    EXPECT_FLOAT_EQ(slider.Slider().Height, 16.0f);
}

}  // namespace
