// Transport and progress: Play/Pause, Stop, the record label, the 100 ms tick and the seek bar.

#include "WindowUtils.h"
#include "compact/frmBase.h"
#include "frmPelto.h"
#include "mdlFunctions.h"
#include "ptSlider/ctlSlider.h"

namespace {
const QString kStopped = QStringLiteral("Stopped");
const QString kPaused = QStringLiteral("Paused");
const QString kRecording = QStringLiteral("Recording");
const QString kPlay = QStringLiteral("Play");
// The mode word of a device whose stream broke (a decoding error, the sound server gone).
const QString kError = QStringLiteral("Error");
const QString kCannotOpen = QString::fromLatin1(mdlFunctions::kCannotOpen);
}  // namespace

// The status word can be overwritten while a recording runs (the open dialog writes the chosen
// path before the load is refused); the record label still tells.
bool frmPelto::RecordingRuns() const {
    return lblStatus->Caption() == kRecording || lblRec->Caption() != QStringLiteral("R");
}

void frmPelto::cmdPlaym_Click() {
    if (CurrentFile.isEmpty()) return;
    const QString status = lblStatus->Caption();
    // Pausing here would overwrite "Recording" and leave the recording unreachable by Stop.
    if (RecordingRuns()) return;
    // After a stream error only a fresh open can play the file again.
    if (status == kStopped || status == kCannotOpen || status == kError) {
        LoadMedia(CurrentFile, false);
        if (lblStatus->Caption() == kCannotOpen) return;
    } else if (status == kPaused) {
        mdlFunctions::ResumeMovie();
        cmdPlaym->SetCaption(QStringLiteral("Pause"));
    } else {
        mdlFunctions::PauseMovie();
        cmdPlaym->SetCaption(kPlay);
    }
    lblStatus->SetCaption(mdlFunctions::GetMovieMode());
}

void frmPelto::cmdStop_Click() {
    const QString status = lblStatus->Caption();
    if (status == kStopped) return;
    // Closing every device would throw the recording away: save it instead.
    if (RecordingRuns()) {
        mdlFunctions::ToggleRecording();
        return;
    }
    mdlFunctions::StopMovie();
    WindowUtils::SetScreenPointer(1);
    if (Slider) Slider->setValue(0);
    if (ptSlider::ISlider* compact = Base().Slider) compact->setValue(0);
    lblTime->SetCaption(QStringLiteral("0:00"));
    T.stop();
    // A medium that never opened reports no mode; it is stopped all the same, and Play retries it.
    const QString mode = mdlFunctions::GetMovieMode();
    lblStatus->SetCaption(mode.isEmpty() ? kStopped : mode);
    Base().lblStatus->SetCaption(lblStatus->Caption());
    cmdPlaym->SetCaption(kPlay);
    mdlFunctions::CloseAllDevices();
    Form_Resize();
}

void frmPelto::lblRec_Click() {
    if (!mdlFunctions::IsPlayingOrPaused()) mdlFunctions::ToggleRecording();
}

void frmPelto::T_Timer() {
    lblTime->SetCaption(mdlFunctions::PositionText());
    // A refused medium has no mode; keep saying why rather than blanking the word.
    const QString mode = mdlFunctions::GetMovieMode();
    Base().lblStatus->SetCaption(mode.isEmpty() && lblStatus->Caption() == kCannotOpen ? kCannotOpen : mode);
    Base().lblTime->SetCaption(lblTime->Caption() + QStringLiteral(" / ") + lblTTime->Caption());
    UpdateSeekBars();
    // A broken stream never reaches its end: stop polling and say so in both labels.
    if (mode == kError) {
        T.stop();
        lblStatus->SetCaption(mode);
        cmdPlaym->SetCaption(kPlay);
        return;
    }
    if (lblTTime->Caption() == QStringLiteral("0:00")) {
        T.stop();
        return;
    }
    const qint32 position = mdlFunctions::GetPositionMs();
    const qint32 length = mdlFunctions::GetLengthMs();
    // The total label says the medium has a length, the device says none: no medium is open any
    // more (Stop closed it, and a recording may run since). That is no end to loop or stop at.
    if (length == 0) {
        T.stop();
        return;
    }
    if (position >= length && mnuRepeat->isChecked()) {
        mdlFunctions::RewindToStart();
        return;
    }
    if (mdlFunctions::GetPositionMs() >= mdlFunctions::GetLengthMs() && !mnuRepeat->isChecked())
        cmdStop_Click();
}

void frmPelto::UpdateSeekBars() {
    // An out-of-range position fails on the main bar and skips the compact bar for this tick.
    const int main = Slider ? Slider->setValue(mdlFunctions::GetPositionSeconds()) : 0;
    if (main != 0) return;
    const qint32 seconds = mdlFunctions::GetPositionSeconds();
    if (ptSlider::ISlider* compact = Base().Slider) compact->setValue(seconds);
}

void frmPelto::Slider_MouseDown(int /*Shift*/) {
    T.stop();
}

void frmPelto::Slider_Click() {
    const bool paused = cmdPlaym->Caption() == kPlay;
    mdlFunctions::SeekToSeconds(Slider ? Slider->Value() : 0);
    if (paused) mdlFunctions::PauseMovie();
}

void frmPelto::Slider_MouseUp(int /*Shift*/) {
    Slider_Click();
    ResumeTickAfterDrag();
}

void frmPelto::ResumeTickAfterDrag() {
    // After Stop the device is closed: a tick would find the end at once and go on doing so,
    // sending its commands every 100 ms for ever.
    if (lblStatus->Caption() != kStopped) T.start();
}
