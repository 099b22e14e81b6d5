#include "SliderHost.h"

#include <QDebug>

#include "ptSlider/ControlHost.h"

namespace {
SliderHost::Factory& Installed() {
    static SliderHost::Factory factory;
    return factory;
}
}  // namespace

void SliderHost::SetFactory(Factory factory) {
    Installed() = std::move(factory);
}

ptSlider::ISlider* SliderHost::Create(QWidget* parent, ptSlider::PropertyBag* stored) {
    if (Installed()) return Installed()(parent, stored);
    ptSlider::ISlider* slider =
        ptSlider::ControlHost::Create(QString::fromLatin1(ptSlider::kClassName), parent, stored);
    if (!slider) qWarning("PeltoSE: no slider control: %s", qPrintable(ptSlider::ControlHost::LastError()));
    return slider;
}

SliderEvents::SliderEvents(ptSlider::ISlider* slider, QObject* parent) : QObject(parent) {
    if (!slider) return;
    QWidget* w = slider->widget();
    connect(w, SIGNAL(Click()), this, SLOT(Click()));
    connect(w, SIGNAL(ValueChanged()), this, SLOT(ValueChanged()));
    connect(w, SIGNAL(MouseDown(int)), this, SLOT(MouseDown(int)));
    connect(w, SIGNAL(MouseUp(int)), this, SLOT(MouseUp(int)));
}

void SliderEvents::Click() {
    if (onClick) onClick();
}
void SliderEvents::ValueChanged() {
    if (onValueChanged) onValueChanged();
}
void SliderEvents::MouseDown(int Shift) {
    if (onMouseDown) onMouseDown(Shift);
}
void SliderEvents::MouseUp(int Shift) {
    if (onMouseUp) onMouseUp(Shift);
}
