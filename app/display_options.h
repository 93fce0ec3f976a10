// Settings for the display connection, made before the QApplication exists.
#pragma once

#include <QtGlobal>

// On X11, repaints go to the server as plain image requests instead of through shared
// memory: Qt waits a round trip before it reuses a shared segment, which wakes the program
// on every repaint of the time label and the seek bar; a window this small gains nothing
// from sharing. A value the user set stays.
inline void PrepareDisplayConnection() {
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM")) qputenv("QT_XCB_NO_MITSHM", "1");
}
