#include "crawl/picture_store.h"

#include "core/grab_state.h"
#include "core/language_table.h"
#include "core/main_window_status.h"
#include "core/settings.h"
#include "core/text_ids.h"
#include "crawl/crawl_context.h"
#include "crawl/picture_header.h"
#include "platform/atomic_write.h"
#include "platform/event_pump.h"

#include <QDir>
#include <QFileInfo>

#include <limits>
#include <optional>

namespace {
constexpr qsizetype BytesPerKilobyte = 1024;
constexpr int FileNumberDigits = 5;

bool formatSwitchedOn(const Settings &settings, PictureKind kind)
{
    switch (kind) {
    case PictureKind::Jpg:
        return settings.JPG_Download || settings.JPEG_Download;
    case PictureKind::Gif:
        return settings.GIF_Download;
    case PictureKind::Bmp:
        return settings.BMP_Download;
    case PictureKind::Png:
        break;
    }
    return settings.PNG_Download;
}

// At least five digits, zero-padded; a negative number keeps its sign in front of the zeros.
QString fileNumber(qint32 number)
{
    const qint64 value = number;
    const QString digits =
        QString::number(value < 0 ? -value : value).rightJustified(FileNumberDigits, u'0');
    if (value < 0)
        return QStringLiteral("-") + digits;
    return digits;
}

// The path for the format's current number, advancing its counter; nothing once the counter
// cannot advance any further.
std::optional<QString> takeFileName(GrabState &grab, const Settings &settings, PictureKind kind)
{
    qint32 &counter = grab.fileCounter(kind);
    if (counter == std::numeric_limits<qint32>::max())
        return std::nullopt;
    const qint32 number = counter++;
    return settings.Download_File_Folder + u'/' + settings.Download_File_Name + fileNumber(number) +
           pictureExtension(kind);
}

bool rangeUsedUp(const GrabState &grab, const Settings &settings)
{
    return qint64{grab.PicturesSaved} > qint64{settings.FileToNum} - settings.FileFromNum;
}

// Written whole or not at all, beside the target and renamed over it; a missing folder is
// created when the first picture finds it missing. No sync here: the driver syncs the folder
// once when the grab ends.
WriteOutcome writePicture(const QString &path, const QByteArray &bytes)
{
    const WriteOutcome outcome = writeFileAtomically(path, bytes);
    const QString folder = QFileInfo(path).absolutePath();
    if (outcome != WriteOutcome::Failed || QFileInfo(folder).isDir())
        return outcome;
    if (!QDir().mkpath(folder))
        return WriteOutcome::NotWritable;
    return writeFileAtomically(path, bytes);
}
} // namespace

bool StorePicture(CrawlContext &context, QByteArray bytes, QString key)
{
    context.events.yieldEvents();

    const Settings &settings = context.settings;
    GrabState &grab = context.grab;

    if (settings.Limited_Images_Size && settings.Images_File_Size > bytes.size() / BytesPerKilobyte)
        return false;

    const std::optional<PictureKind> kind = pictureKindOf(bytes);
    if (!kind || !formatSwitchedOn(settings, *kind))
        return false;

    if (settings.Limited_Images_Resolution) {
        const std::optional<PictureSize> size = readPictureSize(bytes, *kind);
        if (!size)
            return false;
        if (size->Width < settings.Images_Width || size->Height < settings.Images_Height) {
            grab.RecordFailure(requestAddress(key), context.status, context.texts);
            return false;
        }
    }

    std::optional<QString> path;
    if (settings.FileOverwrite) {
        if (rangeUsedUp(grab, settings)) {
            grab.StopRequested = true;
            return false;
        }
        path = takeFileName(grab, settings, *kind);
        if (!path)
            return false;
    } else {
        do {
            path = takeFileName(grab, settings, *kind);
            if (!path)
                return false;
        } while (QFileInfo::exists(*path));
        if (rangeUsedUp(grab, settings)) {
            grab.StopRequested = true;
            return false;
        }
    }

    switch (writePicture(*path, bytes)) {
    case WriteOutcome::Written:
        break;
    case WriteOutcome::NotWritable:
        ++grab.PicturesNotWritten;
        context.status.showStatus(1, context.texts[TextId::FolderNotWritable]);
        return false;
    case WriteOutcome::DiskFull:
        ++grab.PicturesNotWritten;
        context.status.showStatus(1, context.texts[TextId::DiskFull]);
        return false;
    case WriteOutcome::Failed:
        return false;
    }

    ++grab.PicturesSaved;
    context.status.showStatus(2, QString::number(grab.PicturesSaved) + u' ' +
                                     context.texts[TextId::PicturesSavedWord]);
    return true;
}
