#pragma once

// What the main window asks of the hidden main window that owns the grab's timers.
class MainWindowHost {
public:
    virtual ~MainWindowHost() = default;
    // Shows the help window and returns when it is closed.
    virtual void showHelp() = 0;
    // False while a thumbnail page is being rebuilt; commands that use the file list wait.
    virtual bool thumbRefreshEnabled() const = 0;
    // Starts the thumbnail refresh and, after its short delay, the grabbing driver.
    virtual void startGrabTimers() = 0;
    // Drops a driver start that is still waiting for its timer.
    virtual void cancelGrabStart() = 0;
};
