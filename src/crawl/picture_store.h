#pragma once

// The picture store: accepts a downloaded picture by its size, format and dimensions and
// saves it unchanged under the next numbered file name of its format.

#include <QByteArray>
#include <QString>

struct CrawlContext;

// Lets pending events run once, then filters the picture and writes it as the folder, "/",
// the file name prefix, the format's counter with at least five digits and the extension.
// Pictures below the minimum dimensions count as failures of their folder; the picture that
// finds the number range used up sets StopRequested instead of being written. Returns true
// when a file was written, every byte of it; a picture that cannot be written counts nothing,
// leaves any old file of its name as it was, and says in panel 1 when the folder is not
// writable or the disk is full. The engine calls this only for complete downloads.
//
// The bytes and the request key are copies because the download that holds them may be
// freed while events run.
bool StorePicture(CrawlContext &context, QByteArray bytes, QString key);
