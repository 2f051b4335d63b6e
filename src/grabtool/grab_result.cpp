#include "grabtool/grab_result.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {
QString endingName(GrabResult::Ending ending)
{
    switch (ending) {
    case GrabResult::Ending::Finished:
        return QStringLiteral("finished");
    case GrabResult::Ending::Stopped:
        return QStringLiteral("stopped");
    case GrabResult::Ending::NetworkLost:
        return QStringLiteral("network lost");
    case GrabResult::Ending::Interrupted:
        break;
    }
    return QStringLiteral("interrupted");
}
} // namespace

int exitStatusOf(const GrabResult &result)
{
    switch (result.ending) {
    case GrabResult::Ending::Finished:
    case GrabResult::Ending::Stopped:
        return result.notWritten > 0 ? ExitStatus::FolderNotWritable : ExitStatus::Done;
    case GrabResult::Ending::NetworkLost:
        return ExitStatus::NetworkLost;
    case GrabResult::Ending::Interrupted:
        break;
    }
    return ExitStatus::Interrupted;
}

QString resultText(const GrabResult &result)
{
    return QStringLiteral("ending: %1\npictures: %2\npages: %3\nseconds: %4\n")
        .arg(endingName(result.ending))
        .arg(result.pictures)
        .arg(result.pages)
        .arg(result.seconds, 0, 'f', 2);
}

QByteArray resultJson(const GrabResult &result)
{
    const QJsonObject object{
        {QStringLiteral("ending"), endingName(result.ending)},
        {QStringLiteral("pictures"), result.pictures},
        {QStringLiteral("pages"), result.pages},
        {QStringLiteral("seconds"), result.seconds},
        {QStringLiteral("bytes"), result.bytes},
        {QStringLiteral("folder"), result.folder},
        {QStringLiteral("project_file"), result.projectFile},
        {QStringLiteral("resumable"), result.resumable},
        {QStringLiteral("exit_status"), exitStatusOf(result)},
    };
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

QString progressText(const GrabProgress &progress)
{
    return QStringLiteral("%1 pictures saved, %2 pages scanned, %3 in flight, %4 KB/s")
        .arg(progress.pictures)
        .arg(progress.pages)
        .arg(progress.inFlight)
        .arg(progress.bytesPerSecond / 1024.0, 0, 'f', 1);
}
