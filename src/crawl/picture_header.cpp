#include "crawl/picture_header.h"

#include <QString>

namespace {

// The unsigned byte at a position, or nothing for a position outside the data.
std::optional<int> byteAt(QByteArrayView bytes, qint64 position)
{
    if (position < 0 || position >= bytes.size())
        return std::nullopt;
    return static_cast<quint8>(bytes[position]);
}

bool startsWith(QByteArrayView bytes, std::initializer_list<int> header)
{
    if (bytes.size() < static_cast<qsizetype>(header.size()))
        return false;
    qsizetype position = 0;
    for (int expected : header) {
        if (static_cast<quint8>(bytes[position++]) != expected)
            return false;
    }
    return true;
}

quint8 at(QByteArrayView bytes, qsizetype position)
{
    return static_cast<quint8>(bytes[position]);
}

// Width and height as two little-endian 16-bit words at the given positions.
std::optional<PictureSize> readWords(QByteArrayView bytes, qsizetype widthAt, qsizetype heightAt)
{
    if (bytes.size() < heightAt + 2)
        return std::nullopt;
    const auto width = MakeWord(at(bytes, widthAt), at(bytes, widthAt + 1));
    const auto height = MakeWord(at(bytes, heightAt), at(bytes, heightAt + 1));
    if (!width || !height)
        return std::nullopt;
    return PictureSize{*width, *height};
}

std::optional<PictureSize> readPngSize(QByteArrayView bytes)
{
    if (bytes.size() < 24)
        return std::nullopt;
    return PictureSize{at(bytes, 18) * 256 + at(bytes, 19), at(bytes, 22) * 256 + at(bytes, 23)};
}

bool isFrameHeader(int marker)
{
    return marker >= 0xC0 && marker <= 0xC3;
}

// Walks the markers from the one after the start of image. `position` is always the byte
// after the marker code just read, where a segment's big-endian length begins.
std::optional<PictureSize> readJpegSize(QByteArrayView bytes)
{
    const qint64 size = bytes.size();
    qint64 position = 3;
    for (;;) {
        const auto previous = byteAt(bytes, position - 1);
        const auto marker = byteAt(bytes, position);
        if (!previous || !marker)
            return std::nullopt;
        ++position;
        if (*previous != 0xFF || *marker == 0xFF)
            continue;

        if (isFrameHeader(*marker)) {
            const auto heightHigh = byteAt(bytes, position + 3);
            const auto heightLow = byteAt(bytes, position + 4);
            const auto widthHigh = byteAt(bytes, position + 5);
            const auto widthLow = byteAt(bytes, position + 6);
            if (!heightHigh || !heightLow || !widthHigh || !widthLow)
                return std::nullopt;
            return PictureSize{*widthHigh * 256 + *widthLow, *heightHigh * 256 + *heightLow};
        }

        const auto lengthHigh = byteAt(bytes, position);
        const auto lengthLow = byteAt(bytes, position + 1);
        if (!lengthHigh || !lengthLow)
            return std::nullopt;
        position += *lengthHigh * 256 + *lengthLow + 1;
        if (position >= size)
            return PictureSize{};
    }
}

} // namespace

std::optional<qint16> MakeWord(quint8 low, quint8 high)
{
    if (high > 127)
        return std::nullopt;
    return static_cast<qint16>(high * 256 + low);
}

std::optional<PictureKind> pictureKindOf(QByteArrayView bytes)
{
    if (startsWith(bytes, {255, 216, 255}))
        return PictureKind::Jpg;
    if (startsWith(bytes, {'G', 'I', 'F', '8'}))
        return PictureKind::Gif;
    if (startsWith(bytes, {'B', 'M'}))
        return PictureKind::Bmp;
    if (startsWith(bytes, {137, 'P', 'N', 'G'}))
        return PictureKind::Png;
    return std::nullopt;
}

QString pictureExtension(PictureKind kind)
{
    switch (kind) {
    case PictureKind::Jpg:
        return QStringLiteral(".jpg");
    case PictureKind::Gif:
        return QStringLiteral(".gif");
    case PictureKind::Bmp:
        return QStringLiteral(".bmp");
    case PictureKind::Png:
        break;
    }
    return QStringLiteral(".png");
}

std::optional<PictureSize> readPictureSize(QByteArrayView bytes, PictureKind kind)
{
    switch (kind) {
    case PictureKind::Jpg:
        return readJpegSize(bytes);
    case PictureKind::Gif:
        return readWords(bytes, 6, 8);
    case PictureKind::Bmp:
        return readWords(bytes, 18, 22);
    case PictureKind::Png:
        break;
    }
    return readPngSize(bytes);
}
