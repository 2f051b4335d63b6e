#pragma once

#include "core/app_state.h"
#include "platform/file_listing.h"
#include "platform/settings_backend.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// A program folder in a temporary directory holding the English language file, loaded, and
// first-run settings written to a settings file of its own. The test program defines
// ZOVARODE_LANG_DIR, the folder of the delivered language files.
struct ProgramFolder {
    // Call from SetUp, under ASSERT_NO_FATAL_FAILURE.
    void prepareProgramFolder()
    {
        ASSERT_TRUE(folder.isValid());
        ASSERT_TRUE(QFile::copy(QStringLiteral(ZOVARODE_LANG_DIR "/english.lan"),
                                folder.filePath(QStringLiteral("english.lan"))));
        ASSERT_EQ(loadLanguage(folder.path(), listing, state.language), LanguageLoadResult::Loaded);
        state.settings = state.store.WriteDefaultSettings();
    }
    const QString &text(int id) const { return state.language.LanguageText[id]; }

    QTemporaryDir folder;
    DirFileListing listing;
    IniSettingsBackend backend{folder.filePath(QStringLiteral("settings.ini"))};
    AppState state{folder.path(), backend};
};
