// Shows sliders in every orientation and rail style, created by class name through the plugin,
// with a line that reports the events of the last slider touched.
#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QWidget>
#include <cstdio>

#include "EventLine.h"
#include "ptSlider/ControlHost.h"

namespace {

using ptSlider::ISlider;

struct Style {
    qint32 value;
    const char* name;
};

constexpr Style kStyles[] = {{0, "Sunken"},      {1, "Raised"},      {2, "SunkenSoft"}, {3, "RaisedSoft"},
                             {4, "4 (no edge)"}, {7, "7 (unknown)"}, {99, "ByPicture"}};

QPixmap RailPicture(bool vertical) {
    const QSize size = vertical ? QSize(6, 120) : QSize(180, 6);
    QPixmap picture(size);
    QPainter p(&picture);
    QLinearGradient g(0, 0, vertical ? 0 : size.width(), vertical ? size.height() : 0);
    g.setColorAt(0, QColor(40, 90, 200));
    g.setColorAt(1, QColor(230, 120, 30));
    p.fillRect(picture.rect(), g);
    p.setPen(Qt::black);
    p.drawRect(picture.rect().adjusted(0, 0, -1, -1));
    return picture;
}

QPixmap RoundThumb() {
    QPixmap picture(12, 12);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(250, 250, 250));
    p.setPen(QColor(60, 60, 60));
    p.drawEllipse(QRectF(0.5, 0.5, 11, 11));
    return picture;
}

ISlider* AddSlider(QWidget* window, QLabel* status, const Style& style, bool vertical, QRect where) {
    ISlider* s = ptSlider::ControlHost::Create(QString::fromLatin1(ptSlider::kClassName), window);
    if (!s) return nullptr;
    QWidget* w = s->widget();
    s->setOrientation(vertical ? ptSlider::Vertical : ptSlider::Horizontal);
    if (style.value == ptSlider::ByPicture) {
        s->setSliderIcon(RoundThumb());
        s->setRailPicture(RailPicture(vertical));
    }
    s->setMin(-20);
    s->setMax(80);
    s->setRailStyle(style.value);
    w->setGeometry(where);
    s->setValue(vertical ? 60 : 30);
    const QString name = QString::fromLatin1(style.name) + (vertical ? " (vertical)" : "");
    new EventLine(s, name, status);
    w->show();
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (!ptSlider::ControlHost::Publishes(QString::fromLatin1(ptSlider::kClassName))) {
        std::fprintf(stderr, "slider-gallery: %s does not publish %s\n",
                     qPrintable(ptSlider::ControlHost::LibraryPath()), ptSlider::kClassName);
        return 1;
    }
    QWidget window;
    window.setWindowTitle(QStringLiteral("ptSlider gallery"));
    window.resize(560, 420);
    auto* status = new QLabel(QStringLiteral("Drag a thumb"), &window);
    status->setGeometry(10, 390, 540, 20);

    int y = 10;
    int x = 300;
    for (const Style& style : kStyles) {
        auto* caption = new QLabel(QString::fromLatin1(style.name), &window);
        caption->setGeometry(10, y, 90, 16);
        if (!AddSlider(&window, status, style, false, QRect(100, y, 180, 0))) {
            std::fprintf(stderr, "slider-gallery: %s\n", qPrintable(ptSlider::ControlHost::LastError()));
            return 1;
        }
        AddSlider(&window, status, style, true, QRect(x, 10, 0, 120));
        auto* vcaption = new QLabel(QString::number(style.value), &window);
        vcaption->setGeometry(x, 135, 30, 16);
        y += 40;
        x += 36;
    }

    // A light background colour and an odd-sized thumb.
    auto* caption = new QLabel(QStringLiteral("BackColor"), &window);
    caption->setGeometry(300, 170, 90, 16);
    ISlider* coloured = AddSlider(&window, status, kStyles[0], false, QRect(300, 190, 240, 0));
    coloured->setBackColor(0x00C0E0F0);
    window.show();
    return app.exec();
}
