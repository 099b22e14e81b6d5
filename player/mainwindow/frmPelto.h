#pragma once
// The main window: start-up and shutdown, opening media, transport and progress, video placement
// and full screen, keyboard and menu commands. Controls are public, as other windows and the
// keyboard/wheel code read and write them directly; handlers keep their event names.

#include <QFrame>
#include <QMenu>
#include <QString>
#include <QTimer>
#include <QWidget>

#include "CaptionLabel.h"
#include "MediaWindowState.h"
#include "OleColor.h"

class QKeyEvent;
class QMimeData;
class frmBase;
namespace ptSlider {
class ISlider;
}

class frmPelto : public QWidget, public MediaWindowState {
    Q_OBJECT

  public:
    explicit frmPelto(QWidget* parent = nullptr);
    ~frmPelto() override;

    // --- controls (design names) ---
    CaptionLabel* cmdOpen = nullptr;
    CaptionLabel* cmdPlaym = nullptr;
    CaptionLabel* cmdStop = nullptr;
    CaptionLabel* lblStatus = nullptr;
    CaptionLabel* lblTime = nullptr;
    CaptionLabel* lblTTime = nullptr;
    CaptionLabel* lblVolume = nullptr;
    CaptionLabel* lblRec = nullptr;
    CaptionLabel* lblMute = nullptr;
    CaptionLabel* Label1 = nullptr;
    QFrame* FrameVideo = nullptr;
    ptSlider::ISlider* Slider = nullptr;  // null when the slider library cannot be loaded
    QTimer T;                             // progress tick, 100 ms

    // Popup menu: mnuStart is the hidden root; its entries are shown on a right click.
    QMenu* mnuStart = nullptr;
    QAction* mnuOpen = nullptr;
    QAction* mnuPlay = nullptr;
    QAction* mnuSkipRev = nullptr;
    QAction* mnuSkipFwd = nullptr;
    QAction* mnuStop = nullptr;
    QAction* mnuSep2 = nullptr;
    QAction* mnuOpenClose = nullptr;
    QMenu* mnuFRate = nullptr;
    QAction* mnuSlow1 = nullptr;
    QAction* mnuNormal = nullptr;
    QAction* mnuFatser1 = nullptr;
    QMenu* mnuVol = nullptr;
    QAction* mnuVolUp = nullptr;
    QAction* mnuVolDwon = nullptr;
    QAction* mnuMute = nullptr;
    QAction* mnuSep1 = nullptr;
    QAction* mnuRepeat = nullptr;
    QAction* mnuFullscreen = nullptr;
    QAction* mnuMinimise = nullptr;
    QAction* mnuAlwaysOnTop = nullptr;
    QAction* mnuAbout = nullptr;
    QAction* mnuExit = nullptr;

    // --- fields ---
    QString CurrentFile;
    qint32 SourceWidth = 0;
    qint32 SourceHeight = 0;
    float RestoreLeft = 0;
    float RestoreTop = 0;
    float RestoreHeight = 0;
    float RestoreWidth = 0;
    qint16 ResizeGuard = 0;  // 0: swallow the next resize, 1: lay out, 2: ignore

    // --- start-up and shutdown (frmPelto_load.cpp) ---
    void Form_Load(const QString& commandLine);
    void Form_Unload();  // runs once, however the program ends
    // Unloads the window the way every exit route does (runs Form_Unload).
    void Unload();
    bool IsUnloaded() const { return unloaded_; }
    // A running recording is stopped and saved before the devices are closed on the way out.
    void FinishRecordingBeforeExit();

    // --- opening media (frmPelto_media.cpp) ---
    void LoadMedia(const QString& file, bool skipOpen);
    void cmdOpen_Click();
    // What the open dialog does with the path chosen; also for a file opened from outside.
    void OpenChosenFile(const QString& path);
    void Form_OLEDragDrop(const QMimeData& Data);
    // The open dialog; returns the chosen path or empty. Tests replace it.
    static QString (*OpenDialog)(QWidget* owner, const QString& startFolder);

