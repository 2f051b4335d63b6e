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

class QtEventPump final : public EventPump {
public:
    void yieldEvents() override;
    void waitForEvents() override;
};
