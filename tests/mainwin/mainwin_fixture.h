#pragma once

#include "core/app_state.h"
#include "mainwin/frm_resource.h"
#include "mainwin/main_window_host.h"
#include "mainwin/ocx_resource.h"
#include "mainwin/panel_values.h"
#include "platform/file_listing.h"
#include "platform/settings_backend.h"
#include "support/fakes.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

class RecordingHost final : public MainWindowHost {
public:
    void showHelp() override { ++helpShown; }
    bool thumbRefreshEnabled() const override { return refreshEnabled; }
    void startGrabTimers() override { ++timerStarts; }
    void cancelGrabStart() override { ++startsCancelled; }

    bool refreshEnabled = true;
    int helpShown = 0;
    int timerStarts = 0;
    int startsCancelled = 0;
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
        state.status.ListedFolder = state.settings.Download_File_Folder;
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
    RecordingHost host;
    std::unique_ptr<frmResource> window;
    std::unique_ptr<QTemporaryDir> languageFolder;
};