    // --- transport and progress (frmPelto_transport.cpp) ---
    void cmdPlaym_Click();
    void cmdStop_Click();
    void lblRec_Click();
    // A recording runs: the record label says so by its caption or its colour (the recorder sets
    // both together).
    bool RecordingRuns() const;
    // The Play button's caption is exactly "Play": the medium is paused or stopped, and a seek or
    // step must leave it paused.
    bool PausedOrStopped() const;
    void T_Timer();
    void UpdateSeekBars();
    void Slider_Click();
    void Slider_MouseDown(int Shift);
    void Slider_MouseUp(int Shift);
    // Restarts the tick after a seek-bar drag (either window's bar).
    void ResumeTickAfterDrag();
    // Seeks to the bar's value (either window's bar); a paused medium stays paused.
    void SeekFromSlider(const ptSlider::ISlider* bar);

    // --- video placement and full screen (frmPelto_video.cpp) ---
    void Form_Resize();
    void ArrangeVideoArea();
    void SizeWindowToVideo(qint32& height, qint32& width);
    void SizeWindowForAudio();
    void mnuFullscreen_Click();
    void TrackPointerInFullScreen(float& y);

    // --- keyboard, menus and small commands (frmPelto_commands.cpp, frmPelto_keys.cpp) ---
    // A modal information box (title, text). Tests replace it.
    static void (*InfoBox)(QWidget* owner, const QString& title, const QString& text);
    void KeyTrace(qint16& KeyCode);
    void Form_KeyDown(qint16 KeyCode, qint16 Shift);
    void Form_MouseDown(qint16 Button, qint16 Shift, float X, float Y);
    void Form_MouseMove(qint16 Button, qint16 Shift, float X, float Y);
    void Form_DblClick();
    void lblMute_Click();
    void Label1_Click();
    void mnuOpen_Click();
    void mnuPlay_Click();
    void mnuSkipRev_Click();
    void mnuSkipFwd_Click();
    void mnuStop_Click();
    void mnuOpenClose_Click();
    void mnuSlow1_Click();
    void mnuNormal_Click();
    void mnuFatser1_Click();
    void mnuVolUp_Click();
    void mnuVolDwon_Click();
    void mnuMute_Click();
    void mnuRepeat_Click();
    void mnuMinimise_Click();
    void mnuAlwaysOnTop_Click();
    void mnuAbout_Click();
    void mnuExit_Click();

    // --- the compact window ---
    frmBase& Base();                               // creates it, hidden, on first reference
    frmBase* LoadedBase() const { return base_; }  // null when not loaded
    void UnloadBase();

    // --- window geometry in twips (frame rectangle) and state ---
    double Left() const;
    double Top() const;
    double Width() const;
    double Height() const;
    void SetLeft(double twips);
    void SetTop(double twips);
    void SetWidth(double twips);
    void SetHeight(double twips);
    double ScaleWidth() const;
    double ScaleHeight() const;
    void SetWindowStateValue(int state);  // 0 normal, 1 minimised, 2 full screen
    quint32 BackColor() const { return backColor_; }
    void SetBackColor(quint32 oleColor);
    // The window's own pointer: 0 default, 99 the invisible custom pointer.
    int MousePointer() const { return mousePointer_; }
    void SetMousePointer(int pointer);

    // --- MediaWindowState ---
    int MainWindowState() const override;
    void SetMainCaption(const QString& caption) override;
    QString VolumeCaption() const override;
    QString MuteCaption() const override;
    QString RecCaption() const override;
    void SetRecCaption(const QString& caption) override;
    void SetRecBackColor(quint32 oleColor) override;
    void SetMainStatus(const QString& text) override;
    void SetCompactStatus(const QString& text) override;
    void ShowCompactMutePicture(bool muted) override;

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    // Pointer moves over any control of the window, the engine's video window included.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void CreateControls();
    void CreateMenu();
    void CreateSeekBar();
    void PlaceControl(QWidget* control, int left, int top, int width, int height) const;
    double FrameWidthTwips() const;
    double FrameHeightTwips() const;
    void SetFrameTwips(double left, double top, double width, double height);
    void ResizedWhileHidden(const QSize& before);
    void SetEnabledTopRow(bool enabled);
    void SaveVolumeAndPosition();
    void SaveSettingsSoon();

    frmBase* base_ = nullptr;
    bool unloaded_ = false;
    bool fullScreen_ = false;
    quint32 backColor_ = OleColor::kButtonFace;
    int mousePointer_ = 0;
    // Volume and position are written a moment after they change, not only at the end: a program
    // that is killed keeps them too.
    QTimer settingsWriter_;
    bool settingsArmed_ = false;
};
