// The main window's three popup menus, built with the item names and captions the rest of
// the program binds to.
#pragma once

#include <QMenu>

class QWidget;

struct MainMenus {
    QMenu* PopupMenu1;  // add: AddFile, AddDir
    QMenu* PopupMenu2;  // tray: N6 (N1..N5, N8 (N9, N10), N13 (N14, N15)), VynPlayer1, N7
    QMenu* PopupMenu3;  // remove: N11, N12
};

// The menus are children of `owner`; every item is a QAction named as listed above.
MainMenus BuildMainMenus(QWidget* owner);
