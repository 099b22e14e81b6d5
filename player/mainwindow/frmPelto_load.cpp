// Construction of the main window, start-up (Form_Load), shutdown (Form_Unload) and the window
// state that the media operations reach through MediaWindowState.

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <optional>

#include "FrameKeeper.h"
#include "Icons.h"
#include "OleColor.h"
#include "PeltoSettings.h"
#include "SliderHost.h"
#include "Twips.h"
#include "WindowUtils.h"
#include "compact/frmBase.h"
#include "frmPelto.h"
#include "mdlFunctions.h"
#include "mdlMWheel.h"
#include "ptSlider/ControlHost.h"

namespace {

constexpr double kDesignLeft = 2880;
constexpr double kDesignTop = 2160;
// Long enough that a drag or a held volume key writes once, short enough to lose nothing.
constexpr int kSettingsDelayMs = 500;
constexpr double kDesignWidth = 4740;
constexpr double kDesignHeight = 915;

QFont ArialFont(bool bold) {
    QFont f;
    f.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    f.setPointSizeF(8.25);
    f.setBold(bold);
    return f;
}

using mdlFunctions::Number;

}  // namespace

frmPelto::frmPelto(QWidget* parent) : QWidget(parent) {
    setProperty("peltoForm", true);
    setWindowTitle(QStringLiteral("Pelto SE"));
    setFont(ArialFont(false));
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(true);
    setMouseTracking(true);
    setAutoFillBackground(true);
    SetBackColor(OleColor::kButtonFace);
    Twips::SetRect(this, kDesignLeft, kDesignTop, kDesignWidth, kDesignHeight);
    CreateControls();
    CreateMenu();
    CreateSeekBar();
    qApp->installEventFilter(this);
    new FrameKeeper(this, [this] { return MainWindowState() == 0; });
    T.setInterval(100);
    connect(&T, &QTimer::timeout, this, [this] { T_Timer(); });
}

frmPelto::~frmPelto() {
    delete base_;
}

void frmPelto::PlaceControl(QWidget* control, int left, int top, int width, int height) const {
    Twips::SetRect(control, left, top, width, height);
}

void frmPelto::CreateControls() {
    auto label = [this](const QString& caption, const QString& tip, int l, int t, int w, int h) {
        auto* c = new CaptionLabel(caption, this);
        c->setToolTip(tip);
        PlaceControl(c, l, t, w, h);
        return c;
    };
    cmdOpen = label(QStringLiteral("&Open"), QStringLiteral("Open a file"), 30, 0, 405, 195);
    cmdPlaym = label(QStringLiteral("&Play"), QStringLiteral("Pause"), 615, 0, 315, 195);
    cmdStop = label(QStringLiteral("&Stop"), QStringLiteral("Stop Movie"), 1185, 0, 345, 195);
    lblStatus = label(QStringLiteral("Status:"), QStringLiteral("Player Status"), 1755, 0, 510, 195);
    lblTime = label(QStringLiteral("Time"), QStringLiteral("Time elapsed"), 2565, 0, 375, 195);
    lblTTime = label(QStringLiteral("Total"), QStringLiteral("Total Time"), 3135, 0, 375, 195);
    lblVolume = label(QStringLiteral("180"), QStringLiteral("Volume Level"), 3615, 0, 285, 195);
    lblRec = label(QStringLiteral("R"), QStringLiteral("Sound Recorder"), 4005, 0, 105, 210);
    lblMute = label(QStringLiteral("O"), QStringLiteral("Toggle mute"), 4200, 0, 135, 210);
    Label1 = label(QStringLiteral("X"), QStringLiteral("Quit Pelto"), 4365, 0, 135, 210);
    for (CaptionLabel* c : {lblRec, lblMute, Label1}) c->setFont(ArialFont(true));
    lblRec->SetBackColor(OleColor::kButtonFace);
    cmdPlaym->setEnabled(false);
    cmdStop->setEnabled(false);

    connect(cmdOpen, &CaptionLabel::Click, this, [this] { cmdOpen_Click(); });
    connect(cmdPlaym, &CaptionLabel::Click, this, [this] { cmdPlaym_Click(); });
    connect(cmdStop, &CaptionLabel::Click, this, [this] { cmdStop_Click(); });
    connect(lblRec, &CaptionLabel::Click, this, [this] { lblRec_Click(); });
    connect(lblMute, &CaptionLabel::Click, this, [this] { lblMute_Click(); });
    connect(Label1, &CaptionLabel::Click, this, [this] { Label1_Click(); });

    FrameVideo = new QFrame(this);
    FrameVideo->setFrameShape(QFrame::NoFrame);
    FrameVideo->setAutoFillBackground(true);
    FrameVideo->setMouseTracking(true);
    FrameVideo->setAttribute(Qt::WA_NativeWindow);
    PlaceControl(FrameVideo, -100, 200, 4620, 135);
    FrameVideo->raise();  // a windowed control lies above the labels: in full screen it covers the top row
}

