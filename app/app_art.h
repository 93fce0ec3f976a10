// The program's own pictures, drawn in code so no binary asset is needed.
#pragma once

#include <QIcon>
#include <QPixmap>

// The application icon (32 x 32), used for the window and the tray.
QIcon ApplicationIcon();

// The about box's 272 x 103 picture.
QPixmap AboutPicture();
