// A headless grab with the program's own engine, driver, parsers and picture store, for
// benchmarks and for trying the crawl from a shell. The settings that the options do not name
// take their defaults; the resume question is answered No.

#include "core/grab_state.h"
#include "core/language_table.h"
#include "core/main_window_status.h"
#include "core/settings.h"
#include "core/timings.h"
#include "crawl/crawl_context.h"
#include "crawl/parse_web.h"
#include "grab/grab_driver.h"
#include "grab/search_start.h"
#include "platform/download_service.h"
#include "platform/event_pump.h"
#include "platform/message_boxes.h"
#include "platform/network_state.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>

namespace {
// Writes messages to the error stream and answers every question No.
class ConsoleMessages final : public MessageBoxes {
public:
    void showMessage(const QString &text, Icon) override
    {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
    bool askYesNo(const QString &text, Icon) override
    {
        std::fprintf(stderr, "question: %s -> No\n", qPrintable(text));
        return false;
    }
};

// The status texts the engine and driver need; the runner shows none of them.
LanguageText runnerTexts()
{
    LanguageText texts;
    texts.set(69, QStringLiteral("pictures"));
    texts.set(70, QStringLiteral("pages"));
    texts.set(110, QStringLiteral("Grab finished."));
    texts.set(111, QStringLiteral("Grab stopped: the file numbers are used up."));
    texts.set(112, QStringLiteral("Grab stopped."));
    texts.set(113, QStringLiteral("Grab ended: the network connection was lost."));
    return texts;
}

const char *endingName(GrabDriver::Ending ending)
{
    switch (ending) {
    case GrabDriver::Ending::Finished:
        return "finished";
    case GrabDriver::Ending::Stopped:
        return "stopped";
    case GrabDriver::Ending::NetworkLost:
        break;
    }
    return "network lost";
}

bool applyOptions(const QCommandLineParser &parser, Settings &settings, QString &searchText)
{
    settings.Download_File_Folder = QDir(parser.value(QStringLiteral("folder"))).absolutePath();
    if (parser.isSet(QStringLiteral("name")))
        settings.Download_File_Name = parser.value(QStringLiteral("name"));
    bool ok = true;
    const auto number = [&parser, &ok](const char *name, auto &field) {
        const QString option = QString::fromLatin1(name);
        if (!parser.isSet(option))
            return false;
        bool converted = false;
        field = static_cast<std::remove_reference_t<decltype(field)>>(
            parser.value(option).toInt(&converted));
        ok = ok && converted;
        return true;
    };
    if (number("connections", settings.Connections_Per_Host))
        ok = ok && settings.Connections_Per_Host >= 1 && settings.Connections_Per_Host <= 16;
    number("from", settings.FileFromNum);
    number("to", settings.FileToNum);
    settings.FileOverwrite = !parser.isSet(QStringLiteral("no-overwrite"));
    settings.Limited_Images_Size = number("min-size", settings.Images_File_Size);
    const bool width = number("min-width", settings.Images_Width);
    const bool height = number("min-height", settings.Images_Height);
    settings.Limited_Images_Resolution = width || height;
    settings.StayOnSameSite = parser.isSet(QStringLiteral("same-site"));
    if (parser.isSet(QStringLiteral("formats"))) {
        const QStringList formats =
            parser.value(QStringLiteral("formats")).toLower().split(u',', Qt::SkipEmptyParts);
        settings.GIF_Download = formats.contains(u"gif");
        settings.JPG_Download = formats.contains(u"jpg");
        settings.JPEG_Download = formats.contains(u"jpeg");
        settings.BMP_Download = formats.contains(u"bmp");
        settings.PNG_Download = formats.contains(u"png");
    }
    searchText = parser.isSet(QStringLiteral("site")) ? parser.value(QStringLiteral("site"))
                                                      : parser.value(QStringLiteral("keyword"));
    return ok;
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("One headless grab."));
    parser.addHelpOption();
    parser.addOptions({
        {QStringLiteral("folder"), QStringLiteral("Picture folder."), QStringLiteral("DIR")},
        {QStringLiteral("name"), QStringLiteral("File name prefix."), QStringLiteral("PREFIX")},
        {QStringLiteral("from"), QStringLiteral("First file number."), QStringLiteral("N")},
        {QStringLiteral("to"), QStringLiteral("Last file number."), QStringLiteral("N")},
        {QStringLiteral("no-overwrite"), QStringLiteral("Keep existing files.")},
        {QStringLiteral("formats"), QStringLiteral("Formats to accept."), QStringLiteral("LIST")},
        {QStringLiteral("min-size"), QStringLiteral("Minimum size in KB."), QStringLiteral("KB")},
        {QStringLiteral("min-width"), QStringLiteral("Minimum width."), QStringLiteral("PX")},
        {QStringLiteral("min-height"), QStringLiteral("Minimum height."), QStringLiteral("PX")},
        {QStringLiteral("same-site"), QStringLiteral("Stay on the start site.")},
        {QStringLiteral("search-base"), QStringLiteral("Image search address."),
         QStringLiteral("URL")},
        {QStringLiteral("site"), QStringLiteral("Website to crawl."), QStringLiteral("ADDRESS")},
        {QStringLiteral("keyword"), QStringLiteral("Keyword to search."), QStringLiteral("TEXT")},
        {QStringLiteral("connections"), QStringLiteral("Downloads at once per host (1-16)."),
         QStringLiteral("N")},
    });
    parser.process(app);

    Settings settings;
    QString searchText;
    if (!parser.isSet(QStringLiteral("folder")) ||
        parser.isSet(QStringLiteral("site")) == parser.isSet(QStringLiteral("keyword")) ||
        !applyOptions(parser, settings, searchText) || searchText.isEmpty()) {
        std::fprintf(stderr, "%s", qPrintable(parser.helpText()));
        return 2;
    }
    QDir().mkpath(settings.Download_File_Folder);

    const QString searchBase = parser.isSet(QStringLiteral("search-base"))
                                   ? parser.value(QStringLiteral("search-base"))
                                   : searchBaseAddressFor(QStringLiteral("english.lan"));
    // The search text goes through the same normalisation as a grab started from the window.
    const SearchStart start = startOfSearch(searchText, QCoreApplication::applicationDirPath(),
                                            searchBase, QStringLiteral("&start=0&sa=N"));

    GrabState grab;
    MainWindowStatus status;
    const LanguageText texts = runnerTexts();
    QtEventPump events;
    CrawlContext context{settings, grab, status, texts, events};
    prepareGrab(grab, start, settings);

    Timings timings;
    DownloadLimits limits;
    limits.connectionsPerHost = settings.Connections_Per_Host;
    NetworkDownloadService downloads(limits);
    ocxParseWeb engine(context, downloads, nullptr);
    ConsoleMessages messages;
    InterfaceNetworkState network;
    QTimer refreshTimer;
    GrabDriver driver(context, engine, messages, network, timings, refreshTimer, QString());
    engine.ResetDeadTime = [&driver] { driver.ResetDeadTime(); };
    QTimer alarm;
    alarm.setInterval(timings.AlarmMs);
    QObject::connect(&alarm, &QTimer::timeout, &app, [&driver] { driver.tmrAlarm_Timer(); });
    alarm.start();

    QElapsedTimer clock;
    clock.start();
    const GrabDriver::Ending ending = driver.RunGrabbing();
    std::printf("ending: %s\npictures: %d\npages: %d\nseconds: %.2f\n", endingName(ending),
                grab.PicturesSaved, grab.PagesCounted, clock.elapsed() / 1000.0);
    return 0;
}
