#pragma once

class QWidget;

// Takes the keyboard focus away from a control after its click, so that it keeps no focus
// frame: the control is disabled and enabled again at once.
void giveUpFocus(QWidget *control);
