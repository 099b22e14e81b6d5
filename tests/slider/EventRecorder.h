#pragma once
// Records a slider's events by name, in order, as a host sees them through string connections.

#include <QObject>
#include <QStringList>
#include <QWidget>
#include <functional>

class EventRecorder : public QObject {
    Q_OBJECT

  public:
    explicit EventRecorder(QWidget* control) {
        connect(control, SIGNAL(Click()), this, SLOT(Click()));
        connect(control, SIGNAL(ArrivedFirst()), this, SLOT(ArrivedFirst()));
        connect(control, SIGNAL(ArrivedLast()), this, SLOT(ArrivedLast()));
        connect(control, SIGNAL(ValueChanged()), this, SLOT(ValueChanged()));
        connect(control, SIGNAL(MouseDown(int)), this, SLOT(MouseDown(int)));
        connect(control, SIGNAL(MouseUp(int)), this, SLOT(MouseUp(int)));
        connect(control, SIGNAL(PropertyChanged(QString)), this, SLOT(PropertyChanged(QString)));
    }

    // Events without the property notifications.
    QStringList events;
    QStringList notifications;
    // Runs after an event is recorded, with the event's name (re-entrancy tests).
    std::function<void(const QString&)> onEvent;

    QStringList Take() {
        QStringList taken = events;
        events.clear();
        notifications.clear();
        return taken;
    }

  private slots:
    void Click() { Record(QStringLiteral("Click")); }
    void ArrivedFirst() { Record(QStringLiteral("ArrivedFirst")); }
    void ArrivedLast() { Record(QStringLiteral("ArrivedLast")); }
    void ValueChanged() { Record(QStringLiteral("ValueChanged")); }
    void MouseDown(int shift) { Record(QStringLiteral("MouseDown(%1)").arg(shift)); }
    void MouseUp(int shift) { Record(QStringLiteral("MouseUp(%1)").arg(shift)); }
    void PropertyChanged(const QString& name) { notifications << name; }

  private:
    void Record(const QString& name) {
        events << name;
        if (onEvent) onEvent(name);
    }
};
