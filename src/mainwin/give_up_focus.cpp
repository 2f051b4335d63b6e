#include "mainwin/give_up_focus.h"

#include <QWidget>

void giveUpFocus(QWidget *control)
{
    control->setEnabled(false);
    control->setEnabled(true);
}
