// Layout and drawing of ctlSlider.
#include <QPainter>
#include <QResizeEvent>

#include "DrawEdge.h"
#include "Pictures.h"
#include "ctlSliderWidget.h"
#include "frmValueTip.h"
#include "ptSlider/OleColor.h"

namespace ptSlider {

namespace {
constexpr int kTwipsPerPixel = 15;

QPoint PixelPosition(double x, double y) {
    return QPoint(CLng(x).value_or(0), CLng(y).value_or(0));
}
}  // namespace

TrackModel ctlSlider::Track() const {
    return {Orientation_, Min_, Range, static_cast<float>(width()), static_cast<float>(height())};
}

bool ctlSlider::ByPictureRail() const {
    return RailStyle_ == ByPicture && !iRailPicture.isNull();
}

QSize ctlSlider::sizeHint() const {
    if (RequestedTwips_.isValid()) return RequestedTwips_ / kTwipsPerPixel;
    return QSize(qRound(Thumb.Width), qRound(Thumb.Height));
}

// The control asks its host for a size in twips at a fixed 15 per pixel; the host here is Qt,
// which takes pixels, so the request is turned back at the same rate.
void ctlSlider::RequestSize(QSize pixels) {
    RequestedTwips_ = pixels * kTwipsPerPixel;
    const QSizePolicy::Policy longAxis = ByPictureRail() ? QSizePolicy::Fixed : QSizePolicy::Expanding;
    const QSizePolicy policy = Orientation_ == Vertical ? QSizePolicy(QSizePolicy::Fixed, longAxis)
                                                        : QSizePolicy(longAxis, QSizePolicy::Fixed);
    if (sizePolicy() != policy) setSizePolicy(policy);
    updateGeometry();
    resize(RequestedTwips_ / kTwipsPerPixel);
}

void ctlSlider::ResetThumb() {
    if (Orientation_ == Horizontal) {
        Thumb.Left = 0;
        Thumb.Top = 0;
    } else if (Orientation_ == Vertical) {
        Thumb.Left = 0;
        Thumb.Top = static_cast<float>(height()) - Thumb.Height;
    }
}

void ctlSlider::Layout() {
    // Our own size request re-enters through resizeEvent; the pass in progress already reads the
    // new size in the steps below.
    if (InLayout) return;
    InLayout = true;
    const bool byPicture = ByPictureRail();
    const QSizeF railSize = PictureSize(iRailPicture);
    if (auto size = LayoutSize(Orientation_, byPicture, railSize.toSize(), QSizeF(Thumb.Width, Thumb.Height),
                               this->size()))
        RequestSize(*size);

    if (Orientation_ == Horizontal) {
        const bool centre = byPicture && Thumb.Height < railSize.height();
        Thumb.Top = centre ? static_cast<float>((railSize.height() - Thumb.Height) / 2) : 0.0f;
        PlaceThumb(Track(), Value_, Thumb);
    } else if (Orientation_ == Vertical) {
        const bool centre = byPicture && Thumb.Width < railSize.width();
        Thumb.Left = centre ? static_cast<float>((railSize.width() - Thumb.Width) / 2) : 0.0f;
        PlaceThumb(Track(), Value_, Thumb);
    }

    ComputeRailRect(Orientation_, Thumb, static_cast<float>(width()), static_cast<float>(height()), Rail);
    InLayout = false;
    DrawSlider();
}

void ctlSlider::DrawSlider() {
    const qreal dpr = devicePixelRatioF();
    const QSize device = size() * dpr;
    // A stored rail picture sizes the control: one that claims a huge size must not make it
    // allocate gigabytes for its surface. Nothing that large is a slider; it stays undrawn.
    constexpr qint64 kMaxSide = 16384, kMaxArea = qint64{16384} * 2048;
    if (device.isEmpty() || device.width() > kMaxSide || device.height() > kMaxSide ||
        qint64{device.width()} * device.height() > kMaxArea) {
        Surface = QPixmap();
        return;
    }
    if (Surface.size() != device) {
        Surface = QPixmap(device);
        Surface.setDevicePixelRatio(dpr);
    }
    {
        QPainter p(&Surface);
        p.fillRect(rect(), OleColorToQColor(BackColor_, palette()));
        if (RailStyle_ == ByPicture) {
            const QSizeF rail = PictureSize(iRailPicture);
            if (!iRailPicture.isNull() && Orientation_ == Horizontal)
                p.drawPixmap(PixelPosition(2, (height() - rail.height()) / 2), iRailPicture);
            else if (!iRailPicture.isNull() && Orientation_ == Vertical)
                p.drawPixmap(PixelPosition((width() - rail.width()) / 2, 2), iRailPicture);
        } else if (const int edge = EdgeForRailStyle(RailStyle_)) {
            DrawEdge(p, Rail, edge, BF_RECT, palette());
        }
        if (!ThumbPicture.isNull()) p.drawPixmap(PixelPosition(Thumb.Left, Thumb.Top), ThumbPicture);
    }
    update();
    if (ShowValueTip_ && Dragging_) UpdateValueTip();
}

void ctlSlider::UpdateValueTip() {
    frmValueTip::Instance()->UpdateFor(Value_, Orientation_, mapToGlobal(QPoint(0, 0)), Thumb);
}

void ctlSlider::resizeEvent(QResizeEvent* /*event*/) {
    Layout();
}

void ctlSlider::showEvent(QShowEvent* /*event*/) {
    DrawSlider();
}

void ctlSlider::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    if (Surface.isNull())
        p.fillRect(event->rect(), OleColorToQColor(BackColor_, palette()));
    else
        p.drawPixmap(0, 0, Surface);
}

}  // namespace ptSlider
