// Video placement: the picture fills FrameVideo, the window follows the picture's size, and the
// window switches between its normal layout and full screen.

#include <QScreen>

#include <algorithm>

#include "OleColor.h"
#include "PictureFit.h"
#include "Twips.h"
#include "WindowUtils.h"
#include "compact/frmBase.h"
#include "frmPelto.h"
#include "mdlFunctions.h"
#include "ptSlider/ctlSlider.h"

namespace {
void SetFrameColor(QWidget* frame, quint32 oleColor) {
    QPalette p = frame->palette();
    p.setColor(QPalette::Window, OleColor::ToQColor(oleColor));
    frame->setPalette(p);
}
}  // namespace

void frmPelto::Form_Resize() {
    if (ResizeGuard == 0) {
        ResizeGuard = 1;
    } else if (ResizeGuard == 1) {
        ArrangeVideoArea();
    }
}

void frmPelto::ArrangeVideoArea() {
    const int state = MainWindowState();
    if (state == 1) return;
    if (state == 2) {
        Twips::SetHeight(FrameVideo, Twips::ScreenHeight(this));
    } else {
        Twips::SetWidth(FrameVideo, Width());
        Twips::SetHeight(FrameVideo, Height() - 900);
        if (Slider) {
            Twips::SetTop(Slider->widget(), Height() - 650);
            Twips::SetWidth(Slider->widget(), Width() - 115);
        }
    }
    mdlFunctions::PlaceMovieWindow(
        0, 0, mdlFunctions::RoundHalfEven(Twips::Width(FrameVideo) / Twips::PerPixelX()),
        mdlFunctions::RoundHalfEven(Twips::Height(FrameVideo) / Twips::PerPixelY()));
}

void frmPelto::SizeWindowToVideo(qint32& height, qint32& width) {
    repaint();
    const Twips::Area room = Twips::Available(this);
    const PictureFit::Size fit =
        PictureFit::Fit(width, height, room.width, room.height, Twips::PerPixelX(), Twips::PerPixelY());
    Twips::SetWidth(FrameVideo, Twips::PerPixelX() * fit.width);
    Twips::SetHeight(FrameVideo, Twips::PerPixelY() * fit.height);
    SetHeight(Twips::Height(FrameVideo) + PictureFit::kExtraHeight);
    SetWidth(Twips::PerPixelX() * fit.width + PictureFit::kExtraWidth);
    // A window made smaller to fit is also brought onto the area, or its edge would still be off it.
    if (fit.width != width || fit.height != height) {
        SetLeft(std::clamp(Left(), room.left, std::max(room.left, room.left + room.width - Width())));
        SetTop(std::clamp(Top(), room.top, std::max(room.top, room.top + room.height - Height())));
    }
    ArrangeVideoArea();
}

void frmPelto::SizeWindowForAudio() {
    SetWidth(4740);
    SetHeight((Slider ? Twips::Height(Slider->widget()) : 150) + 750);
}

void frmPelto::SetEnabledTopRow(bool enabled) {
    for (CaptionLabel* c : {cmdPlaym, cmdOpen, cmdStop, lblRec, lblMute, Label1}) c->setEnabled(enabled);
}

void frmPelto::mnuFullscreen_Click() {
    if (MainWindowState() != 2) {
        RestoreLeft = static_cast<float>(Left());
        RestoreTop = static_cast<float>(Top());
        RestoreWidth = static_cast<float>(Width());
        RestoreHeight = static_cast<float>(Height());
        ResizeGuard = 2;
        WindowUtils::SetCaption(this, QString());
        ResizeGuard = 0;
        SetWidth(Twips::ScreenWidth(this) + 120);
        SetHeight(Twips::ScreenHeight(this) + 780);
        // Without a window manager the full-screen state alone moves nothing; place it first, as
        // a later move would drop the state again. That placement is no size change of the
        // program's own, so it must not lay out the window-sized picture once more.
        if (isVisible()) {
            const qint16 guard = ResizeGuard;
            ResizeGuard = 2;
            setGeometry(screen()->geometry());
            ResizeGuard = guard;
        }
        SetWindowStateValue(2);
        // Resize events of a top-level window may arrive after this point, or merged into one
        // that the guard swallows; lay out for full screen now so the picture covers the screen.
        Twips::SetWidth(FrameVideo, Twips::ScreenWidth(this) + 120);
        ResizeGuard = 1;
        ArrangeVideoArea();
        if (Slider) Slider->setBackColor(OleColor::kBlack);
        SetBackColor(OleColor::kBlack);
        SetFrameColor(FrameVideo, OleColor::kBlack);
        SetEnabledTopRow(false);
        mnuFullscreen->setChecked(true);
        WindowUtils::SetScreenPointer(mdlFunctions::IsPlayingOrPaused() ? 0 : 1);
        Twips::SetTop(FrameVideo, 0);  // a full-screen window's own Top: the frame covers the top row
        if (Slider) Slider->widget()->hide();
        return;
    }
    SetWindowStateValue(0);
    UnloadBase();
    setWindowTitle(QStringLiteral("Pelto SE"));
    if (Slider) Slider->setBackColor(OleColor::kButtonFace);
    SetBackColor(OleColor::kButtonFace);
    SetFrameColor(FrameVideo, OleColor::kButtonFace);
    SetLeft(RestoreLeft);
    SetTop(RestoreTop);
    SetWidth(RestoreWidth);
    SetHeight(RestoreHeight);
    Twips::SetTop(FrameVideo, 210);
    if (Slider) Slider->widget()->show();
    SetEnabledTopRow(true);
    mnuFullscreen->setChecked(false);
    SetMousePointer(0);
}

void frmPelto::TrackPointerInFullScreen(float& y) {
    if (Twips::ScreenHeight(this) - 25 > y) {
        // Enabling a running timer leaves its countdown alone: the bar goes 2 s after the pointer
        // left it, however much the pointer moves in between.
        frmBase& base = Base();
        if (!base.Timer.isActive()) base.Timer.start();
        return;
    }
    frmBase& base = Base();
    if (!base.isVisible()) {
        base.show();
        base.raise();
    }
}
