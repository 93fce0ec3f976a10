#include "app/window_hiding.h"

#include <QCursor>

#include "app/tray_icon.h"

WindowHiding::WindowHiding(QWidget& window, QMenu& tray_menu)
    : window_(window), tray_menu_(tray_menu), taskbar_(new TaskbarPresence(window)) {}

void WindowHiding::TrayIconMessage(uintptr_t wparam, intptr_t lparam) {
    if (wparam != kTrayIconId) return;
    if (lparam == kTrayLeftButtonUp) {
        if (window_.isVisible())
            window_.hide();
        else
            ShowActive();
    } else if (lparam == kTrayRightButtonDown) {
        tray_menu_.popup(QCursor::pos());
    }
}

void WindowHiding::VynPlayer1Click() {
    if (window_.isVisible()) {
        window_.hide();
        HideSteps();
    } else {
        ShowActive();
        ShowSteps();
    }
}

void WindowHiding::HideToTray() {
    window_.hide();
    HideSteps();
}

void WindowHiding::ShowSteps() {
    taskbar_->SetAllowed(true);
    window_.raise();
    window_.activateWindow();
}

void WindowHiding::HideSteps() {
    taskbar_->SetAllowed(false);
}

void WindowHiding::ShowActive() {
    window_.showNormal();
    window_.raise();
    window_.activateWindow();
}
