#pragma once

// Reading the format and the dimensions of a downloaded picture from its first bytes. Every
// reader checks its positions against the data, so arbitrary bytes are safe input.

#include "core/grab_state.h"

#include <QByteArrayView>
#include <QString>
#include <QtGlobal>

#include <optional>

// The 16-bit signed value high x 256 + low; a high byte above 127 does not fit and gives
// nothing.
std::optional<qint16> MakeWord(quint8 low, quint8 high);

// The format whose header the data starts with, tried in the order JPEG (255 216 255), GIF
// ("GIF8"), BMP ("BM"), PNG (137 "PNG"). Data shorter than a header never matches it.
std::optional<PictureKind> pictureKindOf(QByteArrayView bytes);

// The file extension of a format, with its dot.
QString pictureExtension(PictureKind kind);

struct PictureSize {
    qint32 Width = 0;
    qint32 Height = 0;

    bool operator==(const PictureSize &) const = default;
};

// The width and height stored in the header of a picture of the given format. GIF and BMP
// give the low 16 bits of their little-endian fields through MakeWord, PNG the low 16 bits of
// its big-endian fields; a JPEG is scanned marker by marker up to its frame header, and one
// without a frame header measures 0 x 0. Nothing comes back when a reader needs a byte past
// the end of the data or a GIF or BMP field does not fit MakeWord.
std::optional<PictureSize> readPictureSize(QByteArrayView bytes, PictureKind kind);
