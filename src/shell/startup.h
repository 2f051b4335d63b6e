#pragma once

#include <memory>

struct AppState;
struct ShellServices;
class FileListing;
class InstanceLock;
class frmAmbrola;

enum class StartupOutcome {
    Running,        // the hidden main window is loaded; the event loop takes over
    AlreadyRunning, // another instance runs; nothing was read or written
    NoLanguageFile, // the program folder holds no usable language file; a message said so
    LoadFailed,     // the hidden main window failed to load; text 14 was shown
};

// The start-up sequence: single instance, language, settings or first run, then the hidden
// main window. On Running, ambrola holds the loaded hidden main window.
StartupOutcome runStartup(AppState &state, ShellServices &services, InstanceLock &lock,
                          const FileListing &listing, std::unique_ptr<frmAmbrola> &ambrola);

// The exit status of the process for a start-up that did not reach Running.
int exitCodeOf(StartupOutcome outcome);
