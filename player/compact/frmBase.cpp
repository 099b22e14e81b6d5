#include "frmBase.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>

#include "OleColor.h"
#include "SliderHost.h"
#include "Twips.h"
#include "VirtualKeys.h"
#include "mainwindow/frmPelto.h"
#include "mdlFunctions.h"
#include "ptSlider/ControlHost.h"

namespace {

constexpr quint32 kLabelText = 0xC0C0C0;
constexpr int kStripHeight = 600;
constexpr int kVolWidth = 300;
constexpr int kSeekHeight = 240;

QWidget* Shape(QWidget* parent, const QColor& color) {
    auto* shape = new QWidget(parent);
    shape->setAutoFillBackground(true);
    QPalette p = shape->palette();
    p.setColor(QPalette::Window, color);
    shape->setPalette(p);
    return shape;
}

}  // namespace

// --- PictureImage ---

PictureImage::PictureImage(QWidget* parent) : QLabel(parent) {}

void PictureImage::SetPicture(const QPixmap& picture) {
    picture_ = picture;
    setPixmap(picture);
}

void PictureImage::mousePressEvent(QMouseEvent* event) {
    event->accept();
    emit MouseDown();
}

void PictureImage::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    emit MouseUp();
    if (rect().contains(event->position().toPoint())) emit Click();
}

// --- frmBase ---

frmBase::frmBase(frmPelto& main) : QWidget(&main, Qt::Tool | Qt::FramelessWindowHint), main_(main) {
    setProperty("peltoForm", true);
    setWindowTitle(QStringLiteral("Pelto"));
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::black);
    setPalette(p);
    Icon = Icons::Muted();
    MouseIcon = Icons::SoundOn();
    qApp->installEventFilter(this);
    Timer.setInterval(2000);
    Timer.setTimerType(Qt::PreciseTimer);  // a coarse timer may run up to 100 ms late
    connect(&Timer, &QTimer::timeout, this, [this] { Timer_Timer(); });
    CreateControls();
    Form_Load();
}

frmBase::~frmBase() = default;

PictureImage* frmBase::CreateButton(int left, const QString& tooltip, Icons::Button picture, qint16 keyCode) {
    auto* img = new PictureImage(this);
    img->setToolTip(tooltip);
    img->SetPicture(Icons::Normal(picture));
    img->SetMouseIcon(Icons::Pressed(picture));
    Twips::SetRect(img, left, 265, 240, 240);
    connect(img, &PictureImage::MouseDown, this, [this, img] {
        tmpimg->SetPicture(img->Picture());
        img->SetPicture(img->MouseIcon());
    });
    connect(img, &PictureImage::MouseUp, this, [this, img] { img->SetPicture(tmpimg->Picture()); });
    connect(img, &PictureImage::Click, this, [this, keyCode] {
        qint16 code = keyCode;
        main_.KeyTrace(code);
    });
    return img;
}

void frmBase::CreateControls() {
    Shape1 = Shape(this, QColor(0x20, 0x20, 0x20));
    Twips::SetRect(Shape1, 0, kSeekHeight, 2400, kStripHeight - kSeekHeight);
    Shape2 = Shape(this, QColor(0x30, 0x30, 0x30));
    Twips::SetRect(Shape2, 0, 0, 2400, kSeekHeight);

    imgOpen = CreateButton(120, QStringLiteral("Open"), Icons::Button::Open, 79);
    imgPlay = CreateButton(405, QStringLiteral("Play / Pause"), Icons::Button::Play, 32);
    imgStop = CreateButton(690, QStringLiteral("Stop"), Icons::Button::Stop, 83);
    imgRec = CreateButton(1080, QStringLiteral("Record"), Icons::Button::Rec, 82);
    imgClose = CreateButton(1920, QStringLiteral("Quit"), Icons::Button::Close, 81);
    imgMute = new PictureImage(this);
    imgMute->setToolTip(QStringLiteral("Toggle Mute"));
    imgMute->SetPicture(MouseIcon);
    Twips::SetRect(imgMute, 1440, 265, 240, 240);
    connect(imgMute, &PictureImage::Click, this, [this] {
        qint16 code = 77;
        main_.KeyTrace(code);
    });
    tmpimg = new PictureImage(this);
    tmpimg->hide();
    Twips::SetRect(tmpimg, 120, kStripHeight + 60, 240, 240);

    auto label = [this](const QString& caption, int left, int width) {
        auto* l = new CaptionLabel(caption, this);
        l->SetForeColor(kLabelText);
        Twips::SetRect(l, left, 285, width, 210);
        return l;
    };
    lblTime = label(QStringLiteral("000:00 / 000:00"), 2520, 1500);
    QFont timeFont;
    timeFont.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans")});
    timeFont.setPointSizeF(8.25);
    lblTime->setFont(timeFont);
    lblStatus = label(QStringLiteral("Status:"), 4140, 1200);
    lblFileName = label(QStringLiteral("No file loaded.."), 5460, 6000);

    ptSlider::MemoryPropertyBag seekDesign;
    seekDesign.Set(QStringLiteral("Max"), 1);
    seekDesign.Set(QStringLiteral("BackColor"), 0);
    seekDesign.Set(QStringLiteral("SliderIcon"), Icons::Thumb(8, 16));
    Slider = SliderHost::Create(this, &seekDesign);
    if (Slider) {
        Twips::SetRect(Slider->widget(), 0, 0, 2400, kSeekHeight);
        auto* events = new SliderEvents(Slider, this);
        events->onClick = [this] { Slider_Click(); };
        events->onMouseDown = [this](int shift) { Slider_MouseDown(shift); };
        events->onMouseUp = [this](int shift) { Slider_MouseUp(shift); };
    }
    ptSlider::MemoryPropertyBag volDesign;
    volDesign.Set(QStringLiteral("Max"), 100);
    volDesign.Set(QStringLiteral("Orientation"), ptSlider::Vertical);
    volDesign.Set(QStringLiteral("SliderIcon"), Icons::Thumb(18, 8));
    VolSlider = SliderHost::Create(this, &volDesign);
    if (VolSlider) {
        VolSlider->widget()->setToolTip(QStringLiteral("Volume"));
        Twips::SetRect(VolSlider->widget(), 2400, 0, kVolWidth, kStripHeight);
        auto* events = new SliderEvents(VolSlider, this);
        events->onValueChanged = [this] { VolSlider_ValueChanged(); };
        events->onMouseDown = [this](int shift) { VolSlider_MouseDown(shift); };
    }
}

