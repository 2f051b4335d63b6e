#pragma once

// Every interval and time limit of the program, in one place. Tests build a copy with
// shorter values instead of sleeping.
struct Timings {
    int GrabbingMs = 100;          // tmrGrabbing: starts the driver after Grab Now
    int AlarmMs = 1000;            // tmrAlarm: network watch, dead time, new-version request
    int RefreshThumbViewMs = 5000; // tmrRefreshThumbView
    int FluxMs = 500;              // tmrFlux: reads the interface table, shows the speed
    int TextMs = 10;               // tmrText: re-selects the history entry after a pick
    int SlideMs = 3000;            // tmrSlide: slide show
    int DeadTimeSeconds = 46;      // no progress for this long cancels what is in flight
    int TransferIdleMs = 30000;    // a download without data for this long fails
    int TransferTotalMs = 300000;  // a download not finished this long after its start fails
};
