#pragma once

#include "imaging/thumbnails.h"
#include "mainwin/frm_resource.h"
#include "mainwin/main_window_host.h"
#include "mainwin/ocx_resource.h"
#include "mainwin/panel_values.h"
#include "platform/event_pump.h"
#include "support/fakes.h"
#include "support/program_folder.h"

#include <memory>

class RecordingPreview final : public PicturePreview {
public:
    void showCurrent() override { shownIndices.push_back(files.CurrentImageIndex); }
    void unload() override { ++unloads; }

    explicit RecordingPreview(const PictureFiles &list) : files(list) {}
    const PictureFiles &files;
    std::vector<int> shownIndices;
    int unloads = 0;
};

// Decodes thumbnails in the test's thread and yields without running events.
class RecordingHost final : public MainWindowHost {
public:
    explicit RecordingHost(const PictureFiles &files) : previews(files) {}

    void showHelp() override { ++helpShown; }
    bool thumbRefreshEnabled() const override { return refreshEnabled; }
    void setThumbRefreshEnabled(bool enabled) override { refreshEnabled = enabled; }
    void startGrabTimers() override { ++timerStarts; }
    void cancelGrabStart() override { ++startsCancelled; }
    FolderListing &folderListing() override { return listing; }
    ThumbnailCache &thumbnails() override { return cache; }
    EventPump &events() override { return pump; }
    PicturePreview *viewer() override { return &previews; }

    bool refreshEnabled = true;
    int helpShown = 0;
    int timerStarts = 0;
    int startsCancelled = 0;
    DirFileListing dirListing;
    FolderListing listing{dirListing, false};
    ThumbnailCache cache{ThumbnailCache::DefaultCapacity, 0};
    ScriptedEventPump pump;
    RecordingPreview previews;
};

// The main window built on demand over the program folder, scripted message boxes and folder
// picker, and the recording host.
class MainWindowFixture : public ::testing::Test, protected ProgramFolder {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(prepareProgramFolder());
        state.files.ListedFolder = state.settings.Download_File_Folder;
        state.status.MainWindowOpen = true;
    }

    frmResource &open()
    {
        window = std::make_unique<frmResource>(state, values, messages, folders, host);
        window->Form_Load();
        return *window;
    }
    ocxResource &panel() { return window->panel(); }

    PanelValues values;
    ScriptedMessageBoxes messages;
    ScriptedFolderPicker folders;
    RecordingHost host{state.files};
    std::unique_ptr<frmResource> window;
};
