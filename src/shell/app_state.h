#pragma once

#include "grab/grab_state.h"
#include "shell/language_table.h"
#include "shell/main_window_status.h"
#include "shell/settings.h"
#include "shell/settings_store.h"
#include "shell/timings.h"

#include <QString>

class SettingsBackend;

// The process-wide state, one object per shared type, built by start-up and handed by
// reference to whoever needs it.
struct AppState {
    AppState(QString folder, SettingsBackend &backend)
        : programFolder(std::move(folder)), store(backend, programFolder)
    {
    }

    QString programFolder;
    SettingsStore store;
    Language language;
    Settings settings;
    ProjectList projects;
    GrabState grab;
    MainWindowStatus status;
    Timings timings;
};