void frmPelto::CreateMenu() {
    mnuStart = new QMenu(this);
    auto entry = [this](QMenu* menu, const QString& caption, void (frmPelto::*handler)(),
                        bool checkable = false) {
        QAction* a = menu->addAction(caption);
        a->setCheckable(checkable);
        connect(a, &QAction::triggered, this, [this, a, handler, checkable] {
            // The handler owns the check mark; undo the toggle the menu made on its own.
            if (checkable) a->setChecked(!a->isChecked());
            (this->*handler)();
        });
        return a;
    };
    mnuOpen = entry(mnuStart, QStringLiteral("&Open          O"), &frmPelto::mnuOpen_Click);
    mnuPlay = entry(mnuStart, QStringLiteral("&Play/Pause Space"), &frmPelto::mnuPlay_Click);
    mnuPlay->setVisible(false);
    mnuSkipRev = entry(mnuStart, QStringLiteral("<<              <-"), &frmPelto::mnuSkipRev_Click);
    mnuSkipFwd = entry(mnuStart, QStringLiteral(">>               ->"), &frmPelto::mnuSkipFwd_Click);
    mnuStop = entry(mnuStart, QStringLiteral("&Stop           S"), &frmPelto::mnuStop_Click);
    mnuSep2 = mnuStart->addSeparator();
    mnuOpenClose =
        entry(mnuStart, QStringLiteral("Eject CD           J"), &frmPelto::mnuOpenClose_Click, true);
    mnuFRate = mnuStart->addMenu(QStringLiteral("Frame rate"));
    mnuSlow1 = entry(mnuFRate, QStringLiteral("Slow       `"), &frmPelto::mnuSlow1_Click);
    mnuNormal = entry(mnuFRate, QStringLiteral("Normal   1"), &frmPelto::mnuNormal_Click);
    mnuFatser1 = entry(mnuFRate, QStringLiteral("Faster    2"), &frmPelto::mnuFatser1_Click);
    mnuVol = mnuStart->addMenu(QStringLiteral("Volume"));
    mnuVolUp = entry(mnuVol, QStringLiteral("Increase      Up Arrow"), &frmPelto::mnuVolUp_Click);
    mnuVolDwon = entry(mnuVol, QStringLiteral("Decrease       Down Arrow"), &frmPelto::mnuVolDwon_Click);
    mnuMute = entry(mnuVol, QStringLiteral("&Mute             M"), &frmPelto::mnuMute_Click, true);
    mnuSep1 = mnuStart->addSeparator();
    mnuRepeat = entry(mnuStart, QStringLiteral("&Loop                 L"), &frmPelto::mnuRepeat_Click, true);
    mnuFullscreen =
        entry(mnuStart, QStringLiteral("&Fullscreen         F"), &frmPelto::mnuFullscreen_Click, true);
    mnuMinimise = entry(mnuStart, QStringLiteral("Minimise            Z"), &frmPelto::mnuMinimise_Click);
    mnuAlwaysOnTop =
        entry(mnuStart, QStringLiteral("&Always on top  A"), &frmPelto::mnuAlwaysOnTop_Click, true);
    mnuAbout = entry(mnuStart, QStringLiteral("About               H"), &frmPelto::mnuAbout_Click);
    mnuExit = entry(mnuStart, QStringLiteral("Qu&it                  Q"), &frmPelto::mnuExit_Click);
}

