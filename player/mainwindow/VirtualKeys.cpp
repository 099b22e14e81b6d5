#include "VirtualKeys.h"

#include <QKeyEvent>

int VirtualKeyFromQt(const QKeyEvent& event) {
    switch (event.key()) {
        case Qt::Key_Space: return 32;
        case Qt::Key_O: return 79;
        case Qt::Key_S: return 83;
        case Qt::Key_R: return 82;
        case Qt::Key_M: return 77;
        case Qt::Key_Q: return 81;
        default: return 0;
    }
}
