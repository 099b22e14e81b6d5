#pragma once
// The value tip: one borderless popup shared by every slider, showing the value beside the thumb
// while it is dragged. It never takes the focus and is destroyed when closed.

#include <QLabel>
#include <QWidget>

#include "SliderMath.h"

namespace ptSlider {

class frmValueTip : public QWidget {
    Q_OBJECT

  public:
    // The shared tip, created on first use.
    static frmValueTip* Instance();
    // The shared tip if it is open, else null.
    static frmValueTip* Current();
    // Closes (destroys) the shared tip; nothing happens when it is not open.
    static void CloseTip();

    // Fills the label with value, places the tip beside the thumb of a control whose client
    // origin is at controlOrigin on screen, and shows it on top without activating it.
    void UpdateFor(qint32 value, qint32 orientation, QPoint controlOrigin, const ThumbBox& thumb);

    QLabel* lblTip;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    frmValueTip();
};

}  // namespace ptSlider
