#include "shell/centring.h"

#include <QWidget>

int centredLeft(int windowWidth, int ownWidth)
{
    return (windowWidth - ownWidth) / 2;
}

void centreInParent(QWidget &child)
{
    child.move(centredLeft(child.parentWidget()->width(), child.width()), child.y());
}

void centrePairInParent(QWidget &first, QWidget &second, int gap)
{
    const int left =
        centredLeft(first.parentWidget()->width(), first.width() + second.width() + gap);
    first.move(left, first.y());
    second.move(left + first.width() + gap, second.y());
}
