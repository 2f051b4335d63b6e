#include "core/app_state.h"
#include "platform/file_listing.h"
#include "platform/instance_lock.h"
#include "platform/message_box_dialogs.h"
#include "platform/network_state.h"
#include "platform/process_control.h"
#include "platform/settings_backend.h"
#include "platform/tray_icon.h"
#include "platform/url_opener.h"
#include "shell/app_icon.h"
#include "shell/frm_ambrola.h"
#include "shell/qt_translations.h"
#include "shell/startup.h"

#include <QApplication>
#include <QFileInfo>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // The program lives in the tray: closing its last window does not end it.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(appIcon());
    // Lets the desktop match the windows with the installed desktop entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("example.zovarode.Zovarode"));

    LockFileInstanceLock lock;
    DirFileListing listing;
    IniSettingsBackend backend;
    MessageBoxDialogs messages;
    SystemTrayIcon tray;
    DesktopUrlOpener urls;
    ImmediateProcessEnd process(lock);
    InterfaceNetworkState network;
    ShellServices services{tray, messages, urls, process, network};

    AppState state(QCoreApplication::applicationDirPath(), backend);
    std::unique_ptr<frmAmbrola> ambrola;
    const StartupOutcome outcome = runStartup(state, services, lock, listing, ambrola);
    if (outcome != StartupOutcome::Running)
        return exitCodeOf(outcome);
    const QtTranslations qtTexts(QFileInfo(state.language.LanguageFilePath).fileName());
    return QApplication::exec();
}
