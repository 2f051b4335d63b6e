#pragma once

#include "core/app_state.h"
#include "imaging/thumbnails.h"
#include "mainwin/frm_resource.h"
#include "mainwin/main_window_host.h"
#include "mainwin/ocx_resource.h"
#include "mainwin/panel_values.h"
#include "platform/event_pump.h"
#include "platform/file_listing.h"
#include "platform/settings_backend.h"
#include "support/fakes.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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

// A program folder with the English language file, first-run settings in a file of its own,
// and the main window built on demand over scripted message boxes and folder picker.
class MainWindowFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        ASSERT_TRUE(QFile::copy(QStringLiteral(ZOVARODE_LANG_DIR "/english.lan"),
                                folder.filePath(QStringLiteral("english.lan"))));
        ASSERT_EQ(loadLanguage(folder.path(), listing, state.language), LanguageLoadResult::Loaded);
        state.settings = state.store.WriteDefaultSettings();
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

    // Reads the texts from another of the delivered language files.
    void useLanguageFile(const QString &name)
    {
        languageFolder = std::make_unique<QTemporaryDir>();
        ASSERT_TRUE(QFile::copy(QStringLiteral(ZOVARODE_LANG_DIR "/") + name,
                                languageFolder->filePath(name)));
        ASSERT_EQ(loadLanguage(languageFolder->path(), listing, state.language),
                  LanguageLoadResult::Loaded);
    }

    const QString &text(int index) const { return state.language.LanguageText[index]; }

    // A value as the settings file on disk holds it.
    QString stored(const QString &key, const QString &name) const
    {
        IniSettingsBackend onDisk(folder.filePath(QStringLiteral("settings.ini")));
        return onDisk.read(key, name).value_or(QStringLiteral("<none>"));
    }

    QStringList messageTexts() const
    {
        QStringList texts;
        for (const auto &shown : messages.shown)
            texts.append(shown.text);
        return texts;
    }

    QTemporaryDir folder;
    DirFileListing listing;
    IniSettingsBackend backend{folder.filePath(QStringLiteral("settings.ini"))};
    AppState state{folder.path(), backend};
    PanelValues values;
    ScriptedMessageBoxes messages;
    ScriptedFolderPicker folders;
    RecordingHost host{state.files};
    std::unique_ptr<frmResource> window;
    std::unique_ptr<QTemporaryDir> languageFolder;
};
