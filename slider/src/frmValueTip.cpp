#include "frmValueTip.h"

#include <QPainter>
#include <QPointer>

#include "ptSlider/OleColor.h"

namespace ptSlider {

namespace {
// Deliberately not owning: the tip must not outlive the application object, so it is destroyed
// when closed and when the library is unloaded, never by a static destructor.
QPointer<frmValueTip>& Shared() {
    static QPointer<frmValueTip> tip;
    return tip;
}
}  // namespace

frmValueTip::frmValueTip() : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("frmValueTip"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    QFont font(QStringLiteral("Verdana"));
    font.setPointSizeF(6.75);
    font.setStyleHint(QFont::SansSerif);
    setFont(font);

    lblTip = new QLabel(this);
    lblTip->setObjectName(QStringLiteral("lblTip"));
    lblTip->move(2, 1);
    lblTip->setAttribute(Qt::WA_TranslucentBackground);
    QPalette labelPalette = lblTip->palette();
    labelPalette.setColor(QPalette::WindowText, OleColorToQColor(kSysWindowText, palette()));
    lblTip->setPalette(labelPalette);
}

frmValueTip* frmValueTip::Instance() {
    QPointer<frmValueTip>& tip = Shared();
    if (!tip) tip = new frmValueTip();
    return tip;
}

frmValueTip* frmValueTip::Current() {
    return Shared();
}

void frmValueTip::CloseTip() {
    delete Shared().data();
}

void frmValueTip::UpdateFor(qint32 value, qint32 orientation, QPoint controlOrigin, const ThumbBox& thumb) {
    const QString text = QString::number(value);
    lblTip->setText(text);
    lblTip->adjustSize();
    lblTip->resize(fontMetrics().horizontalAdvance(text), lblTip->height());
    lblTip->repaint();

    if (const auto geometry = TipGeometry(orientation, controlOrigin, thumb, lblTip->size()))
        setGeometry(*geometry);
    show();
    raise();
}

// Tooltip background inside a one-pixel raised frame: light top and left, dark right and bottom.
void frmValueTip::paintEvent(QPaintEvent* /*event*/) {
    QPainter p(this);
    const QPalette& pal = palette();
    const int w = width();
    const int h = height();
    p.fillRect(rect(), OleColorToQColor(kSysInfoBackground, pal));
    const QColor light = OleColorToQColor(kSys3DLight, pal);
    const QColor dark = OleColorToQColor(kSys3DDarkShadow, pal);
    p.fillRect(0, 0, w, 1, light);
    p.fillRect(0, 0, 1, h, light);
    p.fillRect(w - 1, 0, 1, h, dark);
    p.fillRect(0, h - 1, w, 1, dark);
}

}  // namespace ptSlider
