#pragma once

class InstanceLock;

// Ends the program at once: no further event handler runs and nothing more is written.
class ProcessControl {
public:
    virtual ~ProcessControl() = default;
    virtual void endProcess(int exitCode) = 0;
};

class ImmediateProcessEnd final : public ProcessControl {
public:
    explicit ImmediateProcessEnd(InstanceLock &lock) : lock_(lock) {}
    // Releases the single-instance lock, then ends the process without unwinding.
    [[noreturn]] void endProcess(int exitCode) override;

private:
    InstanceLock &lock_;
};
