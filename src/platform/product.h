#pragma once

#include <QString>

// The product title: the title of every message box and part of the about window.
inline QString productTitle()
{
    return QStringLiteral("Zovarode 3.74");
}
