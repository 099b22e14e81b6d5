// The popup menu's handlers, the mute and quit labels, and the mouse buttons on the window.

#include <QCursor>
#include <QFile>
#include <QMessageBox>
#include <QWindow>

#include "ModalBox.h"
#include "Twips.h"
#include "WindowUtils.h"
#include "compact/frmBase.h"
#include "frmPelto.h"
#include "mdlFunctions.h"
#include "ptSlider/ctlSlider.h"

namespace {

const QString kSoundOn = QStringLiteral("O");
const QString kMuted = QStringLiteral("\u00D8");

void ShowInfoBox(QWidget* owner, const QString& title, const QString& text) {
    QMessageBox::information(owner, title, text, QMessageBox::Ok);
}

// Moves the volume level by delta within 0..100: label, device (ten times the level) and the
// control bar's volume slider.
void StepVolume(frmPelto& f, int delta) {
    const qint32 level = mdlFunctions::LeadingNumber(f.lblVolume->Caption().toStdString());
    if ((delta > 0 && level >= 100) || (delta < 0 && level <= 0)) return;
    f.lblVolume->SetCaption(QString::number(level + delta));
    const qint32 now = mdlFunctions::LeadingNumber(f.lblVolume->Caption().toStdString());
    mdlFunctions::SetVolume(now * 10);
    if (ptSlider::ISlider* volume = f.Base().VolSlider) volume->setValue(now);
}

// Where the left button went down, in client pixels: dragging keeps the pointer on that spot of
// the window.
QPoint gDragGrip;

QPoint ClientPixels(float x, float y) {
    return QPointF(x / Twips::PerPixelX(), y / Twips::PerPixelY()).toPoint();
}

// The window system moves the window with the pointer; where it cannot (no window manager), the
// window follows the pointer here.
void DragByClientArea(QWidget& window, QPoint pointer) {
    QWindow* handle = window.windowHandle();
    if (!handle || handle->startSystemMove()) return;
    window.move(window.pos() + pointer - gDragGrip);
}

}  // namespace

void (*frmPelto::InfoBox)(QWidget*, const QString&, const QString&) = &ShowInfoBox;

void frmPelto::Form_MouseDown(qint16 Button, qint16 /*Shift*/, float X, float Y) {
    if (Button == 1) gDragGrip = ClientPixels(X, Y);
    if (Button == 2) {
        mnuStart->popup(QCursor::pos());
    } else if (Button == 4) {
        cmdPlaym_Click();
    } else if (Button == 1 && !mdlFunctions::IsPlayingOrPaused()) {
        RunModalAndRefocus(*this, [this] { cmdOpen_Click(); });
    }
}

void frmPelto::Form_MouseMove(qint16 Button, qint16 /*Shift*/, float X, float Y) {
    if (Button == 1 && !mnuFullscreen->isChecked()) DragByClientArea(*this, ClientPixels(X, Y));
    if (Twips::ScreenWidth(this) >= 12000.0 && mnuFullscreen->isChecked()) TrackPointerInFullScreen(Y);
}

void frmPelto::Form_DblClick() {
    mnuFullscreen_Click();
}

void frmPelto::lblMute_Click() {
    if (lblMute->Caption() == kSoundOn) {
        mdlFunctions::MuteAudio();
        lblMute->SetCaption(kMuted);
        mnuMute->setChecked(true);
    } else {
        mdlFunctions::UnmuteAudio();
        lblMute->SetCaption(kSoundOn);
        mnuMute->setChecked(false);
    }
}

void frmPelto::Label1_Click() {
    FinishRecordingBeforeExit();
    mdlFunctions::CloseAllDevices();
    T.stop();
    WindowUtils::EndProgram();
}

void frmPelto::mnuOpen_Click() {
    RunModalAndRefocus(*this, [this] { cmdOpen_Click(); });
}
void frmPelto::mnuPlay_Click() {
    cmdPlaym_Click();
}
void frmPelto::mnuStop_Click() {
    cmdStop_Click();
}

// The step operations play from the new position; pausing after them keeps a paused medium paused.
void frmPelto::mnuSkipRev_Click() {
    const bool paused = PausedOrStopped();
    mdlFunctions::StepBackSeconds(3);
    if (paused) mdlFunctions::PauseMovie();
}

void frmPelto::mnuSkipFwd_Click() {
    const bool paused = PausedOrStopped();
    mdlFunctions::StepForwardSeconds(3);
    if (paused) mdlFunctions::PauseMovie();
}

void frmPelto::mnuOpenClose_Click() {
    const QString root = WindowUtils::FindCdDrive();
    const QString media = QFile::decodeName(QByteArray::fromStdString(mdlFunctions::MediaFile()));
    const bool onDrive = !media.isEmpty() && media.contains(root, Qt::CaseInsensitive);
    const bool busy = mdlFunctions::IsPlayingOrPaused();
    if (onDrive && busy) return;  // the disc in use is not ejected
    if (!mnuOpenClose->isChecked()) {
        mdlFunctions::OpenCdDoor();
        mnuOpenClose->setChecked(true);
    } else {
        mdlFunctions::CloseCdDoor();
        mnuOpenClose->setChecked(false);
    }
}

void frmPelto::mnuSlow1_Click() {
    mdlFunctions::SetSpeed(600);
}
void frmPelto::mnuNormal_Click() {
    mdlFunctions::SetSpeed(0);
}
void frmPelto::mnuFatser1_Click() {
    mdlFunctions::SetSpeed(1600);
}
void frmPelto::mnuVolUp_Click() {
    StepVolume(*this, +1);
}
void frmPelto::mnuVolDwon_Click() {
    StepVolume(*this, -1);
}
void frmPelto::mnuMute_Click() {
    lblMute_Click();
}
void frmPelto::mnuRepeat_Click() {
    mnuRepeat->setChecked(!mnuRepeat->isChecked());
}
void frmPelto::mnuMinimise_Click() {
    SetWindowStateValue(1);
}

void frmPelto::mnuAlwaysOnTop_Click() {
    const bool on = !mnuAlwaysOnTop->isChecked();
    WindowUtils::SetTopmost(this, on);
    mnuAlwaysOnTop->setChecked(on);
}

void frmPelto::mnuAbout_Click() {
    ShowBoxAndRefocus(*this,
                      QStringLiteral("Pelto Ver %1.%2.%3")
                          .arg(PELTO_VERSION_MAJOR)
                          .arg(PELTO_VERSION_MINOR)
                          .arg(PELTO_VERSION_REVISION),
                      QStringLiteral("PeltoSE, a small media player."));
}

void frmPelto::mnuExit_Click() {
    Label1_Click();
}
