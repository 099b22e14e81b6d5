#pragma once
// Modal windows of the main window (message boxes, the open dialog) that give the keyboard focus
// back when they close.

#include <QApplication>
#include <QPointer>
#include <QWidget>
#include <utility>

#include "frmPelto.h"

// Without a window manager nobody hands the focus back when a modal window closes, and the keys
// that follow would go to the desktop.
template <typename Modal>
void RunModalAndRefocus(QWidget& owner, Modal&& modal) {
    // The control bar may be unloaded while the modal window is up.
    const QPointer<QWidget> active = QApplication::activeWindow();
    std::forward<Modal>(modal)();
    QWidget* const back = active && active->isVisible() ? active.data() : owner.window();
    if (back->isVisible()) back->activateWindow();
}

inline void ShowBoxAndRefocus(QWidget& owner, const QString& title, const QString& text) {
    RunModalAndRefocus(owner, [&] { frmPelto::InfoBox(&owner, title, text); });
}
