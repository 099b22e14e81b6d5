#pragma once
// The full-screen control bar: a strip along the bottom edge of the screen with six picture
// buttons, a seek bar, a volume slider and time, file-name and status labels. It has no command
// logic of its own: buttons and keys go to the main window's KeyTrace.

#include <QLabel>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include "CaptionLabel.h"
#include "Icons.h"

class frmPelto;
namespace ptSlider {
class ISlider;
}

// An image control with a second picture slot (MouseIcon) for the pressed look.
class PictureImage : public QLabel {
    Q_OBJECT

  public:
    explicit PictureImage(QWidget* parent = nullptr);
    QPixmap Picture() const { return picture_; }
    void SetPicture(const QPixmap& picture);
    QPixmap MouseIcon() const { return mouseIcon_; }
    void SetMouseIcon(const QPixmap& picture) { mouseIcon_ = picture; }

  signals:
    void Click();
    void MouseDown();
    void MouseUp();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    QPixmap picture_;
    QPixmap mouseIcon_;
};

class frmBase : public QWidget {
    Q_OBJECT

  public:
    // Creating it runs Form_Load; it stays hidden until shown.
    explicit frmBase(frmPelto& main);
    ~frmBase() override;

    PictureImage* imgOpen = nullptr;
    PictureImage* imgPlay = nullptr;
    PictureImage* imgStop = nullptr;
    PictureImage* imgRec = nullptr;
    PictureImage* imgMute = nullptr;
    PictureImage* imgClose = nullptr;
    PictureImage* tmpimg = nullptr;
    CaptionLabel* lblTime = nullptr;
    CaptionLabel* lblFileName = nullptr;
    CaptionLabel* lblStatus = nullptr;
    ptSlider::ISlider* Slider = nullptr;     // null when the slider library cannot be loaded
    ptSlider::ISlider* VolSlider = nullptr;  // likewise
    QTimer Timer;                            // auto-hide, 2000 ms
    QWidget* Shape1 = nullptr;
    QWidget* Shape2 = nullptr;
    QPixmap Icon;       // muted picture for imgMute
    QPixmap MouseIcon;  // sound-on picture for imgMute

    void Form_Load();
    void Form_KeyDown(qint16 KeyCode, qint16 Shift);
    void Form_MouseMove();
    void Timer_Timer();
    void Slider_Click();
    void Slider_MouseDown(int Shift);
    void Slider_MouseUp(int Shift);
    void VolSlider_ValueChanged();
    void VolSlider_MouseDown(int Shift);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    // Pointer moves over the strip or any of its controls keep it shown.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void CreateControls();
    PictureImage* CreateButton(int left, const QString& tooltip, Icons::Button picture, qint16 keyCode);

    frmPelto& main_;
};
