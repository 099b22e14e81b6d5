// Saving and loading through the host's property bag: orders, defaults, case-blind names,
// pictures as image data, and repair of stored bounds that cannot be placed.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

#include "EventRecorder.h"
#include "Pictures.h"
#include "ctlSliderWidget.h"
#include "ptSlider/ControlHost.h"

using namespace ptSlider;

namespace {

// Logs the names asked for, in order, and otherwise behaves like the memory bag.
class LoggingBag : public MemoryPropertyBag {
  public:
    QStringList reads, writes;
    QVariant ReadProperty(const QString& name, const QVariant& def) override {
        reads << name;
        return MemoryPropertyBag::ReadProperty(name, def);
    }
    void WriteProperty(const QString& name, const QVariant& value, const QVariant& def) override {
        writes << name;
        MemoryPropertyBag::WriteProperty(name, value, def);
    }
};

QImage ImageOf(const QPixmap& p) {
    return p.toImage().convertToFormat(QImage::Format_ARGB32);
}

TEST(Persistence, WritesAndReadsInTheirOrders) {
    ctlSlider slider;
    slider.InitProperties();
    LoggingBag bag;
    slider.WriteProperties(bag);
    EXPECT_EQ(bag.writes, QStringList({"BackColor", "Enabled", "SliderIcon", "Orientation", "RailPicture",
                                       "RailStyle", "ShowValueTip", "Min", "Max", "Value"}));
    ctlSlider loaded;
    loaded.ReadProperties(bag);
    EXPECT_EQ(bag.reads, QStringList({"BackColor", "Enabled", "Orientation", "RailStyle", "ShowValueTip",
                                      "Min", "Max", "Value", "SliderIcon", "RailPicture"}));
}

TEST(Persistence, DefaultsStoreNothingButTheBuiltInThumb) {
    ctlSlider slider;
    slider.InitProperties();
    MemoryPropertyBag bag;
    slider.WriteProperties(bag);
    EXPECT_EQ(bag.Count(), 1);
    EXPECT_TRUE(bag.Contains("SliderIcon"));

    slider.setSliderIcon(QPixmap());
    MemoryPropertyBag empty;
    slider.WriteProperties(empty);
    EXPECT_EQ(empty.Count(), 0);
}

TEST(Persistence, RoundTripKeepsEveryPropertyAndPicture) {
    ctlSlider slider;
    slider.InitProperties();
    QPixmap rail(30, 4);
    rail.fill(QColor(10, 200, 30));
    slider.setMin(-40);
    slider.setMax(400);
    slider.setValue(123);
    slider.setEnabled(kFalse);
    slider.setShowValueTip(kFalse);
    slider.setBackColor(0x00123456);
    slider.setOrientation(Vertical);
    slider.setRailStyle(ByPicture);
    slider.setRailPicture(rail);
    MemoryPropertyBag bag;
    slider.WriteProperties(bag);

    ctlSlider loaded;
    EventRecorder rec(&loaded);
    loaded.ReadProperties(bag);
    EXPECT_TRUE(rec.events.isEmpty());
    EXPECT_EQ(loaded.Min(), -40);
    EXPECT_EQ(loaded.Max(), 400);
    EXPECT_EQ(loaded.Value(), 123);
    EXPECT_EQ(loaded.Enabled(), kFalse);
    EXPECT_EQ(loaded.ShowValueTip(), kFalse);
    EXPECT_EQ(loaded.BackColor(), 0x00123456u);
    EXPECT_EQ(loaded.Orientation(), Vertical);
    EXPECT_EQ(loaded.RailStyle(), ByPicture);
    EXPECT_EQ(ImageOf(loaded.RailPicture()), ImageOf(rail));
    EXPECT_EQ(ImageOf(loaded.SliderIcon()), ImageOf(DefaultThumbPicture()));
}

TEST(Persistence, NamesMatchWithoutRegardToCaseAndTypesAreLenient) {
    MemoryPropertyBag bag;
    bag.Set("max", 100);
    bag.Set("MIN", "-10");  // text, as from an INI file
    bag.Set("vAlUe", 40);
    bag.Set("railstyle", 2);
    bag.Set("BACKCOLOR", qint64{-2147483633});  // 0x8000000F read back as a signed Long
    bag.Set("enabled", "false");
    bag.Set("ShowValueTip", 0);
    bag.Set("orientation", "garbage");  // unreadable: the default
    ctlSlider slider;
    slider.ReadProperties(bag);
    EXPECT_EQ(slider.Max(), 100);
    EXPECT_EQ(slider.Min(), -10);
    EXPECT_EQ(slider.Value(), 40);
    EXPECT_EQ(slider.RailStyle(), SunkenSoft);
    EXPECT_EQ(slider.BackColor(), kButtonFace);
    EXPECT_EQ(slider.Enabled(), kFalse);
    EXPECT_EQ(slider.ShowValueTip(), kFalse);
    EXPECT_EQ(slider.Orientation(), Horizontal);
}

TEST(Persistence, LoadedInstanceComparesAgainstMin) {
    MemoryPropertyBag bag;
    bag.Set("Max", 100);
    bag.Set("Value", 40);
    for (const auto& [assign, expected] :
         {std::pair{40, QStringList{"ValueChanged"}}, std::pair{0, QStringList{}}}) {
        ctlSlider slider;
        slider.resize(108, 16);
        slider.ReadProperties(bag);
        EXPECT_FLOAT_EQ(slider.Slider().Left, 40.0f);
        EventRecorder rec(&slider);
        ASSERT_EQ(slider.setValue(assign), 0);
        EXPECT_EQ(rec.events, expected) << "assigning " << assign;
    }
}

TEST(Persistence, MissingThumbEntryLeavesNoThumbPicture) {
    MemoryPropertyBag bag;
    ctlSlider slider;
    slider.ReadProperties(bag);
    EXPECT_TRUE(slider.SliderIcon().isNull());
    EXPECT_FLOAT_EQ(slider.Slider().Width, 8.0f);
}

TEST(Persistence, PicturesLoadFromOtherImageFormats) {
    QImage image(5, 3, QImage::Format_RGB32);
    image.fill(qRgb(1, 2, 3));
    QByteArray bmp;
    QBuffer buffer(&bmp);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    MemoryPropertyBag bag;
    bag.Set("SliderIcon", bmp);
    bag.Set("RailPicture", QByteArray("not an image"));
    ctlSlider slider;
    slider.ReadProperties(bag);
    EXPECT_EQ(slider.SliderIcon().size(), QSize(5, 3));
    EXPECT_FLOAT_EQ(slider.Slider().Width, 5.0f);
    EXPECT_TRUE(slider.RailPicture().isNull());
}

// Stored bounds without a positive span would divide by zero when the thumb is placed.
TEST(Persistence, UnplaceableBoundsAreRepairedOnLoad) {
    struct Case {
        qint64 min, max, value;
        qint32 wantValue;
    } cases[] = {
        {5, 5, 5, 5},
        {7, 3, 9, 9},
        {-2147483648LL, 2147483647LL, 0, 0},
        {20, 20, 30, 10},
    };
    for (const Case& c : cases) {
        MemoryPropertyBag bag;
        bag.Set("Min", c.min);
        bag.Set("Max", c.max);
        bag.Set("Value", c.value);
        ctlSlider slider;
        slider.resize(100, 16);
        slider.ReadProperties(bag);
        EXPECT_EQ(slider.Min(), 0) << c.min << ".." << c.max;
        EXPECT_EQ(slider.Max(), 10);
        EXPECT_EQ(slider.Value(), c.wantValue);
        slider.show();  // layout and drawing run on the repaired range
        EXPECT_EQ(slider.setValue(3), 0);
    }
}

TEST(Persistence, ValueAboveMaxIsLoadedAsStored) {
    MemoryPropertyBag bag;
    bag.Set("Max", 4);
    bag.Set("Value", 7);
    ctlSlider slider;
    slider.ReadProperties(bag);
    EXPECT_EQ(slider.Max(), 4);
    EXPECT_EQ(slider.Value(), 7);
}

}  // namespace
