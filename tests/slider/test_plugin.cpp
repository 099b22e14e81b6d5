// The library as hosts see it: found and loaded by class name from beside the executable,
// type information from its metadata, signals by name, unloaded when no control is left.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QPluginLoader>
#include <memory>

#include "EventRecorder.h"
#include "ptSlider/ControlHost.h"

using namespace ptSlider;

namespace {

const QString kClass = QString::fromLatin1(kClassName);

TEST(Plugin, MetadataPublishesTheClassWithoutLoading) {
    EXPECT_TRUE(ControlHost::Publishes(kClass));
    EXPECT_FALSE(ControlHost::Publishes("ptSlider.ctlKnob"));
    QPluginLoader probe(ControlHost::LibraryPath());
    EXPECT_EQ(probe.metaData().value("IID").toString(), PTSLIDER_FACTORY_IID);
}

TEST(Plugin, TypeInformation) {
    IControlFactory* factory = ControlHost::Factory();
    ASSERT_NE(factory, nullptr) << qPrintable(ControlHost::LastError());
    EXPECT_EQ(factory->ClassNames(), QStringList({kClass}));
    EXPECT_TRUE(factory->TypeInfo("nothing").isEmpty());
    const QJsonObject info = factory->TypeInfo(kClass);
    EXPECT_EQ(info.value("defaultMember").toString(), "Value");
    QStringList events;
    for (const auto& e : info.value("events").toArray()) events << e.toObject().value("name").toString();
    EXPECT_EQ(events,
              QStringList({"Click", "ArrivedFirst", "ArrivedLast", "ValueChanged", "MouseDown", "MouseUp"}));
    const QJsonObject rail = info.value("enumerations").toObject().value("sRailStyleConstants").toObject();
    EXPECT_EQ(rail.value("ByPicture").toInt(), 99);
    QString description;
    for (const auto& p : info.value("properties").toArray())
        if (p.toObject().value("name") == "SliderIcon")
            description = p.toObject().value("description").toString();
    EXPECT_EQ(description,
              QString::fromUtf8("Devuelve o establece el gráfico que se mostrará en un control."));
    EXPECT_EQ(info.value("storedProperties").toArray().size(), 10);
}

TEST(Plugin, CreatesByClassNameAndUnloadsWhenUnused) {
    QWidget parent;
    EXPECT_EQ(ControlHost::Create("ptSlider.ctlKnob", &parent), nullptr);

    MemoryPropertyBag stored;
    stored.Set("max", 50);
    stored.Set("value", 20);
    ISlider* loaded = ControlHost::Create(kClass, &parent, &stored);
    ASSERT_NE(loaded, nullptr) << qPrintable(ControlHost::LastError());
    EXPECT_EQ(loaded->Max(), 50);
    EXPECT_EQ(loaded->Value(), 20);

    ISlider* fresh = ControlHost::Create(kClass, &parent);
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh->widget()->parentWidget(), &parent);
    EventRecorder rec(fresh->widget());
    EXPECT_EQ(fresh->setValue(10), 0);
    EXPECT_EQ(fresh->setValue(11), kErrInvalidPropertyValue);
    EXPECT_EQ(rec.events, QStringList({"ValueChanged", "ArrivedLast"}));
    EXPECT_EQ(rec.notifications, QStringList({"Value"}));
    EXPECT_EQ(ControlHost::Factory()->InstanceCount(), 2);

    delete fresh->widget();
    EXPECT_FALSE(ControlHost::UnloadIfUnused());
    delete loaded;  // through the interface works as well
    EXPECT_EQ(ControlHost::Factory()->InstanceCount(), 0);

    // Design data started from a new control keeps the built-in thumb.
    MemoryPropertyBag design;
    ASSERT_TRUE(ControlHost::WriteNewDesign(design));
    EXPECT_EQ(design.Count(), 1);
    design.Set("Max", 1);
    ISlider* designed = ControlHost::Create(kClass, nullptr, &design);
    ASSERT_NE(designed, nullptr);
    EXPECT_EQ(designed->SliderIcon().size(), QSize(8, 16));
    delete designed->widget();
    EXPECT_TRUE(ControlHost::UnloadIfUnused());

    // Loaded again on the next request.
    std::unique_ptr<QWidget> again(ControlHost::Create(kClass, nullptr)->widget());
    EXPECT_EQ(ControlHost::Factory()->InstanceCount(), 1);
}

}  // namespace
