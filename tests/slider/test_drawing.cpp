// Pixels from grabs of the control: the built-in thumb, each rail style, picture rails and sizes.
#include <gtest/gtest.h>

#include <QImage>

#include "ctlSliderWidget.h"

using namespace ptSlider;

namespace {

const QRgb kFace = qRgb(192, 192, 192);
const QRgb kLight = qRgb(255, 255, 255);
const QRgb kMidlight = qRgb(223, 223, 223);  // 3-D light, not the button highlight
const QRgb kDark = qRgb(128, 128, 128);
const QRgb kShadow = qRgb(0, 0, 0);

struct DrawingFixture : ::testing::Test {
    ctlSlider slider;
    void SetUp() override {
        QPalette pal = slider.palette();
        pal.setColor(QPalette::Button, QColor(kFace));
        pal.setColor(QPalette::Light, QColor(kLight));
        pal.setColor(QPalette::Midlight, QColor(kMidlight));
        pal.setColor(QPalette::Dark, QColor(kDark));
        pal.setColor(QPalette::Shadow, QColor(kShadow));
        slider.setPalette(pal);
        slider.InitProperties();
        slider.resize(200, 40);
        slider.show();
    }
    QImage Grab() { return slider.grab().toImage().convertToFormat(QImage::Format_RGB32); }
};

TEST_F(DrawingFixture, BuiltInThumbPixelForPixel) {
    const char* rows[16] = {"KKKKKKKK", "KWWWWWSK", "KWGGGSGK", "KWGSSWGK", "KWGSSWGK", "KWGSSWGK",
                            "KWGSSWGK", "KWGSSWGK", "KWGSSWGK", "KWGSSWGK", "KWGSSWGK", "KWGSSWGK",
                            "KWGSSWGK", "KWSWWWGK", "KSGGGGGK", "KKKKKKKK"};
    const QImage img = Grab();
    ASSERT_EQ(img.size(), QSize(200, 16));  // a horizontal control takes the thumb's height
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 8; ++x) {
            const QRgb want = rows[y][x] == 'K'   ? qRgb(0, 0, 0)
                              : rows[y][x] == 'S' ? qRgb(192, 192, 192)
                              : rows[y][x] == 'G' ? qRgb(128, 128, 128)
                                                  : qRgb(255, 255, 255);
            EXPECT_EQ(img.pixel(x, y), want) << x << "," << y;
        }
    }
}

TEST_F(DrawingFixture, EachRailStyleAcrossTheBand) {
    // Rows 5 to 10 at x = 100 of a 200 x 16 control: the rail band is rows 6 to 9.
    const std::pair<qint32, std::vector<QRgb>> cases[] = {
        {Sunken, {kFace, kDark, kShadow, kMidlight, kLight, kFace}},
        {Raised, {kFace, kMidlight, kLight, kDark, kShadow, kFace}},
        {SunkenSoft, {kFace, kDark, kFace, kFace, kLight, kFace}},
        {RaisedSoft, {kFace, kLight, kFace, kFace, kDark, kFace}},
        {4, {kFace, kFace, kFace, kFace, kFace, kFace}},
        {7, {kFace, kFace, kFace, kFace, kFace, kFace}},
        {ByPicture, {kFace, kFace, kFace, kFace, kFace, kFace}},  // no rail picture: no rail
    };
    for (const auto& [style, column] : cases) {
        slider.setRailStyle(style);
        const QImage img = Grab();
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(img.pixel(100, 5 + i), column[i]) << "style " << style << " row " << 5 + i;
        EXPECT_EQ(img.pixel(0, 0), qRgb(0, 0, 0)) << "thumb still painted, style " << style;
    }
}

TEST_F(DrawingFixture, SunkenRailEndsAndCorners) {
    const QImage img = Grab();
    // Left end x = 2 (under the thumb at value 0 the thumb covers it, so use the value Max).
    slider.setValue(10);
    const QImage end = Grab();
    EXPECT_EQ(end.pixel(2, 6), kDark);
    EXPECT_EQ(end.pixel(2, 9), kLight);  // bottom-left corner belongs to the bottom edge
    EXPECT_EQ(end.pixel(1, 7), kFace);
    EXPECT_EQ(img.pixel(197, 6), kLight);     // top-right corner belongs to the right edge
    EXPECT_EQ(img.pixel(196, 7), kMidlight);  // the inner ring's right edge
    EXPECT_EQ(img.pixel(198, 7), kFace);
    EXPECT_EQ(end.pixel(3, 7), kShadow);
}