void frmPelto::CreateSeekBar() {
    ptSlider::MemoryPropertyBag design;
    design.Set(QStringLiteral("Max"), 1);
    design.Set(QStringLiteral("SliderIcon"), Icons::Thumb(8, 10));  // as high as the bar
    Slider = SliderHost::Create(this, &design);
    if (!Slider) return;
    PlaceControl(Slider->widget(), 0, 360, 4580, 150);
    Slider->widget()->show();
    auto* events = new SliderEvents(Slider, this);
    events->onClick = [this] { Slider_Click(); };
    events->onMouseDown = [this](int shift) { Slider_MouseDown(shift); };
    events->onMouseUp = [this](int shift) { Slider_MouseUp(shift); };
}

void frmPelto::Form_Load(const QString& commandLine) {
    mdlMWheel::InstallWheelHook(this, {[this] { return PausedOrStopped(); },
                                       [this] { return lblMute->Caption() == QStringLiteral("O"); }});
    if (auto top = Number(PeltoSettings::GetSetting(QStringLiteral("Top"))); top && *top > 0) SetTop(*top);
    if (auto left = Number(PeltoSettings::GetSetting(QStringLiteral("Left"))); left && *left > 0)
        SetLeft(*left);
    lblVolume->SetCaption(PeltoSettings::GetSetting(QStringLiteral("Vol")));
    if (lblVolume->Caption().isEmpty()) lblVolume->SetCaption(QStringLiteral("80"));
    RestoreLeft = static_cast<float>(Left());
    RestoreTop = static_cast<float>(Top());
    RestoreWidth = static_cast<float>(Width());
    RestoreHeight = static_cast<float>(Height());
    if (!commandLine.isEmpty()) {
        CurrentFile = commandLine;
        LoadMedia(CurrentFile, false);
    }
    if (auto volume = Number(lblVolume->Caption()))
        mdlFunctions::SetVolume(mdlFunctions::RoundHalfEven(*volume * 10));
    settingsWriter_.setSingleShot(true);
    settingsWriter_.setInterval(kSettingsDelayMs);
    connect(&settingsWriter_, &QTimer::timeout, this, &frmPelto::SaveVolumeAndPosition);
    connect(lblVolume, &CaptionLabel::CaptionChanged, this, &frmPelto::SaveSettingsSoon);
    settingsArmed_ = true;
}

void frmPelto::SaveSettingsSoon() {
    if (settingsArmed_ && !unloaded_) settingsWriter_.start();
}

void frmPelto::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    SaveSettingsSoon();
}

void frmPelto::SaveVolumeAndPosition() {
    PeltoSettings::SaveSetting(QStringLiteral("Vol"), lblVolume->Caption());
    PeltoSettings::SaveSetting(QStringLiteral("Left"), QString::number(Left()));
    PeltoSettings::SaveSetting(QStringLiteral("Top"), QString::number(Top()));
}

void frmPelto::FinishRecordingBeforeExit() {
    if (RecordingRuns()) mdlFunctions::ToggleRecording();
}

void frmPelto::Form_Unload() {
    FinishRecordingBeforeExit();
    mdlFunctions::CloseAllDevices();
    T.stop();
    settingsWriter_.stop();
    SaveVolumeAndPosition();
    WindowUtils::EndProgram();
}

void frmPelto::Unload() {
    if (!unloaded_) close();
}

void frmPelto::closeEvent(QCloseEvent* event) {
    if (!unloaded_) {
        unloaded_ = true;
        UnloadBase();
        Form_Unload();
    }
    event->accept();
}

frmBase& frmPelto::Base() {
    if (!base_) base_ = new frmBase(*this);
    return *base_;
}

