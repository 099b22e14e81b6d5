// The keyboard command dispatcher KeyTrace and the commands that only keys reach: seek steps,
// extra speeds, quit-and-remember, resume, the recorder key, fit to picture, the control bar.

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>

#include "FileNames.h"
#include "ModalBox.h"
#include "PeltoSettings.h"
#include "Twips.h"
#include "WindowUtils.h"
#include "compact/frmBase.h"
#include "frmPelto.h"
#include "mdlFunctions.h"
#include "mdlMWheel.h"

namespace {

const QString kSoundOn = QStringLiteral("O");
const QString kCannotOpen = QString::fromLatin1(mdlFunctions::kCannotOpen);

using mdlFunctions::Number;

// Twips as a single-precision number's plain decimal text: "2880", "1309.091", never an exponent
// or padding zeros.
QString DecimalText(double value) {
    const auto single = static_cast<float>(value);
    if (single == std::floor(single) && std::abs(single) < 1e15f)
        return QString::number(static_cast<qint64>(single));
    const auto wholeDigits = static_cast<int>(QString::number(static_cast<qint64>(std::abs(single))).size());
    QString text = QString::number(single, 'f', std::max(0, 7 - wholeDigits));
    while (text.endsWith(QLatin1Char('0'))) text.chop(1);
    if (text.endsWith(QLatin1Char('.'))) text.chop(1);
    return text;
}

void Save(const char* key, const QString& value) {
    PeltoSettings::SaveSetting(QString::fromLatin1(key), value);
}
QString Setting(const char* key) {
    return PeltoSettings::GetSetting(QString::fromLatin1(key));
}

// Seeks with the playing/paused rule; the step operations play from the new position.
void SeekStep(frmPelto& f, const std::function<void()>& step) {
    mdlMWheel::SeekStep(!f.PausedOrStopped(), f.lblMute->Caption() == kSoundOn, step);
}
void SecondsBack(frmPelto& f, qint32 n) {
    SeekStep(f, [n] { mdlFunctions::StepBackSeconds(n); });
}
void SecondsForward(frmPelto& f, qint32 n) {
    SeekStep(f, [n] { mdlFunctions::StepForwardSeconds(n); });
}
void FrameBack(frmPelto& f) {
    SeekStep(f, [] { mdlFunctions::StepBackFrames(1); });
}
void FrameForward(frmPelto& f) {
    SeekStep(f, [] { mdlFunctions::StepForwardFrames(1); });
}

void QuitAndRemember(frmPelto& f) {
    if (!mdlFunctions::IsPlayingOrPaused()) return;
    mdlFunctions::PauseMovie();
    Save("Res", QString::number(mdlFunctions::GetPositionSeconds()));
    Save("File", f.CurrentFile);
    // In full screen the normal rectangle kept for leaving it is what a resume should restore.
    if (f.mnuFullscreen->isChecked()) {
        Save("mLeft", DecimalText(f.RestoreLeft));
        Save("mTop", DecimalText(f.RestoreTop));
        Save("Width", DecimalText(f.RestoreWidth));
        Save("Height", DecimalText(f.RestoreHeight));
        Save("FullScreen", QStringLiteral("2"));
    } else {
        Save("mLeft", DecimalText(f.Left()));
        Save("mTop", DecimalText(f.Top()));
        Save("Width", DecimalText(f.Width()));
        Save("Height", DecimalText(f.Height()));
        Save("FullScreen", QStringLiteral("1"));
    }
    f.FinishRecordingBeforeExit();
    mdlFunctions::CloseAllDevices();
    f.T.stop();
    WindowUtils::EndProgram();
}

void RestoreWindowed(frmPelto& f) {
    if (f.mnuFullscreen->isChecked()) f.mnuFullscreen_Click();
    // A value that is no number leaves that one property as it is.
    if (auto v = Number(Setting("Width"))) f.SetWidth(static_cast<float>(*v));
    if (auto v = Number(Setting("Height"))) f.SetHeight(static_cast<float>(*v));
    if (auto v = Number(Setting("mLeft"))) f.SetLeft(static_cast<float>(*v));
    if (auto v = Number(Setting("mTop"))) f.SetTop(static_cast<float>(*v));
}

void RestoreFullScreen(frmPelto& f) {
    if (!f.mnuFullscreen->isChecked()) f.mnuFullscreen_Click();
    if (auto v = Number(Setting("mLeft"))) f.RestoreLeft = static_cast<float>(*v);
    if (auto v = Number(Setting("mTop"))) f.RestoreTop = static_cast<float>(*v);
    if (auto v = Number(Setting("Height"))) f.RestoreHeight = static_cast<float>(*v);
    if (auto v = Number(Setting("Width"))) f.RestoreWidth = static_cast<float>(*v);
}

void Resume(frmPelto& f) {
    const QString status = f.lblStatus->Caption();
    if (status == QStringLiteral("Playing") || status == QStringLiteral("Paused") ||
        status == QStringLiteral("Recording")) {
        ShowBoxAndRefocus(f, QStringLiteral("Resume Movie"),
                          QStringLiteral("Please Stop Playback/Recording"));
        return;
    }
    f.lblTime->SetCaption(Setting("Res"));
    f.CurrentFile = Setting("File");
    // Keys never written are no number: the window is brought back to normal.
    const auto fullScreen = Number(Setting("FullScreen"));
    if (!fullScreen || *fullScreen == 1)
        RestoreWindowed(f);
    else
        RestoreFullScreen(f);
    f.lblStatus->SetCaption(f.CurrentFile);
    if (f.lblTime->Caption().isEmpty()) return;
    mdlFunctions::SetMediaFile(FileNames::Encode(f.lblStatus->Caption()).toStdString());
    mdlFunctions::OpenMovie(static_cast<quintptr>(f.FrameVideo->winId()), "child");
    if (auto seconds = mdlFunctions::WholeNumber(f.lblTime->Caption()))
        mdlFunctions::StepForwardSeconds(*seconds);
    f.lblTime->SetCaption(mdlFunctions::PositionText());
    f.lblStatus->SetCaption(mdlFunctions::GetMovieMode());
    f.Base().lblStatus->SetCaption(f.lblStatus->Caption());
    f.LoadMedia(FileNames::Decode(QByteArray::fromStdString(mdlFunctions::MediaFile())), true);
    // A remembered file that is gone or refused must not read as an empty, armed player.
    if (mdlFunctions::LastOpenFailed()) {
        f.lblStatus->SetCaption(kCannotOpen);
        f.Base().lblStatus->SetCaption(kCannotOpen);
    }
    if (f.MainWindowState() == 2) {
        WindowUtils::SetScreenPointer(0);
        f.Form_Resize();
    } else {
        mdlFunctions::PlaceMovieWindow(0, 0, Twips::ToPixelsX(Twips::Width(f.FrameVideo)),
                                       Twips::ToPixelsY(Twips::Height(f.FrameVideo)));
    }
}

void FitToPicture(frmPelto& f) {
    if (f.MainWindowState() == 2) return;
    mdlFunctions::GetSourceSize(f.SourceWidth, f.SourceHeight);
    if (f.SourceWidth != 0)
        f.SizeWindowToVideo(f.SourceHeight, f.SourceWidth);
    else
        f.SizeWindowForAudio();
}

void ShowControlBar(frmPelto& f) {
    if (!f.mnuFullscreen->isChecked()) return;
    auto y = static_cast<float>(Twips::ScreenHeight(&f));
    f.TrackPointerInFullScreen(y);
}

}  // namespace

