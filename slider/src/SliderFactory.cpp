#include "SliderFactory.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>

#include "TypeInfoJson.h"
#include "ctlSliderWidget.h"
#include "frmValueTip.h"

namespace ptSlider {

SliderFactory::SliderFactory() : Metadata(QJsonDocument::fromJson(kPluginJson).object()) {}

// Runs when the host unloads the library: nothing of ours may stay behind on screen.
// Qt unloads plugins at process exit, after the application object is gone; a widget may not be
// touched then, and the process is ending anyway.
SliderFactory::~SliderFactory() {
    if (QCoreApplication::instance()) frmValueTip::CloseTip();
}

QStringList SliderFactory::ClassNames() const {
    QStringList names;
    for (const auto& name : Metadata.value("classes").toArray()) names << name.toString();
    return names;
}

QJsonObject SliderFactory::TypeInfo(const QString& className) const {
    return Metadata.value("typeInfo").toObject().value(className).toObject();
}

ISlider* SliderFactory::CreateInstance(const QString& className, QWidget* parent) {
    if (className != QLatin1String(kClassName)) return nullptr;
    return new ctlSlider(parent);
}

int SliderFactory::InstanceCount() const {
    return ctlSlider::InstanceCount();
}

}  // namespace ptSlider
