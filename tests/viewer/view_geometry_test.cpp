#include "viewer/picture_transforms.h"
#include "viewer/view_geometry.h"

#include <QSize>

#include <gtest/gtest.h>

TEST(ViewGeometry, FitShrinksByTheBindingSideToWholePercentAndZoomGoesByFixedSteps)
{
    // W, H, client SW x UH, fit mode; the shown size and its ratio.
    const std::tuple<QSize, QSize, bool, ShownSize, double> cases[] = {
        {{1000, 750}, {800, 580}, true, {773, 580}, 0.77},  // the height binds
        {{1600, 400}, {800, 580}, true, {800, 200}, 0.5},   // the width binds
        {{800, 580}, {800, 580}, true, {800, 580}, 1.0},    // exactly the client area
        {{801, 580}, {800, 580}, true, {800, 579}, 0.99},   // one pixel too wide
        {{800, 581}, {800, 580}, true, {799, 580}, 0.99},   // one pixel too high
        {{300, 200}, {800, 580}, true, {300, 200}, 1.0},    // small: not enlarged
        {{1000, 750}, {800, 580}, false, {1000, 750}, 1.0}, // full size
        {{100, 100}, {29, 580}, true, {29, 29}, 0.29},      // whole percent, not 28.999...
    };
    for (const auto &[picture, client, fit, shown, ratio] : cases) {
        const ShownSize fitted =
            fittedSize(picture.width(), picture.height(), client.width(), client.height(), fit);
        EXPECT_EQ(fitted, shown) << picture.width() << "x" << picture.height();
        EXPECT_EQ(truncatedRatio(fitted.ShowWidth, picture.width()), ratio) << picture.width();
    }
    EXPECT_EQ(zoomedSize(1000, 750, 0.15), (ShownSize{150, 112})); // 112.5 to even
    EXPECT_EQ(percentText(0.15), QStringLiteral("15%")); // 100 x 0.15 is 15.000000000000002
    // A ratio, the next step in and the next step out: at each step and just beside it.
    const std::tuple<double, double, double> steps[] = {
        {0.05, 0.15, 0.05}, {0.1, 0.15, 0.1}, {0.11, 0.15, 0.1}, {0.15, 0.2, 0.1},
        {0.19, 0.2, 0.15},  {0.2, 0.3, 0.15}, {0.3, 0.5, 0.2},   {0.5, 0.7, 0.3},
        {0.69, 0.7, 0.5},   {0.7, 1.0, 0.5},  {0.71, 1.0, 0.7},  {1.0, 1.0, 0.7},
        {1.01, 1.0, 1.01}};
    for (const auto &[from, in, out] : steps) {
        EXPECT_EQ(std::pair(zoomInStep(from), zoomOutStep(from)), std::pair(in, out)) << from;
    }
}

TEST(LayoutAxis, OverflowOnlyPastTheClientCentredAndPannedToEitherEdgeExactly)
{
    // Shown extent in a client of 800, pan; overflow, holder range, value when centred and
    // after the pan, and the picture's start after the pan.
    const std::tuple<qint32, qint32, bool, qint32, qint32, qint32, double> cases[] = {
        {799, 30, false, 0, 0, 0, 0.5},      // fits: centred on a half pixel, no pan
        {800, 30, false, 0, 0, 0, 0},        // exactly as wide as the client
        {801, 0, true, 1, 0, 0, -0.5},       // one pixel wider
        {1000, 100, true, 200, 100, 200, 0}, // the left edge exactly at the window's
        {1000, 101, true, 200, 100, 200, 0},
        {1000, -100, true, 200, 100, 0, -200},
        {1000, -101, true, 200, 100, 0, -200},
        {40000, -25000, true, 39200, 19600, 0, -39200}, // 32-bit offsets
    };
    for (const auto &[shown, delta, overflow, max, centre, panned, start] : cases) {
        LayoutAxis axis;
        axis.layout(800, shown);
        EXPECT_EQ((std::tuple{axis.overflow, axis.Max, axis.Value}),
                  (std::tuple{overflow, max, centre}))
            << shown;
        axis.pan(delta);
        EXPECT_EQ(std::pair(axis.Value, axis.start), std::pair(panned, start)) << delta;
        EXPECT_FALSE(axis.setValue(-1) || axis.setValue(max + 1)) << "outside the holder's range";
    }
}

TEST(PictureTransforms, EachTransformIsItsPixelMapping)
{
    // Pixels 0 1 2 over 3 4 5, each of its own colour, so that any wrong mapping shows.
    QImage source(3, 2, QImage::Format_RGB32);
    for (int i = 0; i < 6; ++i)
        source.setPixel(i % 3, i / 3, qRgb(i, 0, 0));
    const std::tuple<Transform, int, std::vector<int>> cases[] = {
        {Transform::FlipHorizontal, 3, {2, 1, 0, 5, 4, 3}},
        {Transform::FlipVertical, 3, {3, 4, 5, 0, 1, 2}},
        {Transform::RotateLeft, 2, {2, 5, 1, 4, 0, 3}},
        {Transform::RotateRight, 2, {3, 0, 4, 1, 5, 2}},
    };
    for (const auto &[transform, width, pixels] : cases) {
        const QImage result = transformed(source, transform);
        std::vector<int> seen;
        for (int i = 0; i < result.width() * result.height(); ++i)
            seen.push_back(qRed(result.pixel(i % width, i / width)));
        EXPECT_EQ(std::pair(result.width(), seen), std::pair(width, pixels)) << int(transform);
    }
}
