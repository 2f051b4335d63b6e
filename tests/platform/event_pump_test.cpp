#include "platform/event_pump.h"

#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

TEST(QtEventPump, YieldsRunPendingEventsAtLeastOnceAMillisecond)
{
    QtEventPump pump;
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
    timer.start(0);

    // A busy routine that yields constantly still lets the timer run.
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 30)
        pump.yieldEvents();
    EXPECT_GE(ticks, 2);
}

TEST(QtEventPump, WaitReturnsOnceAnEventArrived)
{
    QtEventPump pump;
    bool fired = false;
    QTimer::singleShot(5, [&fired] { fired = true; });
    while (!fired)
        pump.waitForEvents();
    EXPECT_TRUE(fired);
}
