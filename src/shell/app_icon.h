#pragma once

#include <QByteArray>
#include <QIcon>
#include <QImage>

// The program's own icon: a framed picture with a downward arrow, drawn on a 32 x 32 grid.
// One drawing gives the window and tray icon, and the PNG and SVG files that are installed.
QIcon appIcon();
QImage appIconImage(int size);
QByteArray appIconSvg();
