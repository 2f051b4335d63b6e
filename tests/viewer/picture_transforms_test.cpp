#include "viewer/picture_transforms.h"

#include <gtest/gtest.h>

TEST(PictureTransforms, EachTransformIsItsPixelMapping)
{
    const int W = 3, H = 2; // every pixel differs, so that any wrong mapping shows
    QImage source(W, H, QImage::Format_RGB32);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            source.setPixel(x, y, qRgb(x, y, 0));
    const std::pair<Transform, QPoint (*)(int x, int y)> cases[] = {
        {Transform::FlipHorizontal, [](int x, int y) { return QPoint(W - 1 - x, y); }},
        {Transform::FlipVertical, [](int x, int y) { return QPoint(x, H - 1 - y); }},
        {Transform::RotateLeft, [](int x, int y) { return QPoint(y, W - 1 - x); }},
        {Transform::RotateRight, [](int x, int y) { return QPoint(H - 1 - y, x); }},
    };
    for (const auto &[transform, target] : cases) {
        const QImage result = transformed(source, transform);
        const bool turned =
            transform == Transform::RotateLeft || transform == Transform::RotateRight;
        ASSERT_EQ(result.size(), turned ? source.size().transposed() : source.size());
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
                EXPECT_EQ(result.pixel(target(x, y)), source.pixel(x, y)) << int(transform);
    }
}
