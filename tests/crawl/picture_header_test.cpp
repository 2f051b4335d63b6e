#include "crawl/picture_header.h"

#include <QBuffer>
#include <QImage>

#include <gtest/gtest.h>

namespace {
QByteArray encoded(const char *format, int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, format)) << format;
    return bytes;
}

QByteArray bigEndian16(int value)
{
    return QByteArray(1, static_cast<char>((value >> 8) & 0xFF)) + static_cast<char>(value & 0xFF);
}

QByteArray gifHeader(int width, int height)
{
    const QByteArray w = bigEndian16(width), h = bigEndian16(height);
    return QByteArray("GIF89a") + w[1] + w[0] + h[1] + h[0];
}

// One JPEG segment: marker, big-endian length (which counts itself) and payload.
QByteArray segment(int marker, const QByteArray &payload)
{
    return QByteArray(1, '\xFF') + static_cast<char>(marker) + bigEndian16(payload.size() + 2) +
           payload;
}

QByteArray frameHeader(int marker, int width, int height)
{
    return segment(marker, QByteArray(1, '\x08') + bigEndian16(height) + bigEndian16(width) +
                               QByteArray("\x01\x01\x11\x00", 4));
}

const QByteArray startOfImage("\xFF\xD8", 2);
} // namespace

TEST(MakeWord, JoinsLowAndHighAndRefusesAHighByteAbove127)
{
    EXPECT_EQ(MakeWord(0x34, 0x12), qint16{0x1234});
    EXPECT_EQ(MakeWord(255, 127), qint16{32767});
    EXPECT_EQ(MakeWord(0, 128), std::nullopt);
}

TEST(PictureKindOf, RecognisesTheFourHeadersEvenWhenNothingFollows)
{
    const struct {
        QByteArray bytes;
        std::optional<PictureKind> kind;
    } cases[] = {
        {QByteArray("\xFF\xD8\xFF", 3), PictureKind::Jpg},
        {QByteArray("GIF8"), PictureKind::Gif},
        {QByteArray("BM"), PictureKind::Bmp},
        {QByteArray("\x89PNG"), PictureKind::Png},
        {QByteArray("\xFF\xD8", 2), std::nullopt},
        {QByteArray("\x89XNG"), std::nullopt},
        {QByteArray("\xFF\xD8\x00\xE0", 4), std::nullopt},
        {QByteArray("GIF7a"), std::nullopt},
        {QByteArray("B"), std::nullopt},
        {QByteArray(), std::nullopt},
    };
    for (const auto &c : cases)
        EXPECT_EQ(pictureKindOf(c.bytes), c.kind) << c.bytes.toHex().constData();
}

// Every reader is given a view into the whole data, so one that read past the end of the
// view would find the real fields.
TEST(ReadPictureSize, EachFormatNeedsItsWholeHeader)
{
    const struct {
        PictureKind kind;
        QByteArray bytes;
        qsizetype headerLength;
    } cases[] = {
        {PictureKind::Gif, gifHeader(300, 200) + "rest", 10},
        {PictureKind::Bmp, encoded("BMP", 300, 200), 24},
        {PictureKind::Png, encoded("PNG", 300, 200), 24},
        {PictureKind::Jpg, encoded("JPEG", 300, 200), 0},
    };
    for (const auto &c : cases) {
        const QByteArrayView bytes(c.bytes);
        EXPECT_EQ(readPictureSize(bytes, c.kind), (PictureSize{300, 200})) << int(c.kind);
        if (c.headerLength > 0) {
            EXPECT_EQ(readPictureSize(bytes.first(c.headerLength), c.kind),
                      (PictureSize{300, 200}));
            EXPECT_EQ(readPictureSize(bytes.first(c.headerLength - 1), c.kind), std::nullopt);
        }
    }
    // GIF and BMP words go through MakeWord; PNG fields are read without a sign.
    EXPECT_EQ(readPictureSize(gifHeader(1, 32768), PictureKind::Gif), std::nullopt);
    EXPECT_EQ(readPictureSize(gifHeader(32768, 1), PictureKind::Gif), std::nullopt);
    QByteArray png = encoded("PNG", 1, 1);
    png.replace(18, 2, bigEndian16(40000));
    EXPECT_EQ(readPictureSize(png, PictureKind::Png), (PictureSize{40000, 1}));
}

TEST(ReadJpegSize, OnlyMarkersC0ToC3AreFrameHeaders)
{
    const std::pair<int, PictureSize> cases[] = {
        {0xBF, {7, 9}}, {0xC0, {640, 480}}, {0xC3, {640, 480}}, {0xC4, {7, 9}}};
    for (const auto &[marker, size] : cases) {
        const QByteArray jpeg =
            startOfImage + frameHeader(marker, 640, 480) + frameHeader(0xC1, 7, 9);
        EXPECT_EQ(readPictureSize(jpeg, PictureKind::Jpg), size) << std::hex << marker;
    }
    // Segments are skipped whole, so bytes inside one that look like a frame header are
    // passed over; fill bytes before a marker are skipped one by one.
    const QByteArray jpeg = startOfImage + segment(0xE1, frameHeader(0xC0, 7, 9)) +
                            QByteArray(3, '\xFF') + frameHeader(0xC2, 640, 480);
    EXPECT_EQ(readPictureSize(jpeg, PictureKind::Jpg), (PictureSize{640, 480}));
}

TEST(ReadJpegSize, DataCutShortNeverYieldsTheFrame)
{
    const QByteArray app0 = startOfImage + segment(0xE0, QByteArray(14, '\x01'));
    const QByteArray jpeg = app0 + frameHeader(0xC0, 640, 480);
    const qsizetype widthEnd = app0.size() + 9;
    ASSERT_EQ(readPictureSize(QByteArrayView(jpeg).first(widthEnd), PictureKind::Jpg),
              (PictureSize{640, 480}));
    for (qsizetype length = 3; length < widthEnd; ++length) {
        const auto size = readPictureSize(QByteArrayView(jpeg).first(length), PictureKind::Jpg);
        if (length < 6)
            EXPECT_EQ(size, std::nullopt) << "segment length cut at " << length;
        else if (length <= app0.size() + 1)
            EXPECT_EQ(size, PictureSize{}) << "skip reaches the end at " << length;
        else
            EXPECT_EQ(size, std::nullopt) << "frame header cut at " << length;
    }
    // Bytes after a segment that never form a marker run into the end.
    EXPECT_EQ(readPictureSize(QByteArray(app0 + QByteArray(3, 0)), PictureKind::Jpg), std::nullopt);
}
