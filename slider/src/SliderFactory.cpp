#include "SliderFactory.h"

#include <QJsonArray>
#include <QJsonDocument>

#include "TypeInfoJson.h"
#include "ctlSliderWidget.h"
#include "frmValueTip.h"

namespace ptSlider {

SliderFactory::SliderFactory() : Metadata(QJsonDocument::fromJson(kPluginJson).object()) {}

// Runs when the host unloads the library: nothing of ours may stay behind on screen.
SliderFactory::~SliderFactory() {
    frmValueTip::CloseTip();
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
