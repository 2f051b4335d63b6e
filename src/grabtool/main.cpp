// zovarode-grab: one grab from the command line. Results go to standard output, progress and
// errors to standard error.

#include "core/language_table.h"
#include "core/program_places.h"
#include "core/timings.h"
#include "grabtool/command_line_grab.h"
#include "platform/download_service.h"
#include "platform/event_pump.h"
#include "platform/file_listing.h"
#include "platform/network_state.h"

#include <QCoreApplication>
#include <QDir>
#include <QLocale>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <memory>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalPipe[1], &byte, 1);
}

// Ctrl+C and a termination request reach the event loop through a socket; a second one ends
// the process at once.
bool catchStopSignals()
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0)
        return false;
    struct sigaction action = {};
    action.sa_handler = onSignal;
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    return ::sigaction(SIGINT, &action, nullptr) == 0 &&
           ::sigaction(SIGTERM, &action, nullptr) == 0;
}

void print(std::FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const ParsedCommandLine parsed = parseCommandLine(QCoreApplication::arguments());
    switch (parsed.kind) {
    case ParsedCommandLine::Kind::Help:
    case ParsedCommandLine::Kind::Version:
        print(stdout, parsed.text);
        return ExitStatus::Done;
    case ParsedCommandLine::Kind::Error:
        print(stderr,
              QStringLiteral("zovarode-grab: %1\nTry 'zovarode-grab --help'.\n").arg(parsed.text));
        return ExitStatus::BadOptions;
    case ParsedCommandLine::Kind::Run:
        break;
    }
    const GrabOptions &options = parsed.options;
    const QString &folder = options.settings.Download_File_Folder;
    if (!CommandLineGrab::preparePictureFolder(folder)) {
        print(stderr, QStringLiteral("zovarode-grab: the folder %1 cannot be written\n")
                          .arg(QDir::toNativeSeparators(folder)));
        return ExitStatus::FolderNotWritable;
    }

    // The language file and the project files are the program's: a grab started here can be
    // resumed in the window and the other way round.
    const QString programFolder = QCoreApplication::applicationDirPath();
    Language language;
    const ProgramLanguage found = loadProgramLanguage(programFolder, DirFileListing(),
                                                      QLocale::system().uiLanguages(), language);
    const QString searchBase = language.SearchBaseAddress.isEmpty()
                                   ? searchBaseAddressFor(QStringLiteral("english.lan"))
                                   : language.SearchBaseAddress;
    const QString projectFolder =
        dataPlaces(programFolder, found.installed, UserFolders::ofCurrentUser()).projectFolder;
    QDir().mkpath(projectFolder);

    DownloadLimits limits;
    limits.connectionsPerHost = options.settings.Connections_Per_Host;
    NetworkDownloadService downloads(limits);
    InterfaceNetworkState network;
    QtEventPump events;
    const Timings timings;
    CommandLineGrab grab(options, projectFolder, searchBase, downloads, network, events, timings);

    std::unique_ptr<QSocketNotifier> stopSignals;
    if (catchStopSignals()) {
        stopSignals = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
        QObject::connect(stopSignals.get(), &QSocketNotifier::activated, &app, [&grab] {
            char byte;
            [[maybe_unused]] const auto read = ::read(signalPipe[0], &byte, 1);
            grab.interrupt();
        });
    }

    QTimer progressTimer;
    const bool showProgress = !options.quiet && ::isatty(STDERR_FILENO);
    if (showProgress) {
        // One line, rewritten in place once a second from the start.
        const auto showLine = [&grab] {
            print(stderr, u'\r' + progressText(grab.progress()) + QStringLiteral("\x1b[K"));
        };
        progressTimer.setInterval(timings.AlarmMs);
        QObject::connect(&progressTimer, &QTimer::timeout, &app, showLine);
        progressTimer.start();
        QTimer::singleShot(0, &app, showLine);
    }

    const GrabResult result = grab.run();
    if (showProgress)
        print(stderr, QStringLiteral("\r\x1b[K"));
    if (options.json)
        std::fputs(resultJson(result).constData(), stdout);
    else
        print(stdout, resultText(result));
    return exitStatusOf(result);
}
