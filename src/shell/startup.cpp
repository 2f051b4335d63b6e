#include "shell/startup.h"

#include "core/app_state.h"
#include "core/program_places.h"
#include "core/text_ids.h"
#include "platform/instance_lock.h"
#include "platform/message_boxes.h"
#include "shell/frm_ambrola.h"

#include <QDir>
#include <QLocale>
#include <QLoggingCategory>

#include <exception>

namespace {
// Where start-up found its files; shown with QT_LOGGING_RULES="zovarode.startup.info=true".
Q_LOGGING_CATEGORY(startupLog, "zovarode.startup", QtWarningMsg)

QString missingLanguageMessage(const QString &programFolder, LanguageLoadResult result,
                               const QString &filePath)
{
    const QString folder = QDir::toNativeSeparators(programFolder);
    if (result == LanguageLoadResult::CannotOpen)
        return QStringLiteral("The language file %1 cannot be read or is larger than 1 MiB.\n\n"
                              "Zovarode needs a readable language file (*.lan) in its program "
                              "folder:\n%2")
            .arg(QDir::toNativeSeparators(filePath), folder);
    return QStringLiteral("No language file (*.lan) was found in the program folder:\n%1\n"
                          "nor in the folder of an installed program:\n%2\n\n"
                          "Zovarode cannot start without one. Put english.lan, francais.lan, "
                          "german.lan, italian.lan or spanish.lan into the program folder.")
        .arg(folder, QDir::toNativeSeparators(installedLanguageFolder(programFolder)));
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

    const ProgramLanguage loaded = loadProgramLanguage(
        state.programFolder, listing, QLocale::system().uiLanguages(), state.language);
    if (loaded.result != LanguageLoadResult::Loaded) {
        services.messages.showMessage(missingLanguageMessage(state.programFolder, loaded.result,
                                                             state.language.LanguageFilePath),
                                      MessageBoxes::Icon::Exclamation);
        return StartupOutcome::NoLanguageFile;
    }

    const DataPlaces places =
        dataPlaces(state.programFolder, loaded.installed, UserFolders::ofCurrentUser());
    state.projectFolder = places.projectFolder;
    QDir().mkpath(state.projectFolder);
    state.store.setDefaultPictureFolder(places.defaultPictureFolder);
    if (const QString setAside = state.store.setAsideFile(); !setAside.isEmpty())
        services.messages.showMessage(setAsideMessage(setAside), MessageBoxes::Icon::Exclamation);
    if (state.store.IsFirstRun()) {
        state.settings = state.store.WriteDefaultSettings();
        state.projects.clear();
    } else {
        state.settings = state.store.LoadSettings(state.projects);
    }
    state.status.ListedFolder = state.settings.Download_File_Folder;
    qCInfo(startupLog).noquote() << "language file:" << state.language.LanguageFilePath;
    qCInfo(startupLog).noquote() << "tray menu, first item:"
                                 << state.language.LanguageText[TextId::TrayGrabbing];
    qCInfo(startupLog).noquote() << "picture folder:" << state.settings.Download_File_Folder;
    qCInfo(startupLog).noquote() << "project folder:" << state.projectFolder;

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
