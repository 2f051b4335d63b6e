#pragma once

#include "core/app_state.h"
#include "platform/file_listing.h"
#include "platform/settings_backend.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// A program folder in a temporary directory holding the English language file, loaded, and
// first-run settings written to a settings file of its own. The test program defines
// ZOVARODE_LANG_DIR, the folder of the delivered language files.
class ProgramFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QFile::copy(QStringLiteral(ZOVARODE_LANG_DIR "/english.lan"),
                                folder.filePath(QStringLiteral("english.lan"))));
        ASSERT_EQ(loadLanguage(folder.path(), listing, state.language), LanguageLoadResult::Loaded);
        state.settings = state.store.WriteDefaultSettings();
    }
    const QString &text(int id) const { return state.language.LanguageText[id]; }
    // Writes a picture of one colour into the picture folder of the settings; returns its path.
    QString savePicture(const QString &name, QSize size)
    {
        const QString path = state.settings.Download_File_Folder + u'/' + name;
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        EXPECT_TRUE(image.save(path)) << path.toStdString();
        return path;
    }

    QTemporaryDir folder;
    DirFileListing listing;
    IniSettingsBackend backend{folder.filePath(QStringLiteral("settings.ini"))};
    AppState state{folder.path(), backend};
};
