#pragma once

// Writing a file so that a failure never leaves half of it behind and never destroys the file
// it was to replace.

#include <QByteArray>
#include <QString>

enum class WriteOutcome {
    Written,
    NotWritable, // the folder does not let us create or replace the file
    DiskFull,    // no space, or the user's quota is used up
    Failed,      // any other error
};

// Writes bytes to a new temporary file in the folder of path and renames it over path. The
// file counts as written only when every byte was written and the file closed without error;
// otherwise the temporary file is removed and whatever stood at path stays as it was. With
// durable, the data reaches the disk before the rename and the folder entry after it; without,
// the caller syncs the folder once at a later point (syncFolder).
WriteOutcome writeFileAtomically(const QString &path, const QByteArray &bytes,
                                 bool durable = false);

// Puts the folder's entries, and so the renames made in it, on the disk. False on failure.
bool syncFolder(const QString &folder);
