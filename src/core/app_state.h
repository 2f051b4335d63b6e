#pragma once

#include "core/grab_state.h"
#include "core/language_table.h"
#include "core/main_window_status.h"
#include "core/picture_files.h"
#include "core/settings.h"
#include "core/settings_store.h"
#include "core/timings.h"

#include <QString>

class SettingsBackend;

// The process-wide state, one object per shared type, built by start-up and handed by
// reference to whoever needs it.
struct AppState {
    AppState(QString folder, SettingsBackend &backend)
        : programFolder(std::move(folder)), projectFolder(programFolder),
          store(backend, programFolder)
    {
    }

    QString programFolder;
    // Where the project files lie: the program folder, or the user's data folder for an
    // installed program (start-up decides).
    QString projectFolder;
    SettingsStore store;
    Language language;
    Settings settings;
    ProjectList projects;
    GrabState grab;
    PictureFiles files;
    MainWindowStatus status;
    Timings timings;
};
