#include "grab_world.h"

#include "grab/project_file.h"
#include "grab/search_start.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>

#include <optional>

DownloadLimits testLimits()
{
    DownloadLimits limits;
    limits.idleTimeoutMs = 3000;
    limits.totalTimeoutMs = 15000;
    limits.maxBodyBytes = qint64(4) * 1024 * 1024;
    return limits;
}

Timings testTimings()
{
    Timings timings;
    timings.AlarmMs = 50;
    timings.DeadTimeSeconds = 400;
    return timings;
}

void WatchedMessages::showMessage(const QString &text, Icon icon)
{
    activeAtLastMessage = downloads_.activeDownloads();
    script.showMessage(text, icon);
}

bool WatchedMessages::askYesNo(const QString &text, Icon icon)
{
    return script.askYesNo(text, icon);
}

GrabWorld::GrabWorld(const DownloadLimits &limits, const Timings &timings)
    : timings(timings), downloads(limits),
      driver(context, engine, messages, network, this->timings, refreshTimer, QString())
{
    for (int i = 0; i < LanguageText::Count; ++i)
        texts.set(i, QStringLiteral("text%1").arg(i));
    settings.Download_File_Folder = pictureFolder.path();
    settings.FileToNum = 1000;
    engine.ResetDeadTime = [this] { driver.ResetDeadTime(); };

    // Connected after the engine, so these run once the engine has handled each notice.
    QObject::connect(&downloads, &DownloadService::progress, &downloads,
                     [this] { checkCounts("after a progress notice"); });
    QObject::connect(&downloads, &DownloadService::completed, &downloads,
                     [this] { checkCounts("after a completion"); });

    tmrAlarm.setInterval(this->timings.AlarmMs);
    QObject::connect(&tmrAlarm, &QTimer::timeout, [this] {
        driver.tmrAlarm_Timer();
        if (onTick)
            onTick();
    });
    tmrAlarm.start();
}

void GrabWorld::checkCounts(const char *when)
{
    // Requests end in the service before the engine hears of them, so the driver's counts
    // may run ahead of the service but never behind it: a request counted out twice would
    // leave the counts below what is really running.
    const qint32 counted = qint32{grab.PagesInFlight} + grab.PicturesInFlight;
    if (grab.PagesInFlight < 0 || grab.PicturesInFlight < 0 ||
        counted < downloads.activeDownloads())
        problems.append(QStringLiteral("%1: %2 pages and %3 pictures counted, %4 running")
                            .arg(QLatin1String(when))
                            .arg(grab.PagesInFlight)
                            .arg(grab.PicturesInFlight)
                            .arg(downloads.activeDownloads()));
}

GrabDriver::Ending GrabWorld::run(const QString &searchText)
{
    const SearchStart start = startOfSearch(searchText, programFolder.path(), searchBase,
                                            QStringLiteral("&start=0&sa=N"));
    prepareGrab(grab, start, settings);

    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [this] {
        problems.append(QStringLiteral("the watchdog stopped a grab that did not end"));
        grab.StopRequested = true;
    });
    watchdog.start(watchdogMs);

    std::optional<GrabDriver::Ending> ending;
    QEventLoop loop;
    QTimer::singleShot(0, &loop, [&] {
        ending = driver.RunGrabbing();
        loop.quit();
    });
    loop.exec();
    return *ending;
}

QMap<QString, QByteArray> GrabWorld::savedPictures() const
{
    QMap<QString, QByteArray> pictures;
    const QDir folder(pictureFolder.path());
    for (const QString &name : folder.entryList(QDir::Files)) {
        QFile file(folder.filePath(name));
        if (file.open(QIODevice::ReadOnly))
            pictures.insert(name, file.readAll());
    }
    return pictures;
}

QStringList GrabWorld::projectLines() const
{
    QFile file(grab.ProjectFilePath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromLatin1(file.readAll()).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QString &line : lines)
        line = UnscrambleText(ProjectKey, line);
    return lines;
}

QStringList GrabWorld::messageTexts() const
{
    QStringList texts;
    for (const ScriptedMessageBoxes::Shown &shown : messages.script.shown)
        texts.append(shown.text);
    return texts;
}
