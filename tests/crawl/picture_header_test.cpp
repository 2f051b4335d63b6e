#include "crawl/picture_header.h"

#include <gtest/gtest.h>

namespace {
QByteArray word(int value, bool bigEndian = true)
{
    QByteArray data(2, char(value >> 8));
    data[bigEndian ? 1 : 0] = char(value);
    return data;
}

// A header of the given length with a width of 300 and a height of 200 at two places.
QByteArray header(QByteArray data, int length, int widthAt, int heightAt, bool bigEndian)
{
    data += QByteArray(length - data.size(), 0);
    return data.replace(widthAt, 2, word(300, bigEndian))
        .replace(heightAt, 2, word(200, bigEndian));
}

// A JPEG frame header: marker, the length that counts itself, precision, height and width.
QByteArray frameHeader(int marker, int width, int height)
{
    return "\xFF" + QByteArray(1, char(marker)) + word(10) + '\x08' + word(height) + word(width) +
           "\x01\x01\x11";
}
} // namespace

TEST(PictureHeader, SignaturesWordsAndEveryHeaderAtTheirLimits)
{
    for (const auto &[signature, kind] : {std::pair{QByteArray("\xFF\xD8\xFF"), PictureKind::Jpg},
                                          {"GIF8", PictureKind::Gif},
                                          {"BM", PictureKind::Bmp},
                                          {"\x89PNG", PictureKind::Png}}) {
        EXPECT_EQ(pictureKindOf(signature), kind);
        EXPECT_EQ(pictureKindOf(signature.chopped(1)), std::nullopt);
    }
    EXPECT_EQ(MakeWord(255, 127), qint16{32767});
    EXPECT_EQ(MakeWord(0, 128), std::nullopt);
    // Every reader is given a view into the whole data, so one that read past the end of the
    // view would find the real fields.
    for (const auto &[kind, data] : {std::pair{PictureKind::Gif, header("GIF89a", 10, 6, 8, false)},
                                     {PictureKind::Bmp, header("BM", 24, 18, 22, false)},
                                     {PictureKind::Png, header("\x89PNG", 24, 18, 22, true)}}) {
        const QByteArrayView view(data);
        EXPECT_EQ(readPictureSize(view, kind), (PictureSize{300, 200}));
        EXPECT_EQ(readPictureSize(view.chopped(1), kind), std::nullopt);
    }
    // Only JPEG markers C0 to C3 are frame headers, and a cut frame is none.
    const QByteArray start("\xFF\xD8");
    for (const auto &[marker, size] :
         {std::pair{0xBF, PictureSize{7, 9}}, {0xC3, {640, 480}}, {0xC4, {7, 9}}}) {
        const QByteArray jpeg = start + frameHeader(marker, 640, 480) + frameHeader(0xC1, 7, 9);
        EXPECT_EQ(readPictureSize(jpeg, PictureKind::Jpg), size);
    }
    // A segment is skipped whole (bytes 4 to 17, a frame header inside), fill bytes one by one.
    const QByteArray jpeg = start + QByteArray("\xFF\xE1\x00\x0E", 4) + frameHeader(0xC0, 7, 9) +
                            "\xFF\xFF\xFF" + frameHeader(0xC2, 640, 480);
    for (const auto &[length, size] : {std::pair{30, std::optional{PictureSize{640, 480}}},
                                       {19, PictureSize{}}, // the skip ends at the end exactly
                                       {20, std::nullopt}}) // a fill byte, then the end
        EXPECT_EQ(readPictureSize(QByteArrayView(jpeg).first(length), PictureKind::Jpg), size)
            << length;
}
