#include "app/window_hiding.h"

#include <QCursor>
#include <QSystemTrayIcon>

#include "app/tray_icon.h"

namespace {
// How soon a vanished notification area gives the window back. Checking is cheap while an
// area exists (the platform keeps track of it) and happens only while the window is hidden.
constexpr int kTrayWatchMs = 250;
}  // namespace

bool PlatformTrayAvailable() {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

WindowHiding::WindowHiding(QWidget& window, QMenu& tray_menu, TrayAvailability tray_available)
    : window_(window),
      tray_menu_(tray_menu),
      tray_available_(std::move(tray_available)),
      taskbar_(new TaskbarPresence(window)),
      tray_watch_(new QTimer(&window)) {
    tray_watch_->setInterval(kTrayWatchMs);
    QObject::connect(tray_watch_, &QTimer::timeout, &window, [this] { CheckTrayWhileHidden(); });
}

void WindowHiding::TrayIconMessage(uintptr_t wparam, intptr_t lparam) {
    if (wparam != kTrayIconId) return;
    if (lparam == kTrayLeftButtonUp) {
        if (window_.isVisible())
            Hide();
        else
            ShowActive();
    } else if (lparam == kTrayRightButtonDown) {
        tray_menu_.popup(QCursor::pos());
    }
}

void WindowHiding::VynPlayer1Click() {
    if (window_.isVisible()) {
        Hide();
        HideSteps();
    } else {
        ShowActive();
        ShowSteps();
    }
}

void WindowHiding::HideToTray() {
    if (!tray_available_()) {
        window_.showMinimized();
        return;
    }
    Hide();
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
    tray_watch_->stop();
    window_.showNormal();
    window_.raise();
    window_.activateWindow();
}

void WindowHiding::Hide() {
    window_.hide();
    tray_watch_->start();
}

void WindowHiding::CheckTrayWhileHidden() {
    if (window_.isVisible()) {  // shown by some other way
        tray_watch_->stop();
        return;
    }
    if (tray_available_()) return;
    ShowActive();
    ShowSteps();
}
