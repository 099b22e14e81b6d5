#include "Icons.h"

#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int kSize = 16;

void DrawSymbol(QPainter& p, Icons::Button button, const QColor& ink) {
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    switch (button) {
        case Icons::Button::Open: {  // folder
            p.drawRect(2, 5, 12, 8);
            p.drawRect(2, 3, 5, 2);
            break;
        }
        case Icons::Button::Play: {  // triangle and pause bars
            QPainterPath tri;
            tri.moveTo(2, 3);
            tri.lineTo(8, 8);
            tri.lineTo(2, 13);
            tri.closeSubpath();
            p.drawPath(tri);
            p.drawRect(10, 3, 2, 10);
            p.drawRect(13, 3, 2, 10);
            break;
        }
        case Icons::Button::Stop:
            p.drawRect(3, 3, 10, 10);
            break;
        case Icons::Button::Rec:
            p.setBrush(QColor(220, 30, 30));
            p.drawEllipse(QRectF(3, 3, 10, 10));
            break;
        case Icons::Button::Close:
            p.setPen(QPen(ink, 2.2));
            p.drawLine(4, 4, 12, 12);
            p.drawLine(12, 4, 4, 12);
            break;
    }
}

void DrawSpeaker(QPainter& p, const QColor& ink) {
    QPainterPath body;
    body.moveTo(1, 6);
    body.lineTo(4, 6);
    body.lineTo(8, 2);
    body.lineTo(8, 14);
    body.lineTo(4, 10);
    body.lineTo(1, 10);
    body.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawPath(body);
}

QPixmap Blank() {
    QPixmap pm(kSize, kSize);
    pm.fill(Qt::transparent);
    return pm;
}

}  // namespace

QPixmap Icons::Normal(Button button) {
    QPixmap pm = Blank();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    DrawSymbol(p, button, QColor(0xC0, 0xC0, 0xC0));
    return pm;
}

QPixmap Icons::Pressed(Button button) {
    QPixmap pm = Blank();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(0, 0, kSize, kSize, QColor(0x40, 0x40, 0x40));
    p.translate(1, 1);  // the symbol sinks in while held
    DrawSymbol(p, button, Qt::white);
    return pm;
}

QPixmap Icons::SoundOn() {
    QPixmap pm = Blank();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    DrawSpeaker(p, QColor(0xC0, 0xC0, 0xC0));
    p.setPen(QPen(QColor(0xC0, 0xC0, 0xC0), 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(6, 4, 6, 8), -60 * 16, 120 * 16);
    p.drawArc(QRectF(6, 1, 9, 14), -60 * 16, 120 * 16);
    return pm;
}

QPixmap Icons::Muted() {
    QPixmap pm = Blank();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    DrawSpeaker(p, QColor(0xC0, 0xC0, 0xC0));
    p.setPen(QPen(QColor(220, 30, 30), 1.8));
    p.drawLine(10, 5, 15, 11);
    p.drawLine(15, 5, 10, 11);
    return pm;
}

QPixmap Icons::Thumb(int width, int height) {
    QPixmap pm(width, height);
    pm.fill(QColor(0xD4, 0xD0, 0xC8));
    QPainter p(&pm);
    const int r = width - 1, b = height - 1;
    p.setPen(Qt::white);
    p.drawLine(0, 0, r - 1, 0);
    p.drawLine(0, 0, 0, b - 1);
    p.setPen(QColor(0x80, 0x80, 0x80));
    p.drawLine(1, b - 1, r - 1, b - 1);
    p.drawLine(r - 1, 1, r - 1, b - 1);
    p.setPen(QColor(0x40, 0x40, 0x40));
    p.drawLine(0, b, r, b);
    p.drawLine(r, 0, r, b);
    return pm;
}
