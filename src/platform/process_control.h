#pragma once

class InstanceLock;

#include <QString>

// Starts other programs and ends this one.
class ProcessControl {
public:
    virtual ~ProcessControl() = default;
    // Ends the program at once: no further event handler runs and nothing more is written.
    virtual void endProcess(int exitCode) = 0;
    // Starts a program without waiting for it; false when it could not be started.
    virtual bool startDetached(const QString &program) = 0;
};

class ImmediateProcessEnd final : public ProcessControl {
public:
    explicit ImmediateProcessEnd(InstanceLock &lock) : lock_(lock) {}
    // Releases the single-instance lock, then ends the process without unwinding.
    [[noreturn]] void endProcess(int exitCode) override;
    bool startDetached(const QString &program) override;

private:
    InstanceLock &lock_;
};
