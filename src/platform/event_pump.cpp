#include "platform/event_pump.h"

#include <QCoreApplication>

void QtEventPump::yieldEvents()
{
    QCoreApplication::processEvents();
}
