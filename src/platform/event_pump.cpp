#include "platform/event_pump.h"

#include <QCoreApplication>

void QtEventPump::yieldEvents()
{
    QCoreApplication::processEvents();
}

void QtEventPump::waitForEvents()
{
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}
