# tray icon, taskbar presence and hiding (vyn_tray)
