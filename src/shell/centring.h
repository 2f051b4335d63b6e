#pragma once

class QWidget;

// The gap between the note and the link of the about window (240 twips).
inline constexpr int NoteLinkGap = 16;

// The left edge that centres something of the given width in a window of the given width.
int centredLeft(int windowWidth, int ownWidth);

// Moves a child widget so that it is centred horizontally in its parent, keeping its top.
void centreInParent(QWidget &child);

// Places two widgets side by side, centred together with a gap between them.
void centrePairInParent(QWidget &first, QWidget &second, int gap);
