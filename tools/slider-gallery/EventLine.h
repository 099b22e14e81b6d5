#pragma once
// Writes the last event of one slider into a status label. Hosts reach the control's signals by
// name only, so this needs real slots.

#include <QLabel>
#include <QObject>

#include "ptSlider/ctlSlider.h"

class EventLine : public QObject {
    Q_OBJECT

  public:
    EventLine(ptSlider::ISlider* slider, QString name, QLabel* status)
        : QObject(status), slider_(slider), name_(std::move(name)), status_(status) {
        QWidget* w = slider->widget();
        connect(w, SIGNAL(ValueChanged()), this, SLOT(ValueChanged()));
        connect(w, SIGNAL(ArrivedFirst()), this, SLOT(ArrivedFirst()));
        connect(w, SIGNAL(ArrivedLast()), this, SLOT(ArrivedLast()));
        connect(w, SIGNAL(Click()), this, SLOT(Click()));
        connect(w, SIGNAL(MouseDown(int)), this, SLOT(MouseDown(int)));
        connect(w, SIGNAL(MouseUp(int)), this, SLOT(MouseUp(int)));
    }

  private slots:
    void ValueChanged() { Show(QStringLiteral("ValueChanged")); }
    void ArrivedFirst() { Show(QStringLiteral("ArrivedFirst")); }
    void ArrivedLast() { Show(QStringLiteral("ArrivedLast")); }
    void Click() { Show(QStringLiteral("Click")); }
    void MouseDown(int shift) { Show(QStringLiteral("MouseDown(%1)").arg(shift)); }
    void MouseUp(int shift) { Show(QStringLiteral("MouseUp(%1)").arg(shift)); }

  private:
    void Show(const QString& what) {
        status_->setText(QStringLiteral("%1: %2   Value = %3").arg(name_, what).arg(slider_->Value()));
    }

    ptSlider::ISlider* slider_;
    QString name_;
    QLabel* status_;
};
