#pragma once
// The slider control: a rail with a thumb standing for a whole-number Value between Min and Max.
// Everything here runs on the UI thread; events are emitted synchronously and handlers may
// re-enter the setters.

#include <QPixmap>
#include <QWidget>

#include "SliderMath.h"
#include "ptSlider/ctlSlider.h"

namespace ptSlider {

class ctlSlider : public QWidget, public ISlider {
    Q_OBJECT

  public:
    explicit ctlSlider(QWidget* parent = nullptr);
    ~ctlSlider() override;

    static int InstanceCount();

    QWidget* widget() override { return this; }

    qint32 Value() const override { return Value_; }
    int setValue(qint32 New_Value) override;
    qint32 Min() const override { return Min_; }
    int setMin(qint32 New_Min) override;
    qint32 Max() const override { return Max_; }
    int setMax(qint32 New_Max) override;
    qint16 Enabled() const override { return Enabled_; }
    int setEnabled(qint16 New_Enabled) override;
    quint32 BackColor() const override { return BackColor_; }
    int setBackColor(quint32 New_BackColor) override;
    qint32 Orientation() const override { return Orientation_; }
    int setOrientation(qint32 New_Orientation) override;
    qint32 RailStyle() const override { return RailStyle_; }
    int setRailStyle(qint32 New_RailStyle) override;
    QPixmap SliderIcon() const override { return ThumbPicture; }
    int setSliderIcon(const QPixmap& New_SliderIcon) override;
    QPixmap RailPicture() const override { return iRailPicture; }
    int setRailPicture(const QPixmap& New_RailPicture) override;
    qint16 ShowValueTip() const override { return ShowValueTip_; }
    int setShowValueTip(qint16 New_ShowValueTip) override;

    void InitProperties() override;
    void ReadProperties(PropertyBag& bag) override;
    void WriteProperties(PropertyBag& bag) override;

    // The mouse operations, in pixels of the client area; Button 1 = left, 2 = right, 4 = middle;
    // Shift 1 = Shift, 2 = Ctrl, 4 = Alt.
    void UserControl_MouseDown(int Button, int Shift, float X, float Y);
    void UserControl_MouseMove(int Button, int Shift, float X, float Y);
    void UserControl_MouseUp(int Button, int Shift, float X, float Y);

    void Layout();
    void DrawSlider();
    void ResetThumb();

    const ThumbBox& Slider() const { return Thumb; }
    const RailBox& RailRect() const { return Rail; }
    bool Dragging() const { return Dragging_; }
    qint32 LastValue() const { return LastValue_; }
    // The size last asked of the host, in twips.
    QSize RequestedTwips() const { return RequestedTwips_; }

    QSize sizeHint() const override;

  signals:
    void Click();
    void ArrivedFirst();
    void ArrivedLast();
    void ValueChanged();
    void MouseDown(int Shift);
    void MouseUp(int Shift);
    void PropertyChanged(QString name);

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    TrackModel Track() const;
    bool ByPictureRail() const;
    void SetThumbPicture(const QPixmap& picture);
    void RequestSize(QSize pixels);
    void UpdateValueTip();
    void RepairLoadedBounds();
    void Notify(const char* name);

    qint16 Enabled_ = kTrue;
    qint32 Orientation_ = Horizontal;
    qint32 RailStyle_ = Sunken;
    qint16 ShowValueTip_ = kTrue;
    qint32 Min_ = 0;
    qint32 Max_ = 10;
    qint32 Value_ = 0;
    qint32 Range = 10;
    qint32 LastValue_ = 0;
    quint32 BackColor_ = kButtonFace;

    bool Dragging_ = false;
    float GrabOffsetX = 0;
    float GrabOffsetY = 0;

    ThumbBox Thumb;
    QPixmap ThumbPicture;
    QPixmap iRailPicture;
    RailBox Rail;

    QPixmap Surface;  // back buffer, repainted whole by DrawSlider
    QSize RequestedTwips_;
    bool InLayout = false;
};

}  // namespace ptSlider
