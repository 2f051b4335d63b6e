#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <array>
#include <vector>

struct Settings;
class LanguageText;
class MainWindowStatus;

// A page address with its depth.
struct PageEntry {
    QString Address;
    qint16 Depth = 0;

    bool operator==(const PageEntry &) const = default;
};

// A list of addresses that only grows during a grab. Entries before Next have been handed
// out; the rest are waiting. A hash index answers "is this address in the list" in constant
// time, with the same answer as a scan of the whole list.
template <typename Entry> class AddressList {
public:
    qint32 count() const { return static_cast<qint32>(entries_.size()); }
    bool isEmpty() const { return entries_.empty(); }
    const Entry &at(qint32 index) const { return entries_.at(static_cast<size_t>(index)); }
    const std::vector<Entry> &entries() const { return entries_; }
    bool contains(const QString &address) const { return index_.contains(address); }
    // Entries not yet handed out.
    qint32 waiting() const { return count() - Next; }

    void append(Entry entry)
    {
        index_.insert(addressOf(entry));
        entries_.push_back(std::move(entry));
    }
    void clear()
    {
        entries_.clear();
        index_.clear();
        Next = 0;
    }

    qint32 Next = 0;

private:
    static const QString &addressOf(const PageEntry &entry) { return entry.Address; }
    static const QString &addressOf(const QString &address) { return address; }

    std::vector<Entry> entries_;
    QSet<QString> index_;
};

using PageList = AddressList<PageEntry>;
using PictureList = AddressList<QString>;

// Failures counted against one folder.
struct FolderFailure {
    QString Folder;
    qint32 Count = 0;
};

// The result page offsets of the LinkList entries from index 1 on, so that a new result page
// is checked against a set instead of against every entry. The crawl logic brings it up to
// date before each use: it covers the first IndexedLinks entries of LinkList.
struct ResultPageIndex {
    QSet<qint64> Offsets;
    qint32 IndexedLinks = 0;
};

// The saved-file number counters, one per extension.
enum class PictureKind { Jpg, Gif, Bmp, Png };

// Everything a grab works on: its address lists, counters and flags. One object lives for
// the whole run; only SeedCrawl empties it.
class GrabState {
public:
    PageList LinkList;
    PageList ExpandList;
    PictureList ResourceList;

    qint16 PagesInFlight = 0;
    qint16 PicturesInFlight = 0;
    bool StopRequested = false;
    bool NetworkLost = false;
    bool Grabbing = false;
    bool KeywordSearchMode = true;
    qint32 PagesCounted = 0;
    qint32 PicturesSaved = 0;
    qint32 PicturesNotWritten = 0; // refused by the folder: not writable or the disk full
    std::array<qint32, 4> FileCounter{};
    QString ProjectFilePath;
    QString SiteRoot;
    bool ResultPageSeen = false;
    bool BigPageParsing = false;
    ResultPageIndex ResultPageOffsets;

    std::vector<FolderFailure> FolderFailures;
    QStringList BlockedFolders;

    qint32 &fileCounter(PictureKind kind) { return FileCounter[static_cast<size_t>(kind)]; }
    // Every entry of the three lists has been handed out.
    bool allHandedOut() const
    {
        return LinkList.waiting() <= 0 && ExpandList.waiting() <= 0 && ResourceList.waiting() <= 0;
    }
    bool isBlocked(const QString &folder) const { return blockedIndex_.contains(folder); }

    // Counts one failure against the folder of the address. The sixth failure of a folder
    // blocks it and shows text 85 in status panel 1.
    void RecordFailure(const QString &address, MainWindowStatus &status, const LanguageText &texts);

    // Prepares a new grab that starts at the given address.
    void SeedCrawl(const QString &startAddress, const Settings &settings);

private:
    QHash<QString, qsizetype> failureIndex_;
    QSet<QString> blockedIndex_;
};

// The address up to and including its last "/".
QString FolderOf(const QString &address);

// Request keys: "X" or "M" and a depth digit, "RR", or "U0", followed by the address.
enum class RequestKind { Expand, Link, Picture, Upgrade };
QString RequestKey(RequestKind kind, const QString &address, qint16 depth = 0);
// The address of a request: its key from the third character on.
QString requestAddress(const QString &key);
// A key that starts with "R" counts against PicturesInFlight, every other one against
// PagesInFlight.
bool isPictureRequest(const QString &key);
