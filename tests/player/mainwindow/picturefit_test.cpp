// The window sized to a picture never outgrows the screen it is on.

#include <gtest/gtest.h>

#include "PictureFit.h"

namespace {

// A 1280x1024 screen at 96 dpi, as the test display.
constexpr double kRoomW = 1280 * 15, kRoomH = 1024 * 15;

PictureFit::Size Fit(qint32 w, qint32 h, double roomW = kRoomW, double roomH = kRoomH) {
    return PictureFit::Fit(w, h, roomW, roomH, 15, 15);
}

void ExpectWholeWindowFits(PictureFit::Size s, double roomW, double roomH) {
    EXPECT_LE(15.0 * s.width + PictureFit::kExtraWidth, roomW);
    EXPECT_LE(15.0 * s.height + PictureFit::kExtraHeight, roomH);
}

TEST(PictureFit, PicturesThatFitKeepTheirExactSize) {
    for (auto [w, h] : {std::pair{320, 240}, {352, 288}, {1273, 720}}) {
        const PictureFit::Size s = Fit(w, h);
        EXPECT_EQ(s.width, w);
        EXPECT_EQ(s.height, h);
    }
}

TEST(PictureFit, LargerPicturesShrinkWithTheirAspectUntilTheWholeWindowFits) {
    struct Case {
        qint32 w, h;
        double roomW, roomH;
    };
    for (const Case& c : {Case{1920, 1080, kRoomW, kRoomH}, Case{3840, 2160, kRoomW, kRoomH},
                          Case{1920, 1080, 1366 * 15, 738 * 15},  // a laptop with a panel
                          Case{1080, 1920, kRoomW, kRoomH},       // a phone held upright
                          Case{2560, 1440, 1920 * 15, 1050 * 15}}) {
        const PictureFit::Size s = Fit(c.w, c.h, c.roomW, c.roomH);
        ExpectWholeWindowFits(s, c.roomW, c.roomH);
        EXPECT_NEAR(static_cast<double>(s.width) / s.height, static_cast<double>(c.w) / c.h, 0.01)
            << c.w << "x" << c.h;
        // As large as fits: one more pixel on the limiting side would not.
        EXPECT_TRUE(15.0 * (s.width + 2) + PictureFit::kExtraWidth > c.roomW ||
                    15.0 * (s.height + 2) + PictureFit::kExtraHeight > c.roomH)
            << c.w << "x" << c.h;
    }
}

// Around the area's width: kept while the window fits, then never wider for a wider picture.
TEST(PictureFit, AsThePictureGrowsPastTheAreaItsWindowNeverOutgrowsIt) {
    qint32 widest = 0;
    for (qint32 w = 1260; w <= 1300; ++w) {
        const PictureFit::Size s = Fit(w, 720);
        ExpectWholeWindowFits(s, kRoomW, kRoomH);
        EXPECT_GE(s.width, widest) << w;
        widest = s.width;
    }
    EXPECT_EQ(widest, 1273);
}

TEST(PictureFit, DegenerateSizesAndRoomsGiveNoZeroOrNegativePicture) {
    EXPECT_EQ(Fit(640, 0).width, 640);  // no height known: left as the caller gave it
    const PictureFit::Size tiny = Fit(1920, 1080, 50 * 15, 40 * 15);
    EXPECT_EQ(tiny.width, 1);
    EXPECT_EQ(tiny.height, 1);
}

}  // namespace
