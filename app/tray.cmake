# The tray icon, the taskbar presence and hiding (vyn_tray).
pkg_check_modules(XCB REQUIRED IMPORTED_TARGET xcb)
add_library(vyn_tray STATIC
    ${CMAKE_CURRENT_LIST_DIR}/tray_tip.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tray_icon.cpp
    ${CMAKE_CURRENT_LIST_DIR}/taskbar_presence.cpp
    ${CMAKE_CURRENT_LIST_DIR}/window_hiding.cpp
)
target_link_libraries(vyn_tray PUBLIC vyn_platform Qt6::Widgets PkgConfig::XCB)
