// Opening media: the open dialog, a dropped file, and LoadMedia, which every way of opening ends in.

#include <QFileDialog>
#include <QMimeData>

#include "FileNames.h"
#include "WindowUtils.h"
#include "compact/frmBase.h"
#include "frmPelto.h"
#include "mdlFunctions.h"
#include "ptSlider/ctlSlider.h"

namespace {

const QString kCannotOpen = QString::fromLatin1(mdlFunctions::kCannotOpen);

QString RunOpenDialog(QWidget* owner, const QString& startFolder) {
    const QStringList filters = {
        QStringLiteral("Media Files (*.mp3 *.dat *.avi *.mpeg *.mpg *.wav *.au *.mid *.midi *.wma *.wmv *.wm "
                       "*.asf)"),
        QStringLiteral("All Files (*)")};
    QFileDialog dialog(owner, QStringLiteral("Pelto\u2122 :: Open a file..."), startFolder);
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.first());
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::ReadOnly);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

}  // namespace

QString (*frmPelto::OpenDialog)(QWidget*, const QString&) = &RunOpenDialog;

void frmPelto::LoadMedia(const QString& file, bool skipOpen) {
    if (RecordingRuns()) return;
    mdlFunctions::SetMediaFile(FileNames::Encode(file).toStdString());
    if (mnuMute->isChecked()) mdlFunctions::MuteAudio();
    bool openFailed = false;
    if (!skipOpen) {
        mdlFunctions::OpenMovie(static_cast<quintptr>(FrameVideo->winId()), "child");
        openFailed = mdlFunctions::LastOpenFailed();
        mdlFunctions::GetSourceSize(SourceWidth, SourceHeight);
        if (MainWindowState() == 2) {
            Form_Resize();
            WindowUtils::SetScreenPointer(0);
        } else if (SourceWidth == 0) {
            SizeWindowForAudio();
        } else {
            SizeWindowToVideo(SourceHeight, SourceWidth);
        }
    }
    cmdPlaym->setEnabled(true);
    cmdStop->setEnabled(true);
    mnuPlay->setVisible(true);
    if (PausedOrStopped()) cmdPlaym->SetCaption(QStringLiteral("Pause"));
    T.start();
    // A length under one second cannot become a maximum (it must stay above the minimum): kept.
    if (Slider) Slider->setMax(mdlFunctions::GetLengthSeconds());
    if (ptSlider::ISlider* compact = Base().Slider) compact->setMax(mdlFunctions::GetLengthSeconds());
    mdlFunctions::PlayMovie();
    repaint();
    if (isVisible()) activateWindow();
    setFocus();
    lblTTime->SetCaption(mdlFunctions::LengthText());
    // A refused file would otherwise leave the status empty while the controls look armed.
    const QString mode = openFailed ? kCannotOpen : mdlFunctions::GetMovieMode();
    lblStatus->SetCaption(mode);
    Base().lblStatus->SetCaption(mode);
    // The control bar is made while loading, before the play its own load looks for: without this
    // it would say "No file loaded.." over a playing medium, or name the one before.
    Base().lblFileName->SetCaption(file);
}

void frmPelto::cmdOpen_Click() {
    const QString path = OpenDialog(this, WindowUtils::FindCdDrive() + QStringLiteral("mpegav/")).trimmed();
    if (path.isEmpty()) return;
    OpenChosenFile(path);
}

void frmPelto::OpenChosenFile(const QString& path) {
    lblStatus->SetCaption(path);
    CurrentFile = path;
    Base().lblFileName->SetCaption(CurrentFile);
    LoadMedia(CurrentFile, false);
}

void frmPelto::Form_OLEDragDrop(const QMimeData& Data) {
    const QStringList files = FileNames::DroppedFiles(Data);
    if (files.isEmpty()) return;  // only a file list opens anything
    CurrentFile = files.first();
    if (MainWindowState() != 2) LoadMedia(CurrentFile, false);
}