void frmBase::Form_Load() {
    Timer.stop();
    // Along the bottom edge of the screen the main window is on.
    const double screenWidth = Twips::ScreenWidth(&main_);
    Twips::SetRect(this, Twips::ScreenLeft(&main_),
                   Twips::ScreenTop(&main_) + Twips::ScreenHeight(&main_) - kStripHeight, screenWidth,
                   kStripHeight);
    const double volWidth = VolSlider ? Twips::Width(VolSlider->widget()) : kVolWidth;
    if (Slider) Twips::SetWidth(Slider->widget(), screenWidth - volWidth);
    const double seekWidth = Slider ? Twips::Width(Slider->widget()) : screenWidth - volWidth;
    if (VolSlider) Twips::SetLeft(VolSlider->widget(), seekWidth);
    // The level label read as a whole number: a fraction rounds (halves to even), no number is skipped.
    if (const auto volume = mdlFunctions::WholeNumber(main_.lblVolume->Caption()); VolSlider && volume)
        VolSlider->setValue(*volume);
    lblStatus->SetCaption(mdlFunctions::GetMovieMode());
    if (mdlFunctions::IsPlayingOrPaused()) {
        lblFileName->SetCaption(QFile::decodeName(QByteArray::fromStdString(mdlFunctions::MediaFile())));
        if (mdlFunctions::GetLengthSeconds() != 0 && Slider) Slider->setMax(mdlFunctions::GetLengthSeconds());
    }
    Twips::SetWidth(Shape2, seekWidth);
    Twips::SetWidth(Shape1, seekWidth);
}

void frmBase::Form_KeyDown(qint16 KeyCode, qint16 /*Shift*/) {
    main_.KeyTrace(KeyCode);
}

void frmBase::keyPressEvent(QKeyEvent* event) {
    const int code = VirtualKeyFromQt(*event);
    if (code == 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    Form_KeyDown(static_cast<qint16>(code), 0);
}

void frmBase::Form_MouseMove() {
    Timer.stop();
}

bool frmBase::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::MouseMove || !event->spontaneous()) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget && (widget == this || isAncestorOf(widget))) Form_MouseMove();
    return false;
}

void frmBase::Timer_Timer() {
    Timer.stop();
    main_.SetMousePointer(99);
    main_.UnloadBase();
}

void frmBase::Slider_MouseDown(int /*Shift*/) {
    main_.T.stop();
    Timer.stop();
}

void frmBase::Slider_Click() {
    main_.SeekFromSlider(Slider);
}

void frmBase::Slider_MouseUp(int /*Shift*/) {
    main_.SeekFromSlider(Slider);
    main_.ResumeTickAfterDrag();
}

void frmBase::VolSlider_ValueChanged() {
    const qint32 value = VolSlider->Value();
    mdlFunctions::SetVolume(value * 10);
    main_.lblVolume->SetCaption(QString::number(value));
    const int g = 200 - 2 * value;
    VolSlider->setBackColor(OleColor::Rgb(g, g, g));
}

void frmBase::VolSlider_MouseDown(int /*Shift*/) {
    Timer.stop();
}
