// Value/position mapping, rail band, layout sizes and tip placement, on the worked examples.
#include <gtest/gtest.h>

#include "SliderMath.h"
#include "ptSlider/ctlSlider.h"

using namespace ptSlider;

namespace {

TEST(Geometry, CLngRoundsHalvesToEvenAndRejectsOverflow) {
    const std::pair<double, qint32> cases[] = {{2.5, 2},     {3.5, 4},  {-2.5, -2},
                                               {133.5, 134}, {0.49, 0}, {-0.5, 0}};
    for (const auto& [in, out] : cases) EXPECT_EQ(CLng(in), out) << in;
    EXPECT_FALSE(CLng(2147483647.5));
    EXPECT_EQ(CLng(-2147483648.4), -2147483647 - 1);
    EXPECT_FALSE(CLng(std::nan("")));
}

TEST(Geometry, PlaceThumbOnBothAxes) {
    struct Case {
        TrackModel track;
        qint32 value;
        float left, top;
    } cases[] = {
        {{Horizontal, 0, 10, 200, 16}, 5, 96, -1},       {{Horizontal, 0, 10, 200, 16}, 10, 192, -1},
        {{Horizontal, -5, 10, 200, 16}, -5, 0, -1},      {{Vertical, 0, 100, 16, 100}, 25, -1, 69},
        {{Vertical, 0, 100, 16, 100}, 0, -1, 92},        {{Vertical, 0, 100, 16, 100}, 100, -1, 0},
        {{Horizontal, 0, 3, 100, 16}, 1, 92.0f / 3, -1},  // fractions are kept, not rounded
    };
    for (const Case& c : cases) {
        ThumbBox thumb{-1, -1, c.track.orientation == Vertical ? 16.0f : 8.0f,
                       c.track.orientation == Vertical ? 8.0f : 16.0f};
        EXPECT_TRUE(PlaceThumb(c.track, c.value, thumb));
        EXPECT_FLOAT_EQ(thumb.Left, c.left) << c.value;
        EXPECT_FLOAT_EQ(thumb.Top, c.top) << c.value;
    }
    ThumbBox thumb{3, 4, 8, 16};
    EXPECT_FALSE(PlaceThumb({Horizontal, 0, 0, 200, 16}, 1, thumb));  // zero range
    EXPECT_FALSE(PlaceThumb({2, 0, 10, 200, 16}, 1, thumb));          // no long axis
    EXPECT_FLOAT_EQ(thumb.Left, 3);
    EXPECT_FLOAT_EQ(thumb.Top, 4);
}

TEST(Geometry, ValueFromThumbRoundsHalvesToEvenAndSnaps) {
    // Track 128 (136 - 8), Min 0, Range 4.
    const std::tuple<float, qint32, float> cases[] = {
        {64, 2, 64}, {48, 2, 64}, {80, 2, 64}, {81, 3, 96}, {0, 0, 0}};
    for (const auto& [left, value, snapped] : cases) {
        ThumbBox thumb{left, 0, 8, 16};
        EXPECT_EQ(ValueFromThumb({Horizontal, 0, 4, 136, 16}, thumb), value) << left;
        EXPECT_FLOAT_EQ(thumb.Left, snapped) << left;
    }
    ThumbBox vertical{0, 23, 16, 8};  // track 92 in a 100-high control: 23 from the top is 75 %
    EXPECT_EQ(ValueFromThumb({Vertical, 0, 100, 16, 100}, vertical), 75);
}

TEST(Geometry, ValueFromThumbOnDegenerateTracks) {
    ThumbBox zero{5, 3, 8, 16};
    EXPECT_EQ(ValueFromThumb({Horizontal, 20, 10, 8, 16}, zero), std::nullopt);  // keeps the old value
    EXPECT_FLOAT_EQ(zero.Left, 0);
    ThumbBox other{5, 3, 8, 16};
    EXPECT_EQ(ValueFromThumb({2, 20, 10, 100, 16}, other), 0);
    EXPECT_FLOAT_EQ(other.Left, 5);
}

TEST(Geometry, RailRectFollowsTheThumb) {
    struct Case {
        qint32 orientation;
        ThumbBox thumb;
        float w, h;
        RailBox rail;
    } cases[] = {
        {Horizontal, {0, 0, 8, 16}, 200, 16, {2, 6, 198, 10}},
        {Horizontal, {0, 0, 8, 9}, 200, 9, {2, 2, 198, 6}},  // CLng(2.5) = 2
        {Vertical, {0, 0, 16, 8}, 16, 100, {6, 2, 10, 98}},
        {Vertical, {0, 0, 9, 8}, 9, 50, {2, 2, 6, 48}},
    };
    for (const Case& c : cases) {
        RailBox rail;
        EXPECT_TRUE(ComputeRailRect(c.orientation, c.thumb, c.w, c.h, rail));
        EXPECT_EQ(rail, c.rail) << rail.left << "," << rail.top << "," << rail.right << "," << rail.bottom;
    }
    RailBox kept{1, 2, 3, 4};
    EXPECT_FALSE(ComputeRailRect(2, {0, 0, 8, 16}, 200, 16, kept));
    EXPECT_EQ(kept, (RailBox{1, 2, 3, 4}));
}

TEST(Geometry, LayoutSizes) {
    const QSizeF thumb(8, 10);
    EXPECT_EQ(LayoutSize(Horizontal, true, {100, 6}, thumb, {50, 50}), QSize(104, 10));
    EXPECT_EQ(LayoutSize(Vertical, true, {8, 60}, QSizeF(12, 8), {50, 50}), QSize(12, 64));
    EXPECT_EQ(LayoutSize(Horizontal, false, {}, thumb, {200, 40}), QSize(200, 10));
    EXPECT_EQ(LayoutSize(Horizontal, false, {}, thumb, {0, 40}), QSize(8, 10));
    EXPECT_EQ(LayoutSize(Vertical, false, {}, thumb, {40, 0}), QSize(8, 10));
    EXPECT_EQ(LayoutSize(Vertical, false, {}, thumb, {40, 90}), QSize(8, 90));
    EXPECT_EQ(LayoutSize(2, false, {}, thumb, {40, 90}), std::nullopt);
}

TEST(Geometry, TipPlacement) {
    EXPECT_EQ(TipGeometry(Horizontal, {100, 200}, {40, 0, 8, 16}, {17, 12}), QRect(134, 183, 21, 15));
    EXPECT_EQ(TipGeometry(Vertical, {300, 100}, {0, 30, 12, 8}, {24, 12}), QRect(270, 126, 28, 15));
    EXPECT_EQ(TipGeometry(5, {300, 100}, {0, 30, 12, 8}, {24, 12}), QRect(0, 0, 28, 15));
    // Positions beyond what twips can hold are not moved.
    EXPECT_EQ(TipGeometry(Horizontal, {200000000, 0}, {0, 0, 8, 16}, {10, 12}), std::nullopt);
}

}  // namespace
