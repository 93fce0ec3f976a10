// Showing and hiding the main window from the tray: the tray icon's mouse messages, the tray
// menu's show/hide item and hiding on close. Hiding by the menu or by closing also takes the
// taskbar entry away; only the menu's show gives it back. A left click on the icon toggles
// the window alone and leaves the taskbar entry as it was.
//
// Many desktops have no notification area. Without one, closing minimises the window and it
// keeps its taskbar entry; and when the area goes away while the window is hidden, the window
// comes back at once with its entry, since nothing else could bring it back.
#pragma once

#include <QMenu>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <functional>

#include "app/taskbar_presence.h"

// Whether a notification area can hold the icon right now.
using TrayAvailability = std::function<bool()>;
bool PlatformTrayAvailable();

class WindowHiding {
  public:
    // `tray_menu` is the menu that the right button opens over the icon.
    WindowHiding(QWidget& window, QMenu& tray_menu,
                 TrayAvailability tray_available = PlatformTrayAvailable);

    // Handler of VYN_WM_TRAYICON: wparam is the icon id, lparam the mouse message.
    void TrayIconMessage(uintptr_t wparam, intptr_t lparam);
    // The tray menu's show/hide item.
    void VynPlayer1Click();
    // Closing while the window is visible and hiding is chosen: hide it, taskbar entry too;
    // without a notification area, minimise it instead.
    void HideToTray();

    void ShowSteps();
    void HideSteps();

    bool InTaskbar() const { return taskbar_->InTaskbar(); }
    // Where the notification area's presence is learnt from (the platform unless replaced).
    void SetTrayAvailability(TrayAvailability tray_available) {
        tray_available_ = std::move(tray_available);
    }

  private:
    void ShowActive();
    void Hide();
    void CheckTrayWhileHidden();

    QWidget& window_;
    QMenu& tray_menu_;
    TrayAvailability tray_available_;
    TaskbarPresence* taskbar_;  // child of the window
    QTimer* tray_watch_;        // child of the window; runs only while the window is hidden
};