void frmPelto::UnloadBase() {
    if (!base_) return;
    frmBase* gone = base_;
    base_ = nullptr;
    const bool hadKeyboard = gone->isActiveWindow();
    gone->hide();
    gone->deleteLater();  // it may be unloading itself from its own timer
    // A clicked strip took the keyboard; without a window manager nobody hands it back, and the
    // keys would go wherever the pointer happens to be.
    if (hadKeyboard && isVisible() && !unloaded_) activateWindow();
}

// --- geometry ---

double frmPelto::Left() const {
    return Twips::Left(this);
}
double frmPelto::Top() const {
    return Twips::Top(this);
}
double frmPelto::Width() const {
    return Twips::Width(this);
}
double frmPelto::Height() const {
    return Twips::Height(this);
}
void frmPelto::SetLeft(double twips) {
    Twips::SetLeft(this, twips);
}
void frmPelto::SetTop(double twips) {
    Twips::SetTop(this, twips);
}
void frmPelto::SetWidth(double twips) {
    const QSize before = size();
    Twips::SetWidth(this, twips);
    ResizedWhileHidden(before);
}
void frmPelto::SetHeight(double twips) {
    const QSize before = size();
    Twips::SetHeight(this, twips);
    ResizedWhileHidden(before);
}
void frmPelto::ResizedWhileHidden(const QSize& before) {
    // Qt holds a hidden window's resize events back and merges them into one at show; the
    // window's own size changes raise theirs at once, shown or not, as the resize guard expects.
    if (!isVisible() && size() != before) Form_Resize();
}
double frmPelto::ScaleWidth() const {
    return width() * Twips::PerPixelX();
}
double frmPelto::ScaleHeight() const {
    return height() * Twips::PerPixelY();
}

void frmPelto::SetWindowStateValue(int state) {
    // Minimising keeps full screen: restoring the window returns to it.
    if (state != 1) fullScreen_ = state == 2;
    switch (state) {
        case 1:
            isVisible() ? showMinimized() : setWindowState(Qt::WindowMinimized);
            break;
        case 2:
            isVisible() ? showFullScreen() : setWindowState(Qt::WindowFullScreen);
            break;
        default:
            isVisible() ? showNormal() : setWindowState(Qt::WindowNoState);
            break;
    }
}

void frmPelto::SetBackColor(quint32 oleColor) {
    backColor_ = oleColor;
    QPalette p = palette();
    p.setColor(QPalette::Window, OleColor::ToQColor(oleColor));
    setPalette(p);
}

void frmPelto::SetMousePointer(int pointer) {
    mousePointer_ = pointer;
    if (pointer == 99)
        setCursor(Qt::BlankCursor);  // the all-transparent custom pointer
    else
        unsetCursor();
}

// --- MediaWindowState ---

int frmPelto::MainWindowState() const {
    // Full screen is the program's own state: without a window manager the platform may report
    // the window as normal again after it was placed over the screen.
    if (windowState() & Qt::WindowMinimized) return 1;
    return fullScreen_ ? 2 : 0;
}
void frmPelto::SetMainCaption(const QString& caption) {
    setWindowTitle(caption);
}
QString frmPelto::VolumeCaption() const {
    return lblVolume->Caption();
}
QString frmPelto::MuteCaption() const {
    return lblMute->Caption();
}
QString frmPelto::RecCaption() const {
    return lblRec->Caption();
}
void frmPelto::SetRecCaption(const QString& caption) {
    lblRec->SetCaption(caption);
}
void frmPelto::SetRecBackColor(quint32 oleColor) {
    lblRec->SetBackColor(oleColor);
}
void frmPelto::SetMainStatus(const QString& text) {
    lblStatus->SetCaption(text);
}
void frmPelto::SetCompactStatus(const QString& text) {
    Base().lblStatus->SetCaption(text);
}
void frmPelto::ShowCompactMutePicture(bool muted) {
    frmBase& base = Base();
    base.imgMute->SetPicture(muted ? base.Icon : base.MouseIcon);
}