// One case per key of the command table: splitting it would only hide the table.
// NOLINTNEXTLINE(readability-function-size)
void frmPelto::KeyTrace(qint16& KeyCode) {
    switch (KeyCode) {
        case 13:
        case 70:
            mnuFullscreen_Click();
            break;
        case 27:
            QuitAndRemember(*this);
            break;
        case 32:
        case 80:
        case 179:
            cmdPlaym_Click();
            break;
        case 37:
            mnuSkipRev_Click();
            break;
        case 38:
            mnuVolUp_Click();
            break;
        case 39:
            mnuSkipFwd_Click();
            break;
        case 40:
            mnuVolDwon_Click();
            break;
        case 46:
        case 77:
            lblMute_Click();
            break;
        case 49:
            mnuNormal_Click();
            break;
        case 50:
            mnuFatser1_Click();
            break;
        case 51:
            mdlFunctions::SetSpeed(2200);
            break;
        case 52:
            mdlFunctions::SetSpeed(300);
            break;
        case 53:
            mdlFunctions::SetSpeed(150);
            break;
        case 54:
            mdlFunctions::SetSpeed(75);
            break;
        case 55:
            mdlFunctions::SetSpeed(15);
            break;
        case 65:
            mnuAlwaysOnTop_Click();
            break;
        case 67:
            Resume(*this);
            break;
        case 72:
            mnuAbout_Click();
            break;
        case 74:
            mnuOpenClose_Click();
            break;
        case 76:
            mnuRepeat_Click();
            break;
        case 79:
            RunModalAndRefocus(*this, [this] { cmdOpen_Click(); });
            break;
        case 81:
        case 115:
            mnuExit_Click();
            break;
        case 82:
            // No recording while a medium plays or is paused.
            if (!mdlFunctions::IsPlayingOrPaused()) mdlFunctions::ToggleRecording();
            break;
        case 83:
        case 178:
            cmdStop_Click();
            break;
        case 87:
            ShowControlBar(*this);
            break;
        case 90:
            mnuMinimise_Click();
            break;
        case 97:
        case 177:
            SecondsBack(*this, 15);
            break;
        case 99:
        case 176:
            SecondsForward(*this, 15);
            break;
        case 100:
            SecondsBack(*this, 30);
            break;
        case 102:
            SecondsForward(*this, 30);
            break;
        case 103:
            SecondsBack(*this, 60);
            break;
        case 105:
            SecondsForward(*this, 60);
            break;
        case 112:
            FitToPicture(*this);
            break;
        case 188:
            FrameBack(*this);
            break;
        case 190:
            FrameForward(*this);
            break;
        case 192:
            mnuSlow1_Click();
            break;
        default:
            break;
    }
}

void frmPelto::Form_KeyDown(qint16 KeyCode, qint16 /*Shift*/) {
    KeyTrace(KeyCode);
}
