#pragma once
#include <QStringList>

#include "MediaWindowState.h"
#include "mdlFunctions.h"

// Window state as plain fields, with a log of the writes in order.
struct FakeWindowState : MediaWindowState {
    int windowState = 0;
    QString caption = QStringLiteral("Pelto SE");
    QString volume = QStringLiteral("80");
    QString mute = QStringLiteral("O");
    QString rec = QStringLiteral("R");
    quint32 recColor = mdlFunctions::kButtonFace;
    QString status = QStringLiteral("Status:");
    QString compactStatus = QStringLiteral("Status:");
    int mutePicture = -1;  // -1 never set, 0 sound on, 1 muted
    QStringList writes;

    int MainWindowState() const override { return windowState; }
    void SetMainCaption(const QString& c) override { caption = c, writes << "caption=" + c; }
    QString VolumeCaption() const override { return volume; }
    QString MuteCaption() const override { return mute; }
    QString RecCaption() const override { return rec; }
    void SetRecCaption(const QString& c) override { rec = c, writes << "lblRec=" + c; }
    void SetRecBackColor(quint32 c) override {
        recColor = c, writes << "lblRec.BackColor=" + QString::number(c, 16);
    }
    void SetMainStatus(const QString& t) override { status = t, writes << "lblStatus=" + t; }
    void SetCompactStatus(const QString& t) override {
        compactStatus = t, writes << "frmBase.lblStatus=" + t;
    }
    void ShowCompactMutePicture(bool muted) override { mutePicture = muted ? 1 : 0; }
};
