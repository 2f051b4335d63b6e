#include "shell/startup.h"

#include "core/app_state.h"
#include "core/text_ids.h"
#include "platform/instance_lock.h"
#include "platform/message_boxes.h"
#include "shell/frm_ambrola.h"

#include <QDir>

#include <exception>

namespace {
QString missingLanguageMessage(const QString &programFolder, LanguageLoadResult result,
                               const QString &filePath)
{
    const QString folder = QDir::toNativeSeparators(programFolder);
    if (result == LanguageLoadResult::CannotOpen)
        return QStringLiteral("The language file %1 cannot be read or is larger than 1 MiB.\n\n"
                              "Zovarode needs a readable language file (*.lan) in its program "
                              "folder:\n%2")
            .arg(QDir::toNativeSeparators(filePath), folder);
    return QStringLiteral("No language file (*.lan) was found in the program folder:\n%1\n\n"
                          "Zovarode cannot start without one. Put english.lan, francais.lan, "
                          "german.lan, italian.lan or spanish.lan into that folder.")
        .arg(folder);
}

QString setAsideMessage(const QString &setAside)
{
    return QStringLiteral("The settings file was larger than 16 MiB or not a plain file, so it "
                          "was not read. It was kept as:\n%1\n\n"
                          "Zovarode starts with the default settings.")
        .arg(QDir::toNativeSeparators(setAside));
}
} // namespace

StartupOutcome runStartup(AppState &state, ShellServices &services, InstanceLock &lock,
                          const FileListing &listing, std::unique_ptr<frmAmbrola> &ambrola)
{
    if (!lock.tryLock())
        return StartupOutcome::AlreadyRunning;

    const LanguageLoadResult loaded = loadLanguage(state.programFolder, listing, state.language);
    if (loaded != LanguageLoadResult::Loaded) {
        services.messages.showMessage(
            missingLanguageMessage(state.programFolder, loaded, state.language.LanguageFilePath),
            MessageBoxes::Icon::Exclamation);
        return StartupOutcome::NoLanguageFile;
    }

    if (const QString setAside = state.store.setAsideFile(); !setAside.isEmpty())
        services.messages.showMessage(setAsideMessage(setAside), MessageBoxes::Icon::Exclamation);
    if (state.store.IsFirstRun()) {
        state.settings = state.store.WriteDefaultSettings();
        state.projects.clear();
    } else {
        state.settings = state.store.LoadSettings(state.projects);
    }
    state.status.ListedFolder = state.settings.Download_File_Folder;

    try {
        ambrola = std::make_unique<frmAmbrola>(state, services);
        ambrola->Form_Load();
    } catch (const std::exception &) {
        ambrola.reset();
        services.messages.showMessage(state.language.LanguageText[TextId::StartupError],
                                      MessageBoxes::Icon::Exclamation);
        return StartupOutcome::LoadFailed;
    }
    return StartupOutcome::Running;
}

int exitCodeOf(StartupOutcome outcome)
{
    switch (outcome) {
    case StartupOutcome::Running:
    case StartupOutcome::AlreadyRunning:
        return 0;
    case StartupOutcome::NoLanguageFile:
        return 2;
    case StartupOutcome::LoadFailed:
        break;
    }
    return 1;
}
