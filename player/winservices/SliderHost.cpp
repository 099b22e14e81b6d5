#include "SliderHost.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFileInfo>

#include "ptSlider/ControlHost.h"

namespace {
SliderHost::Factory& Installed() {
    static SliderHost::Factory factory;
    return factory;
}
// The build tree keeps the library beside the program; an installed program finds it in its
// private library folder, given relative to the program so that a moved prefix still works.
QString LibraryFile() {
    const QDir programDir(QCoreApplication::applicationDirPath());
    const QString beside = programDir.filePath(QStringLiteral("libptSlider.so"));
#ifdef PELTO_SLIDER_DIR
    if (!QFileInfo::exists(beside)) {
        const QString installed =
            QDir::cleanPath(programDir.filePath(QStringLiteral(PELTO_SLIDER_DIR "/libptSlider.so")));
        if (QFileInfo::exists(installed)) return installed;
    }
#endif
    return beside;
}

}  // namespace

void SliderHost::SetFactory(Factory factory) {
    Installed() = std::move(factory);
}

ptSlider::ISlider* SliderHost::Create(QWidget* parent, ptSlider::PropertyBag* stored) {
    if (Installed()) return Installed()(parent, stored);
    static const bool located = [] {
        ptSlider::ControlHost::LibraryPath() = LibraryFile();
        return true;
    }();
    (void)located;
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
