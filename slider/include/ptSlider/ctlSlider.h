#pragma once
// Host-side interface of the ptSlider control library. The library is a Qt plugin; hosts load it
// with QPluginLoader, ask its IControlFactory for an instance by class name ("ptSlider.ctlSlider")
// and talk to the instance only through ISlider and the signals of ISlider::widget().
//
// Signals of the widget (connect by name; raised synchronously, in the documented order):
//   Click()  ArrivedFirst()  ArrivedLast()  ValueChanged()  MouseDown(int Shift)  MouseUp(int Shift)
//   PropertyChanged(QString name)   -- after every successful property write

#include <QJsonObject>
#include <QPixmap>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QtPlugin>

#include "ptSlider/OleColor.h"

class QWidget;

namespace ptSlider {

inline constexpr const char* kClassName = "ptSlider.ctlSlider";
inline constexpr int kErrOverflow = 6;
inline constexpr int kErrInvalidPropertyValue = 380;
inline constexpr qint16 kTrue = -1;
inline constexpr qint16 kFalse = 0;

enum sOrientationConstants : qint32 { Horizontal = 0, Vertical = 1 };
enum sRailStyleConstants : qint32 { Sunken = 0, Raised = 1, SunkenSoft = 2, RaisedSoft = 3, ByPicture = 99 };

// The host's named property store. Names are matched without regard to case.
class PropertyBag {
  public:
    virtual ~PropertyBag() = default;
    virtual QVariant ReadProperty(const QString& name, const QVariant& defaultValue) = 0;
    // Stores nothing (and removes a stored entry) when value equals defaultValue.
    virtual void WriteProperty(const QString& name, const QVariant& value, const QVariant& defaultValue) = 0;
};

// Setters return 0 on success or an error number (kErrInvalidPropertyValue, kErrOverflow);
// a failing setter changes nothing.
class ISlider {
  public:
    virtual ~ISlider() = default;
    virtual QWidget* widget() = 0;

    virtual qint32 Value() const = 0;
    virtual int setValue(qint32 New_Value) = 0;
    virtual qint32 Min() const = 0;
    virtual int setMin(qint32 New_Min) = 0;
    virtual qint32 Max() const = 0;
    virtual int setMax(qint32 New_Max) = 0;
    virtual qint16 Enabled() const = 0;
    virtual int setEnabled(qint16 New_Enabled) = 0;
    virtual quint32 BackColor() const = 0;
    virtual int setBackColor(quint32 New_BackColor) = 0;
    virtual qint32 Orientation() const = 0;
    virtual int setOrientation(qint32 New_Orientation) = 0;
    virtual qint32 RailStyle() const = 0;
    virtual int setRailStyle(qint32 New_RailStyle) = 0;
    virtual QPixmap SliderIcon() const = 0;  // null pixmap = no picture
    virtual int setSliderIcon(const QPixmap& New_SliderIcon) = 0;
    virtual QPixmap RailPicture() const = 0;
    virtual int setRailPicture(const QPixmap& New_RailPicture) = 0;
    virtual qint16 ShowValueTip() const = 0;
    virtual int setShowValueTip(qint16 New_ShowValueTip) = 0;

    // Life cycle: a new instance gets InitProperties, a loaded one ReadProperties.
    virtual void InitProperties() = 0;
    virtual void ReadProperties(PropertyBag& bag) = 0;
    virtual void WriteProperties(PropertyBag& bag) = 0;
};

class IControlFactory {
  public:
    virtual ~IControlFactory() = default;
    virtual QStringList ClassNames() const = 0;
    // Type information: properties, events, enumerations, stored names, descriptions.
    virtual QJsonObject TypeInfo(const QString& className) const = 0;
    // Null for an unknown class name. The instance is owned by parent (or the caller).
    virtual ISlider* CreateInstance(const QString& className, QWidget* parent) = 0;
    // Live instances; the host may unload the library when this is 0.
    virtual int InstanceCount() const = 0;
};

}  // namespace ptSlider

#define PTSLIDER_FACTORY_IID "org.peltose.ptSlider.IControlFactory/1"
Q_DECLARE_INTERFACE(ptSlider::IControlFactory, PTSLIDER_FACTORY_IID)
