#pragma once

// The main window with services that do nothing and a host that only serves the thumbnail
// strip, for the benchmarks and the screenshot programs.

#include "core/app_state.h"
#include "imaging/thumbnails.h"
#include "mainwin/frm_resource.h"
#include "mainwin/main_window_host.h"
#include "mainwin/panel_values.h"
#include "mainwin/thumb_view.h"
#include "platform/event_pump.h"
#include "platform/file_listing.h"
#include "platform/folder_picker.h"
#include "platform/message_boxes.h"
#include "platform/settings_backend.h"
#include "platform/url_opener.h"

#include <QTemporaryDir>

#include <memory>

class NoMessages final : public MessageBoxes {
public:
    void showMessage(const QString &, Icon) override {}
    bool askYesNo(const QString &, Icon) override { return false; }
};

class NoFolderPicker final : public FolderPicker {
public:
    QString BrowseForFolder(QWidget *, const QString &) override { return {}; }
};

class NoUrls final : public UrlOpener {
public:
    void open(const QString &) override {}
};

class IdleHost final : public MainWindowHost {
public:
    IdleHost() { forget(); }
    void showHelp() override {}
    bool thumbRefreshEnabled() const override { return true; }
    void setThumbRefreshEnabled(bool) override {}
    void startGrabTimers() override {}
    void cancelGrabStart() override {}
    FolderListing &folderListing() override { return *listing; }
    ThumbnailCache &thumbnails() override { return *cache; }
    EventPump &events() override { return pump; }
    PicturePreview *viewer() override { return nullptr; }

    // Nothing listed or decoded yet, as when the program starts.
    void forget()
    {
        listing = std::make_unique<FolderListing>(dirListing);
        cache = std::make_unique<ThumbnailCache>(ThumbnailCache::DefaultCapacity, ThumbsPerPage);
    }

    DirFileListing dirListing;
    std::unique_ptr<FolderListing> listing;
    std::unique_ptr<ThumbnailCache> cache;
    QtEventPump pump;
};

// The state, services and host of a main window, with the settings file in a temporary
// folder; the program folder is that folder too unless one is given.
struct MainWindowRig {
    explicit MainWindowRig(const QString &programFolder = QString())
        : state(programFolder.isEmpty() ? settingsDir.path() : programFolder, backend)
    {
    }
    frmResource &open()
    {
        window = std::make_unique<frmResource>(state, values, messages, folders, host);
        return *window;
    }

    QTemporaryDir settingsDir;
    IniSettingsBackend backend{settingsDir.filePath(QStringLiteral("settings.ini"))};
    AppState state;
    PanelValues values;
    NoMessages messages;
    NoFolderPicker folders;
    NoUrls urls;
    IdleHost host;
    std::unique_ptr<frmResource> window;
};
