// Keyboard commands, the popup menu and the small commands of the top row.

#include <QApplication>
#include <QKeyEvent>
#include <QScreen>

#include "Twips.h"
#include "WindowUtils.h"
#include "frmPelto.h"
#include "mdlFunctions.h"

void frmPelto::KeyTrace(qint16& KeyCode) {
    switch (KeyCode) {
        case 32: cmdPlaym_Click(); break;
        case 79: cmdOpen_Click(); break;
        case 81: mnuExit_Click(); break;
        case 82:
            if (!mdlFunctions::IsPlayingOrPaused()) mdlFunctions::ToggleRecording();
            break;
        case 83: cmdStop_Click(); break;
        case 77: lblMute_Click(); break;
        default: break;
    }
}

void frmPelto::Form_KeyDown(qint16 KeyCode, qint16 /*Shift*/) { KeyTrace(KeyCode); }

void frmPelto::Form_MouseDown(qint16 Button, qint16 /*Shift*/, float /*X*/, float /*Y*/) {
    if (Button == 2) {
        mnuStart->popup(QCursor::pos());
    } else if (Button == 4) {
        cmdPlaym_Click();
    } else if (Button == 1 && !mdlFunctions::IsPlayingOrPaused()) {
        cmdOpen_Click();
    }
}

void frmPelto::Form_MouseMove(qint16 Button, qint16 /*Shift*/, float /*X*/, float Y) {
    if (Button == 1 && !mnuFullscreen->isChecked()) WindowUtils::DragWindow(this);
    if (Twips::ScreenWidth() >= 12000.0f && mnuFullscreen->isChecked()) TrackPointerInFullScreen(Y);
}

void frmPelto::Form_DblClick() { mnuFullscreen_Click(); }

void frmPelto::lblMute_Click() {
    if (lblMute->Caption() == QStringLiteral("O")) {
        mdlFunctions::MuteAudio();
        lblMute->SetCaption(QStringLiteral("\u00D8"));
        mnuMute->setChecked(true);
    } else {
        mdlFunctions::UnmuteAudio();
        lblMute->SetCaption(QStringLiteral("O"));
        mnuMute->setChecked(false);
    }
}

void frmPelto::Label1_Click() {
    FinishRecordingBeforeExit();
    mdlFunctions::CloseAllDevices();
    T.stop();
    WindowUtils::EndProgram();
}

void frmPelto::mnuOpen_Click() { cmdOpen_Click(); }
void frmPelto::mnuPlay_Click() { cmdPlaym_Click(); }
void frmPelto::mnuSkipRev_Click() {}
void frmPelto::mnuSkipFwd_Click() {}
void frmPelto::mnuStop_Click() { cmdStop_Click(); }
void frmPelto::mnuOpenClose_Click() {}
void frmPelto::mnuSlow1_Click() {}
void frmPelto::mnuNormal_Click() {}
void frmPelto::mnuFatser1_Click() {}
void frmPelto::mnuVolUp_Click() {}
void frmPelto::mnuVolDwon_Click() {}
void frmPelto::mnuMute_Click() { lblMute_Click(); }
void frmPelto::mnuRepeat_Click() { mnuRepeat->setChecked(!mnuRepeat->isChecked()); }
void frmPelto::mnuMinimise_Click() { SetWindowStateValue(1); }
void frmPelto::mnuAlwaysOnTop_Click() {}
void frmPelto::mnuAbout_Click() {}
void frmPelto::mnuExit_Click() { Label1_Click(); }
