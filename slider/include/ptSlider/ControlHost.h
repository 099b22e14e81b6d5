#pragma once
// Host side of the control library, header-only so that hosts never link the library:
// finds libptSlider next to the executable, loads it with QPluginLoader, creates controls by
// class name, and unloads the library once its last control is gone.

#include <QCoreApplication>
#include <QDir>
#include <QHash>
#include <QJsonArray>
#include <QPluginLoader>
#include <QWidget>

#include "ptSlider/ctlSlider.h"

namespace ptSlider {

// A property bag kept in memory; names are matched without regard to case.
class MemoryPropertyBag : public PropertyBag {
  public:
    QVariant ReadProperty(const QString& name, const QVariant& defaultValue) override {
        auto it = values_.constFind(name.toLower());
        return it == values_.constEnd() ? defaultValue : it.value();
    }
    void WriteProperty(const QString& name, const QVariant& value, const QVariant& defaultValue) override {
        if (value == defaultValue)
            values_.remove(name.toLower());
        else
            values_.insert(name.toLower(), value);
    }
    void Set(const QString& name, const QVariant& value) { values_.insert(name.toLower(), value); }
    bool Contains(const QString& name) const { return values_.contains(name.toLower()); }
    int Count() const { return static_cast<int>(values_.size()); }

  private:
    QHash<QString, QVariant> values_;
};

class ControlHost {
  public:
    // Path of the library file; default: libptSlider.so beside the executable.
    static QString& LibraryPath() {
        static QString path;
        if (path.isEmpty()) path = QDir(QCoreApplication::applicationDirPath()).filePath("libptSlider.so");
        return path;
    }

    // True when the library's metadata (read without loading it) publishes className.
    static bool Publishes(const QString& className) {
        QPluginLoader probe(LibraryPath());
        const QJsonArray classes = probe.metaData().value("MetaData").toObject().value("classes").toArray();
        for (const auto& c : classes)
            if (c.toString() == className) return true;
        return false;
    }

    // Creates a control by class name, or returns null (library missing or class unknown).
    // The control gets InitProperties, or ReadProperties when a bag is given.
    static ISlider* Create(const QString& className, QWidget* parent, PropertyBag* stored = nullptr) {
        IControlFactory* factory = Factory();
        if (!factory) return nullptr;
        ISlider* control = factory->CreateInstance(className, parent);
        if (!control) return nullptr;
        if (stored)
            control->ReadProperties(*stored);
        else
            control->InitProperties();
        return control;
    }

    // Fills bag with what a newly placed control stores, its built-in thumb picture included, so
    // that a host's design data can start from it and override single entries. Loading a bag
    // without "SliderIcon" gives a control without a thumb picture.
    static bool WriteNewDesign(PropertyBag& bag) {
        ISlider* control = Create(QString::fromLatin1(kClassName), nullptr);
        if (!control) return false;
        control->WriteProperties(bag);
        delete control->widget();
        return true;
    }

    static IControlFactory* Factory() {
        QPluginLoader& loader = Loader();
        if (!loader.isLoaded() && !loader.load()) return nullptr;
        return qobject_cast<IControlFactory*>(loader.instance());
    }

    // Unloads the library when no control is left; returns true when it was unloaded.
    static bool UnloadIfUnused() {
        QPluginLoader& loader = Loader();
        if (!loader.isLoaded()) return false;
        auto* factory = qobject_cast<IControlFactory*>(loader.instance());
        if (factory && factory->InstanceCount() > 0) return false;
        return loader.unload();
    }

    static QString LastError() { return Loader().errorString(); }

  private:
    static QPluginLoader& Loader() {
        static QPluginLoader loader(LibraryPath());
        return loader;
    }
};

}  // namespace ptSlider
