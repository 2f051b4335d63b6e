#pragma once

// Lets pending events run once. Long routines call this at their yield points, so that
// downloads, timer ticks and clicks are handled in between; tests count or stub it.
class EventPump {
public:
    virtual ~EventPump() = default;
    virtual void yieldEvents() = 0;
};

class QtEventPump final : public EventPump {
public:
    void yieldEvents() override;
};
