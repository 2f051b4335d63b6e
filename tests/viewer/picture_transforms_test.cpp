#include "viewer/picture_transforms.h"

#include <gtest/gtest.h>

namespace {
// A picture whose every pixel is different, so that any wrong mapping shows.
QImage numbered(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x % 256, y % 256, (x / 256) * 16 + y / 256));
    return image;
}
} // namespace

TEST(PictureTransforms, EachTransformIsItsPixelMapping)
{
    const QImage source = numbered(400, 300);
    const int W = source.width(), H = source.height();
    struct Case {
        Transform transform;
        QSize size;
        // where source pixel (x, y) lands
        QPoint (*target)(int x, int y, int W, int H);
    };
    const Case cases[] = {
        {Transform::FlipHorizontal,
         {400, 300},
         [](int x, int y, int W, int) { return QPoint(W - 1 - x, y); }},
        {Transform::FlipVertical,
         {400, 300},
         [](int x, int y, int, int H) { return QPoint(x, H - 1 - y); }},
        {Transform::RotateLeft,
         {300, 400},
         [](int x, int y, int W, int) { return QPoint(y, W - 1 - x); }},
        {Transform::RotateRight,
         {300, 400},
         [](int x, int y, int, int H) { return QPoint(H - 1 - y, x); }},
    };
    for (const Case &c : cases) {
        const QImage result = transformed(source, c.transform);
        ASSERT_EQ(result.size(), c.size);
        for (const QPoint at : {QPoint(0, 0), QPoint(W - 1, 0), QPoint(0, H - 1),
                                QPoint(W - 1, H - 1), QPoint(123, 45)})
            EXPECT_EQ(result.pixel(c.target(at.x(), at.y(), W, H)), source.pixel(at))
                << int(c.transform) << " at " << at.x() << "," << at.y();
    }
    // Rotate left: the pixel that was top-right is now top-left.
    EXPECT_EQ(transformed(source, Transform::RotateLeft).pixel(0, 0), source.pixel(W - 1, 0));
}

TEST(PictureTransforms, InversePairsReturnToTheStart)
{
    for (const QImage &source : {numbered(400, 300), numbered(5, 5)}) {
        const std::pair<Transform, Transform> pairs[] = {
            {Transform::RotateRight, Transform::RotateLeft},
            {Transform::FlipHorizontal, Transform::FlipHorizontal},
            {Transform::FlipVertical, Transform::FlipVertical},
        };
        for (const auto &[first, second] : pairs)
            EXPECT_EQ(transformed(transformed(source, first), second), source) << int(first);
    }
    EXPECT_TRUE(transformed(QImage(), Transform::RotateLeft).isNull());
}
