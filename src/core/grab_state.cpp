#include "core/grab_state.h"

#include "core/language_table.h"
#include "core/main_window_status.h"
#include "core/settings.h"
#include "core/text_ids.h"

namespace {
constexpr qint32 FailuresThatBlock = 6;
} // namespace

QString FolderOf(const QString &address)
{
    const qsizetype lastSlash = address.lastIndexOf(u'/');
    return lastSlash < 0 ? QString() : address.left(lastSlash + 1);
}

void GrabState::RecordFailure(const QString &address, MainWindowStatus &status,
                              const LanguageText &texts)
{
    const QString folder = FolderOf(address);
    const auto found = failureIndex_.constFind(folder);
    if (found == failureIndex_.constEnd()) {
        failureIndex_.insert(folder, static_cast<qsizetype>(FolderFailures.size()));
        FolderFailures.push_back({folder, 1});
        return;
    }
    FolderFailure &record = FolderFailures[static_cast<size_t>(*found)];
    if (++record.Count == FailuresThatBlock) {
        BlockedFolders.append(folder);
        blockedIndex_.insert(folder);
        status.showStatus(1, texts[TextId::FolderBlocked]);
    }
}

void GrabState::SeedCrawl(const QString &startAddress, const Settings &settings)
{
    PagesCounted = 0;
    PicturesSaved = 0;
    PicturesNotWritten = 0;
    FileCounter.fill(settings.FileFromNum);

    ResourceList.clear();
    FolderFailures.clear();
    failureIndex_.clear();
    BlockedFolders.clear();
    blockedIndex_.clear();
    ExpandList.clear();

    LinkList.clear();
    ResultPageOffsets = {};
    LinkList.append({startAddress, 0});
}

QString RequestKey(RequestKind kind, const QString &address, qint16 depth)
{
    switch (kind) {
    case RequestKind::Expand:
        return u'X' + QString::number(depth) + address;
    case RequestKind::Link:
        return u'M' + QString::number(depth) + address;
    case RequestKind::Picture:
        return QStringLiteral("RR") + address;
    case RequestKind::Upgrade:
        break;
    }
    return QStringLiteral("U0") + address;
}

QString requestAddress(const QString &key)
{
    return key.mid(2);
}

bool isPictureRequest(const QString &key)
{
    return key.startsWith(u'R');
}
