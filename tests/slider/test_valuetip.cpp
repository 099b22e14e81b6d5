// The shared value tip: filled, placed beside the thumb, framed, shown without taking the
// focus, and closed on release.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include "ctlSliderWidget.h"
#include "frmValueTip.h"

using namespace ptSlider;

namespace {

int OpenTips() {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == "frmValueTip") ++n;
    return n;
}

struct TipFixture : ::testing::Test {
    QWidget host;
    QLineEdit* edit = new QLineEdit(&host);
    ctlSlider* slider = new ctlSlider(&host);
    void SetUp() override {
        host.setGeometry(100, 150, 400, 200);
        edit->setGeometry(10, 150, 100, 20);
        slider->InitProperties();
        slider->setGeometry(20, 50, 200, 16);
        host.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
        edit->setFocus();
    }
    void TearDown() override { frmValueTip::CloseTip(); }
    QRect Expected(const QString& text) {
        frmValueTip* tip = frmValueTip::Current();
        const QSize label(tip->fontMetrics().horizontalAdvance(text), tip->lblTip->height());
        return *TipGeometry(slider->Orientation(), slider->mapToGlobal(QPoint(0, 0)), slider->Slider(),
                            label);
    }
};

TEST_F(TipFixture, FollowsTheThumbWhileDraggingAndClosesOnRelease) {
    QWidget* focus = QApplication::focusWidget();
    QWidget* active = QApplication::activeWindow();
    QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(100, 8));
    frmValueTip* tip = frmValueTip::Current();
    ASSERT_NE(tip, nullptr);
    EXPECT_TRUE(tip->isVisible());
    EXPECT_EQ(tip->lblTip->text(), "5");
    EXPECT_EQ(tip->lblTip->pos(), QPoint(2, 1));
    EXPECT_EQ(tip->geometry(), Expected("5"));
    QTest::mouseMove(slider, QPoint(180, 8));
    EXPECT_EQ(tip->lblTip->text(), "9");
    EXPECT_EQ(tip->geometry(), Expected("9"));
    EXPECT_EQ(QApplication::focusWidget(), focus);
    EXPECT_EQ(QApplication::activeWindow(), active);
    QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(180, 8));
    EXPECT_EQ(frmValueTip::Current(), nullptr);
    EXPECT_EQ(OpenTips(), 0);
}

TEST_F(TipFixture, VerticalTipStandsLeftOfTheThumb) {
    slider->setOrientation(Vertical);
    slider->setGeometry(300, 20, 16, 116);
    slider->setMin(-1000);
    slider->setMax(1000);
    QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(4, 20));
    frmValueTip* tip = frmValueTip::Current();
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(tip->lblTip->text(), QString::number(slider->Value()));
    EXPECT_EQ(tip->geometry(), Expected(tip->lblTip->text()));
    EXPECT_LT(tip->geometry().right(), slider->mapToGlobal(QPoint(0, 0)).x());
    QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(4, 20));
}

TEST_F(TipFixture, NegativeValuesShowTheSignAndWiden) {
    slider->setMin(-100000);
    QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(4, 8));
    frmValueTip* tip = frmValueTip::Current();
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(tip->lblTip->text(), "-100000");
    const int wide = tip->width();
    QTest::mouseMove(slider, QPoint(400, 8));
    EXPECT_EQ(tip->lblTip->text(), "10");
    EXPECT_LT(tip->width(), wide);
    QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(400, 8));
}

TEST_F(TipFixture, RaisedFrameOnTooltipBackground) {
    QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(100, 8));
    frmValueTip* tip = frmValueTip::Current();
    ASSERT_NE(tip, nullptr);
    const QImage img = tip->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QPalette& pal = tip->palette();
    const QRgb light = pal.color(QPalette::Midlight).rgb();
    const QRgb dark = pal.color(QPalette::Shadow).rgb();
    const int w = img.width(), h = img.height();
    EXPECT_EQ(img.pixel(0, 0), light);
    EXPECT_EQ(img.pixel(w - 2, 0), light);
    EXPECT_EQ(img.pixel(0, h - 2), light);
    EXPECT_EQ(img.pixel(w - 1, 0), dark);
    EXPECT_EQ(img.pixel(0, h - 1), dark);
    EXPECT_EQ(img.pixel(w - 1, h - 1), dark);
    EXPECT_EQ(img.pixel(1, h - 2), pal.color(QPalette::ToolTipBase).rgb());
    EXPECT_DOUBLE_EQ(tip->font().pointSizeF(), 6.75);
    QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(100, 8));
}

TEST_F(TipFixture, OneTipForAllSlidersAndNoneWhenSwitchedOff) {
    ctlSlider other(&host);
    other.InitProperties();
    other.setGeometry(20, 100, 200, 16);
    other.show();
    QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(100, 8));
    QTest::mousePress(&other, Qt::LeftButton, {}, QPoint(40, 8));
    EXPECT_EQ(OpenTips(), 1);
    QTest::mouseRelease(&other, Qt::LeftButton, {}, QPoint(40, 8));
    QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(100, 8));

    slider->setShowValueTip(kFalse);
    QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(150, 8));
    QTest::mouseMove(slider, QPoint(20, 8));
    EXPECT_EQ(frmValueTip::Current(), nullptr);
    QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(20, 8));
    EXPECT_EQ(OpenTips(), 0);
}

}  // namespace
