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

QByteArray gifHeader(int width, int height)
{
    QByteArray bytes("GIF89a");
    for (int value : {width, height}) {
        bytes.append(static_cast<char>(value & 0xFF));
        bytes.append(static_cast<char>((value >> 8) & 0xFF));
    }
    return bytes;
}

QByteArray bigEndian16(int value)
{
    QByteArray bytes;
    bytes.append(static_cast<char>((value >> 8) & 0xFF));
    bytes.append(static_cast<char>(value & 0xFF));
    return bytes;
}

// One JPEG segment: marker, big-endian length (which counts itself) and payload.
QByteArray segment(int marker, const QByteArray &payload)
{
    return QByteArray(1, '\xFF') + static_cast<char>(marker) + bigEndian16(payload.size() + 2) +
           payload;
}

QByteArray frameHeaderPayload(int width, int height)
{
    return QByteArray(1, '\x08') + bigEndian16(height) + bigEndian16(width) +
           QByteArray("\x01\x01\x11\x00", 4);
}

const QByteArray startOfImage("\xFF\xD8", 2);
} // namespace

TEST(MakeWord, JoinsLowAndHighAndRefusesAHighByteAbove127)
{
    EXPECT_EQ(MakeWord(0x34, 0x12), qint16{0x1234});
    EXPECT_EQ(MakeWord(255, 127), qint16{32767});
    EXPECT_EQ(MakeWord(0, 128), std::nullopt);
    EXPECT_EQ(MakeWord(255, 255), std::nullopt);
}

TEST(PictureKindOf, RecognisesTheFourHeadersAndNothingElse)
{
    const struct {
        QByteArray bytes;
        std::optional<PictureKind> kind;
    } cases[] = {
        {encoded("JPEG", 4, 4), PictureKind::Jpg},
        {QByteArray("\xFF\xD8\xFF", 3), PictureKind::Jpg},
        {gifHeader(4, 4), PictureKind::Gif},
        {encoded("BMP", 4, 4), PictureKind::Bmp},
        {QByteArray("BM"), PictureKind::Bmp},
        {encoded("PNG", 4, 4), PictureKind::Png},
        {QByteArray("\x89XNG\r\n\x1a\n", 8), std::nullopt},
        {QByteArray("\xFF\xD8", 2), std::nullopt},
        {QByteArray("\xFF\xD8\x00\xE0", 4), std::nullopt},
        {QByteArray("GIF7"), std::nullopt},
        {QByteArray("<html>"), std::nullopt},
        {QByteArray(), std::nullopt},
    };
    for (const auto &c : cases)
        EXPECT_EQ(pictureKindOf(c.bytes), c.kind) << c.bytes.left(8).toHex().constData();
}

TEST(ReadPictureSize, ReadsWidthAndHeightOfEachFormat)
{
    const PictureSize expected{300, 200};
    EXPECT_EQ(readPictureSize(encoded("PNG", 300, 200), PictureKind::Png), expected);
    EXPECT_EQ(readPictureSize(encoded("BMP", 300, 200), PictureKind::Bmp), expected);
    EXPECT_EQ(readPictureSize(encoded("JPEG", 300, 200), PictureKind::Jpg), expected);
    EXPECT_EQ(readPictureSize(gifHeader(300, 200), PictureKind::Gif), expected);

    // GIF and BMP words go through MakeWord; PNG fields are read without a sign.
    EXPECT_EQ(readPictureSize(gifHeader(1, 32768), PictureKind::Gif), std::nullopt);
    QByteArray png = encoded("PNG", 1, 1);
    png.replace(18, 2, bigEndian16(40000));
    EXPECT_EQ(readPictureSize(png, PictureKind::Png), (PictureSize{40000, 1}));
}

TEST(ReadPictureSize, HeadersCutBeforeTheirFieldsGiveNothing)
{
    const QByteArray gif = gifHeader(300, 200);
    const QByteArray png = encoded("PNG", 300, 200);
    const QByteArray bmp = encoded("BMP", 300, 200);
    // Views into the whole data: a reader that ran past the end would find the real fields.
    EXPECT_EQ(readPictureSize(QByteArrayView(gif).first(9), PictureKind::Gif), std::nullopt);
    EXPECT_EQ(readPictureSize(QByteArrayView(png).first(23), PictureKind::Png), std::nullopt);
    EXPECT_EQ(readPictureSize(QByteArrayView(bmp).first(23), PictureKind::Bmp), std::nullopt);
    EXPECT_EQ(readPictureSize(QByteArrayView(png).first(24), PictureKind::Png),
              (PictureSize{300, 200}));
}

TEST(ReadJpegSize, FindsAFrameHeaderBehindOtherSegmentsAndFillBytes)
{
    // The APP1 payload holds bytes that look like a frame header; only a scan that skips
    // whole segments passes over them.
    const QByteArray jpeg = startOfImage + segment(0xE0, QByteArray(14, '\x01')) +
                            segment(0xE1, QByteArray("\xFF\xC0\x00\x11\x08\x00\x07\x00\x09", 9)) +
                            segment(0xC4, QByteArray(30, '\x02')) + QByteArray(3, '\xFF') +
                            segment(0xC2, frameHeaderPayload(640, 480)) + QByteArray(100, '\x00');
    EXPECT_EQ(readPictureSize(jpeg, PictureKind::Jpg), (PictureSize{640, 480}));

    const QByteArray baseline = startOfImage + segment(0xDB, QByteArray(65, '\x03')) +
                                segment(0xC0, frameHeaderPayload(1, 70000 & 0xFFFF));
    EXPECT_EQ(readPictureSize(baseline, PictureKind::Jpg), (PictureSize{1, 70000 & 0xFFFF}));
}

TEST(ReadJpegSize, DataCutShortNeverYieldsTheFrame)
{
    const QByteArray app0 = startOfImage + segment(0xE0, QByteArray(14, '\x01'));
    const QByteArray jpeg = app0 + segment(0xC0, frameHeaderPayload(640, 480));
    const qsizetype widthEnd = app0.size() + 9;
    ASSERT_EQ(readPictureSize(QByteArrayView(jpeg).first(widthEnd), PictureKind::Jpg),
              (PictureSize{640, 480}));
    // Views into the whole data: a scan that read past the end would find the frame.
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
    EXPECT_EQ(readPictureSize(QByteArray(app0 + QByteArray(3, '\x00')), PictureKind::Jpg),
              std::nullopt);
}
