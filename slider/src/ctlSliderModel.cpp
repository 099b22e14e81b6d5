// Properties, the value model and persistence of ctlSlider.
#include <atomic>
#include <limits>

#include "Pictures.h"
#include "ctlSliderWidget.h"
#include "frmValueTip.h"

namespace ptSlider {

namespace {

std::atomic<int> g_instances{0};

qint16 AsBoolean(qint64 v) {
    return v ? kTrue : kFalse;
}

// Stored values may come back as other types (text from an INI file, signed colours); anything
// unreadable counts as absent.
qint64 ReadNumber(PropertyBag& bag, const char* name, qint64 def) {
    bool ok = false;
    const qint64 v = bag.ReadProperty(QString::fromLatin1(name), QVariant(def)).toLongLong(&ok);
    return ok ? v : def;
}

qint16 ReadBoolean(PropertyBag& bag, const char* name, bool def) {
    const QVariant v = bag.ReadProperty(QString::fromLatin1(name), QVariant(def));
    bool ok = false;
    const qint64 n = v.toLongLong(&ok);
    if (ok) return AsBoolean(n);
    return v.canConvert<bool>() ? AsBoolean(v.toBool()) : AsBoolean(def);
}

qint32 ToInt32(qint64 v, qint32 def) {
    return v < std::numeric_limits<qint32>::min() || v > std::numeric_limits<qint32>::max()
               ? def
               : static_cast<qint32>(v);
}

}  // namespace

ctlSlider::ctlSlider(QWidget* parent) : QWidget(parent) {
    ++g_instances;
    SetThumbPicture(DefaultThumbPicture());
    setAttribute(Qt::WA_OpaquePaintEvent);
}

ctlSlider::~ctlSlider() {
    --g_instances;
}

int ctlSlider::InstanceCount() {
    return g_instances.load();
}

void ctlSlider::Notify(const char* name) {
    emit PropertyChanged(QString::fromLatin1(name));
}

int ctlSlider::setValue(qint32 New_Value) {
    if (New_Value < Min_ || New_Value > Max_) return kErrInvalidPropertyValue;
    Value_ = New_Value;
    if (New_Value != LastValue_) {
        // While dragging, the thumb stays where the mouse put it.
        if (!Dragging_) PlaceThumb(Track(), New_Value, Thumb);
        DrawSlider();
        // Updated before the events so that a handler assigning the same value raises nothing.
        LastValue_ = Value_;
        emit ValueChanged();
        if (Value_ == Max_) emit ArrivedLast();
        if (Value_ == Min_) emit ArrivedFirst();
    }
    Notify("Value");
    return 0;
}

int ctlSlider::setMin(qint32 New_Min) {
    if (New_Min >= Max_) return kErrInvalidPropertyValue;
    // Checked before anything is stored so that a failing write leaves Min and Range consistent.
    if (!Difference(Max_, New_Min)) return kErrOverflow;
    Min_ = New_Min;
    setValue(New_Min);
    // A handler may have moved the bounds meanwhile; both setters keep the span representable.
    Range = Difference(Max_, Min_).value_or(Range);
    Notify("Min");
    return 0;
}

int ctlSlider::setMax(qint32 New_Max) {
    if (Min_ >= New_Max) return kErrInvalidPropertyValue;
    const auto range = Difference(New_Max, Min_);
    if (!range) return kErrOverflow;
    // Value and thumb stay as they are, even above the new Max, until the next assignment or layout.
    Max_ = New_Max;
    Range = *range;
    Notify("Max");
    return 0;
}

int ctlSlider::setEnabled(qint16 New_Enabled) {
    Enabled_ = AsBoolean(New_Enabled);
    Notify("Enabled");
    return 0;
}

int ctlSlider::setBackColor(quint32 New_BackColor) {
    BackColor_ = New_BackColor;
    DrawSlider();
    Notify("BackColor");
    return 0;
}

int ctlSlider::setOrientation(qint32 New_Orientation) {
    Orientation_ = New_Orientation;
    ResetThumb();
    Layout();
    Notify("Orientation");
    return 0;
}

int ctlSlider::setRailStyle(qint32 New_RailStyle) {
    RailStyle_ = New_RailStyle;
    Layout();
    Notify("RailStyle");
    return 0;
}

int ctlSlider::setSliderIcon(const QPixmap& New_SliderIcon) {
    SetThumbPicture(New_SliderIcon);
    Layout();
    Notify("SliderIcon");
    return 0;
}

int ctlSlider::setRailPicture(const QPixmap& New_RailPicture) {
    iRailPicture = New_RailPicture;
    Layout();
    Notify("RailPicture");
    return 0;
}

int ctlSlider::setShowValueTip(qint16 New_ShowValueTip) {
    ShowValueTip_ = AsBoolean(New_ShowValueTip);
    Notify("ShowValueTip");
    return 0;
}

// The thumb's size follows its picture; without a picture it keeps its last size so that the
// track keeps its length.
void ctlSlider::SetThumbPicture(const QPixmap& picture) {
    ThumbPicture = picture;
    if (picture.isNull()) return;
    const QSizeF size = PictureSize(picture);
    Thumb.Width = static_cast<float>(size.width());
    Thumb.Height = static_cast<float>(size.height());
}

void ctlSlider::InitProperties() {
    Enabled_ = kTrue;
    Orientation_ = Horizontal;
    RailStyle_ = Sunken;
    ShowValueTip_ = kTrue;
    Min_ = 0;
    Max_ = 10;
    Value_ = 0;
    Range = 10;
    ResetThumb();
}

void ctlSlider::ReadProperties(PropertyBag& bag) {
    BackColor_ = static_cast<quint32>(ReadNumber(bag, "BackColor", kButtonFace));
    Enabled_ = ReadBoolean(bag, "Enabled", true);
    Orientation_ = ToInt32(ReadNumber(bag, "Orientation", Horizontal), Horizontal);
    RailStyle_ = ToInt32(ReadNumber(bag, "RailStyle", Sunken), Sunken);
    ShowValueTip_ = ReadBoolean(bag, "ShowValueTip", true);
    Min_ = ToInt32(ReadNumber(bag, "Min", 0), 0);
    Max_ = ToInt32(ReadNumber(bag, "Max", 10), 10);
    Value_ = ToInt32(ReadNumber(bag, "Value", 0), 0);
    SetThumbPicture(PictureFromStored(bag.ReadProperty(QStringLiteral("SliderIcon"), QByteArray())));
    iRailPicture = PictureFromStored(bag.ReadProperty(QStringLiteral("RailPicture"), QByteArray()));
    RepairLoadedBounds();

    // Loaded values raise no events; the first assignment of anything but Min will.
    LastValue_ = Min_;
    Range = Max_ - Min_;
    // Both axes, whatever the orientation; the host's following resize sets the cross axis.
    TrackModel track = Track();
    track.orientation = Horizontal;
    PlaceThumb(track, Value_, Thumb);
    track.orientation = Vertical;
    PlaceThumb(track, Value_, Thumb);
}

// Stored bounds are otherwise taken as they are (a Value beyond Max is a state the setters can
// reach), but bounds without a representable positive span would break every placement: they
// fall back to the defaults 0..10 and the stored Value is clamped into them.
void ctlSlider::RepairLoadedBounds() {
    const auto span = Difference(Max_, Min_);
    if (span && *span > 0) return;
    Min_ = 0;
    Max_ = 10;
    Value_ = qBound(Min_, Value_, Max_);
}

void ctlSlider::WriteProperties(PropertyBag& bag) {
    const auto write = [&bag](const char* name, const QVariant& value, const QVariant& def) {
        bag.WriteProperty(QString::fromLatin1(name), value, def);
    };
    write("BackColor", QVariant::fromValue<qint64>(BackColor_), QVariant::fromValue<qint64>(kButtonFace));
    write("Enabled", QVariant(Enabled_ != kFalse), QVariant(true));
    write("SliderIcon", PictureToData(ThumbPicture), QByteArray());
    write("Orientation", QVariant(Orientation_), QVariant(qint32{Horizontal}));
    write("RailPicture", PictureToData(iRailPicture), QByteArray());
    write("RailStyle", QVariant(RailStyle_), QVariant(qint32{Sunken}));
    write("ShowValueTip", QVariant(ShowValueTip_ != kFalse), QVariant(true));
    write("Min", QVariant(Min_), QVariant(qint32{0}));
    write("Max", QVariant(Max_), QVariant(qint32{10}));
    write("Value", QVariant(Value_), QVariant(qint32{0}));
}

}  // namespace ptSlider
