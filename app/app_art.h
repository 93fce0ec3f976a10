// The program's own pictures, drawn in code so no binary asset is needed.
#pragma once

#include <QByteArray>
#include <QIcon>
#include <QImage>
#include <QPixmap>

// The application icon (32 x 32), used for the window and the tray.
QIcon ApplicationIcon();

// The same icon at any size, for the installed PNGs; needs no running application.
QImage IconImage(int size);
// The same shapes as scalable vector graphics, `size` units wide.
QByteArray IconSvg(int size = 256);

// The about box's 272 x 103 picture.
QPixmap AboutPicture();
