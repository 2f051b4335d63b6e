#pragma once

#include <QIcon>

// The program's own icon: a framed picture with a downward arrow.
QIcon appIcon();
