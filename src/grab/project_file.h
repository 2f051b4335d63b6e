#pragma once

#include <QString>

class GrabState;
struct CrawlContext;

// The project file lets an interrupted search go on: the three address lists of a grab and
// how far each was handed out, every line scrambled with a fixed key.

// The key of every line.
inline const QString ProjectKey = QStringLiteral("Vorlaqestin");
// The first line of every project file, before scrambling.
inline const QString ProjectIdentification =
    QStringLiteral("Zovarode, https://www.zovarode.example/");

qint32 ScrambleSeed(const QString &key);
// Keeps only printable ASCII (codes 32 to 126); the result is printable ASCII too.
QString ScrambleText(const QString &key, const QString &text);
QString UnscrambleText(const QString &key, const QString &text);

// Writes the lists to the project file of the grab, or deletes the file when every list has
// been handed out completely. The file is replaced only by a new one written whole and synced;
// when that fails (a full disk), the old file stays as it was.
void SaveProject(const GrabState &grab);

// A project file larger than this is not resumed; it is left where it is.
inline constexpr qint64 MaxProjectFileBytes = qint64{256} * 1024 * 1024;

// Feeds the stored addresses back through the admission routines and restores the next
// indexes, each lowered to its list's count. A file that is missing or does not begin with
// the identification line, or is larger than maxBytes, loads nothing. Returns true when the
// file was read.
bool LoadProject(CrawlContext &context, qint64 maxBytes = MaxProjectFileBytes);
