#pragma once

// Lets pending events run once. Long routines call this at their yield points, so that
// downloads, timer ticks and clicks are handled in between; tests count or stub it.
class EventPump {
public:
    virtual ~EventPump() = default;
    virtual void yieldEvents() = 0;
    // Waits until at least one event has arrived, then lets the pending events run. A pump
    // that never blocks (a test's) may keep this default.
    virtual void waitForEvents() { yieldEvents(); }
};

#include <QElapsedTimer>

#include <functional>

// Runs the application's pending events. A parser yields hundreds of thousands of times on a
// large page; running the event loop each time would cost more than the parse, so a yield
// that comes within a millisecond of the last one returns at once. Events still run at least
// once a millisecond of work, which keeps downloads, timers and clicks flowing.
class QtEventPump final : public EventPump {
public:
    void yieldEvents() override;
    void waitForEvents() override;

private:
    static constexpr qint64 YieldIntervalNs = 1'000'000;
    QElapsedTimer sinceLastRun_;
};

// Runs no events: calls a function at every yield instead, and counts the yields. For tests,
// benchmarks and fuzzing, where the routine under test must not run the event loop.
class ScriptedEventPump final : public EventPump {
public:
    void yieldEvents() override
    {
        ++yields;
        if (onYield)
            onYield();
    }

    int yields = 0;
    std::function<void()> onYield;
};