TEST_F(DrawingFixture, EveryValueChangeRepaintsTheWholeControl) {
    slider.setBackColor(0x000000FF);  // plain OLE colours are 0x00BBGGRR
    slider.setValue(5);
    const QImage img = Grab();
    EXPECT_EQ(img.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(96, 0), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(95, 0), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(104, 0), qRgb(255, 0, 0));
}

TEST_F(DrawingFixture, HorizontalPictureRail) {
    QPixmap rail(100, 6);
    rail.fill(Qt::red);
    QPixmap thumb(8, 10);
    thumb.fill(Qt::blue);
    slider.setSliderIcon(thumb);
    slider.setRailPicture(rail);
    slider.setRailStyle(ByPicture);
    EXPECT_EQ(slider.size(), QSize(104, 10));
    EXPECT_EQ(slider.RequestedTwips(), QSize(1560, 150));
    EXPECT_FLOAT_EQ(slider.Slider().Top, 0);
    const QImage img = Grab();
    EXPECT_EQ(img.pixel(50, 1), kFace);
    EXPECT_EQ(img.pixel(50, 2), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(101, 7), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(102, 7), kFace);
    EXPECT_EQ(img.pixel(50, 8), kFace);
    EXPECT_EQ(img.pixel(0, 0), qRgb(0, 0, 255));
}

TEST_F(DrawingFixture, VerticalPictureRailAndCentredThumb) {
    QPixmap rail(8, 60);
    rail.fill(Qt::red);
    QPixmap thumb(12, 8);
    thumb.fill(Qt::blue);
    slider.setOrientation(Vertical);
    slider.setSliderIcon(thumb);
    slider.setRailStyle(ByPicture);
    slider.setRailPicture(rail);
    EXPECT_EQ(slider.size(), QSize(12, 64));
    EXPECT_FLOAT_EQ(slider.Slider().Left, 0);
    EXPECT_FLOAT_EQ(slider.Slider().Top, 56);  // value 0 is at the bottom
    const QImage img = Grab();
    EXPECT_EQ(img.pixel(2, 2), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(1, 2), kFace);
    EXPECT_EQ(img.pixel(9, 40), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(10, 40), kFace);
    EXPECT_EQ(img.pixel(0, 60), qRgb(0, 0, 255));

    // A thumb narrower than the rail picture is centred on it.
    QPixmap narrow(4, 8);
    narrow.fill(Qt::green);
    slider.setSliderIcon(narrow);
    EXPECT_FLOAT_EQ(slider.Slider().Left, 2);
    EXPECT_EQ(slider.size(), QSize(8, 64));
}

TEST_F(DrawingFixture, VerticalEdgeRail) {
    slider.setOrientation(Vertical);
    slider.resize(30, 100);
    EXPECT_EQ(slider.size(), QSize(8, 100));
    EXPECT_EQ(slider.RailRect(), (RailBox{2, 6, 6, 94}));
    EXPECT_FLOAT_EQ(slider.Slider().Top, 84);
    const QImage img = Grab();
    const QRgb row[] = {kFace, kDark, kShadow, kMidlight, kLight, kFace, kFace};
    for (int x = 1; x < 7; ++x) EXPECT_EQ(img.pixel(x, 50), row[x - 1]) << x;
}

TEST_F(DrawingFixture, UnnamedOrientationKeepsSizeThumbAndRail) {
    slider.setValue(5);
    slider.setOrientation(2);
    slider.resize(300, 30);
    EXPECT_EQ(slider.size(), QSize(300, 30));
    EXPECT_FLOAT_EQ(slider.Slider().Left, 96);
    EXPECT_EQ(slider.RailRect(), (RailBox{2, 6, 198, 10}));
    const QImage img = Grab();
    EXPECT_EQ(img.pixel(150, 6), kDark);
    EXPECT_EQ(img.pixel(250, 6), kFace);
}

}  // namespace
