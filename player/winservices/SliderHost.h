#pragma once
// Creates the windows' sliders by class name from the control library. Tests may install their
// own factory; by default the library beside the executable is loaded at run time.

#include <functional>

class QWidget;
namespace ptSlider {
class ISlider;
class PropertyBag;
}  // namespace ptSlider

namespace SliderHost {

using Factory = std::function<ptSlider::ISlider*(QWidget* parent, ptSlider::PropertyBag* stored)>;
void SetFactory(Factory factory);  // empty = the library
// Null when the library or the class cannot be loaded; the windows then run without the slider.
ptSlider::ISlider* Create(QWidget* parent, ptSlider::PropertyBag* stored);

}  // namespace SliderHost

#include <QObject>

// Connects to a slider's events by name and forwards them to the window's handlers.
class SliderEvents : public QObject {
    Q_OBJECT

  public:
    SliderEvents(ptSlider::ISlider* slider, QObject* parent);
    std::function<void()> onClick;
    std::function<void()> onValueChanged;
    std::function<void(int)> onMouseDown;
    std::function<void(int)> onMouseUp;

  public slots:
    void Click();
    void ValueChanged();
    void MouseDown(int Shift);
    void MouseUp(int Shift);
};
