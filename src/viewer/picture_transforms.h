#pragma once

// The viewer's four transforms as pixel mappings on a natural-size picture. Rotations swap
// width and height; the source picture is left as it is.

#include <QImage>

enum class Transform { FlipHorizontal, FlipVertical, RotateLeft, RotateRight };

// Flip horizontal mirrors left and right, flip vertical top and bottom; rotate left is a
// quarter turn counter-clockwise (pixel x, y of a W-wide picture goes to y, W - 1 - x), rotate
// right a quarter turn clockwise (x, y of an H-high picture goes to H - 1 - y, x).
QImage transformed(const QImage &picture, Transform transform);
