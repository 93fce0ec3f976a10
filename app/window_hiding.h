// Showing and hiding the main window from the tray: the tray icon's mouse messages, the tray
// menu's show/hide item and hiding on close. Hiding by the menu or by closing also takes the
// taskbar entry away; only the menu's show gives it back. A left click on the icon toggles
// the window alone and leaves the taskbar entry as it was.
#pragma once

#include <QMenu>
#include <QWidget>
#include <cstdint>

#include "app/taskbar_presence.h"

class WindowHiding {
  public:
    // `tray_menu` is the menu that the right button opens over the icon.
    WindowHiding(QWidget& window, QMenu& tray_menu);

    // Handler of VYN_WM_TRAYICON: wparam is the icon id, lparam the mouse message.
    void TrayIconMessage(uintptr_t wparam, intptr_t lparam);
    // The tray menu's show/hide item.
    void VynPlayer1Click();
    // Closing while the window is visible and hiding is chosen: hide it, taskbar entry too.
    void HideToTray();

    void ShowSteps();
    void HideSteps();

    bool InTaskbar() const { return taskbar_->InTaskbar(); }

  private:
    void ShowActive();

    QWidget& window_;
    QMenu& tray_menu_;
    TaskbarPresence* taskbar_;  // child of the window
};
