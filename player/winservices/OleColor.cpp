#include "OleColor.h"

#include <QApplication>
#include <QPalette>

QColor OleColor::ToQColor(quint32 oleColor) {
    if (oleColor & 0x80000000u) {
        const QPalette p = QApplication::palette();
        switch (oleColor & 0xFF) {
            case 15:
                return p.color(QPalette::Button);
            case 18:
                return p.color(QPalette::ButtonText);
            case 5:
                return p.color(QPalette::Base);
            case 8:
                return p.color(QPalette::Text);
            default:
                return p.color(QPalette::Window);
        }
    }
    return QColor(static_cast<int>(oleColor & 0xFF), static_cast<int>(oleColor >> 8 & 0xFF),
                  static_cast<int>(oleColor >> 16 & 0xFF));
}
