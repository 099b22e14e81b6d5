#pragma once
// The window state that the media operations read and write. The windows implement it; the media
// layer never includes a window class, so it is tested without windows.

#include <QString>
#include <QtGlobal>

class MediaWindowState {
  public:
    virtual ~MediaWindowState() = default;

    // frmPelto
    virtual int MainWindowState() const = 0;  // 0 normal, 1 minimised, 2 maximised
    virtual void SetMainCaption(const QString& caption) = 0;
    virtual QString VolumeCaption() const = 0;  // lblVolume
    virtual QString MuteCaption() const = 0;    // lblMute: "O" sound on, "Ø" muted
    virtual QString RecCaption() const = 0;     // lblRec
    virtual void SetRecCaption(const QString& caption) = 0;
    virtual void SetRecBackColor(quint32 oleColor) = 0;
    virtual void SetMainStatus(const QString& text) = 0;  // lblStatus

    // frmBase (referring to it creates it, hidden)
    virtual void SetCompactStatus(const QString& text) = 0;  // frmBase.lblStatus
    // imgMute shows frmBase.Icon (muted) or frmBase.MouseIcon (sound on).
    virtual void ShowCompactMutePicture(bool muted) = 0;
};
