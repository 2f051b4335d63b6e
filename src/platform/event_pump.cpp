#include "platform/event_pump.h"

#include <QCoreApplication>

void QtEventPump::yieldEvents()
{
    if (sinceLastRun_.isValid() && sinceLastRun_.nsecsElapsed() < YieldIntervalNs)
        return;
    QCoreApplication::processEvents();
    sinceLastRun_.start();
}

void QtEventPump::waitForEvents()
{
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    sinceLastRun_.start();
}
