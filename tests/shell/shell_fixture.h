#pragma once

#include "core/app_state.h"
#include "platform/file_listing.h"
#include "platform/settings_backend.h"
#include "shell/frm_ambrola.h"
#include "shell/startup.h"
#include "support/fakes.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

// A program folder with a language file, a settings file of its own and fake desktop
// services, so that start-up runs in-process.
class ShellFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QFile::copy(QStringLiteral(ZOVARODE_LANG_DIR "/english.lan"),
                                folder.filePath(QStringLiteral("english.lan"))));
    }

    QString iniPath() const { return folder.filePath(QStringLiteral("settings.ini")); }

    StartupOutcome start()
    {
        ambrola.reset();
        backend = std::make_unique<IniSettingsBackend>(iniPath());
        state = std::make_unique<AppState>(folder.path(), *backend);
        state->timings = timings;
        return runStartup(*state, services, lock, listing, ambrola);
    }

    QTemporaryDir folder;
    Timings timings;
    ScriptedMessageBoxes messages;
    FakeTray tray;
    RecordingUrlOpener urls;
    RecordingProcessControl process;
    FakeInstanceLock lock;
    DirFileListing listing;
    FixedNetworkState network;
    ShellServices services{tray, messages, urls, process, network};
    std::unique_ptr<IniSettingsBackend> backend;
    std::unique_ptr<AppState> state;
    std::unique_ptr<frmAmbrola> ambrola;
};
