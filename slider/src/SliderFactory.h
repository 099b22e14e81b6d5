#pragma once
// The library's one exported entry: a Qt plugin that creates controls by class name.

#include <QObject>

#include "ptSlider/ctlSlider.h"

namespace ptSlider {

class SliderFactory : public QObject, public IControlFactory {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID PTSLIDER_FACTORY_IID FILE "ptSlider.json")
    Q_INTERFACES(ptSlider::IControlFactory)

  public:
    SliderFactory();
    ~SliderFactory() override;

    QStringList ClassNames() const override;
    QJsonObject TypeInfo(const QString& className) const override;
    ISlider* CreateInstance(const QString& className, QWidget* parent) override;
    int InstanceCount() const override;

  private:
    QJsonObject Metadata;
};

}  // namespace ptSlider
