#include "viewer/view_geometry.h"

#include <gtest/gtest.h>

#include <array>

TEST(ViewGeometry, FitShrinksByTheBindingSideToWholePercentAndNeverEnlarges)
{
    const struct {
        qint32 W, H, SW, UH;
        bool fit;
        ShownSize shown;
        double ratio;
    } cases[] = {
        {1000, 750, 800, 580, true, {773, 580}, 0.77},  // the height binds
        {1600, 400, 800, 580, true, {800, 200}, 0.5},   // the width binds
        {800, 580, 800, 580, true, {800, 580}, 1.0},    // exactly the client area
        {801, 580, 800, 580, true, {800, 579}, 0.99},   // one pixel too wide
        {800, 581, 800, 580, true, {799, 580}, 0.99},   // one pixel too high
        {300, 200, 800, 580, true, {300, 200}, 1.0},    // small: not enlarged
        {1000, 750, 800, 580, false, {1000, 750}, 1.0}, // full size
        {100, 100, 29, 580, true, {29, 29}, 0.29},      // whole percent, not 28.999...
    };
    for (const auto &c : cases) {
        const ShownSize shown = fittedSize(c.W, c.H, c.SW, c.UH, c.fit);
        EXPECT_EQ(shown, c.shown) << c.W << "x" << c.H;
        EXPECT_EQ(truncatedRatio(shown.ShowWidth, c.W), c.ratio) << c.W << "x" << c.H;
    }
    EXPECT_EQ(zoomedSize(1000, 750, 0.15), (ShownSize{150, 112})); // 112.5 to even
    EXPECT_EQ(percentText(0.15), QStringLiteral("15%")); // 100 x 0.15 is 15.000000000000002
}

TEST(ViewGeometry, ZoomStepsAtAndJustBesideEachStep)
{
    const std::pair<double, double> in[] = {{0.05, 0.15}, {0.15, 0.2}, {0.19, 0.2},
                                            {0.2, 0.3},   {0.3, 0.5},  {0.5, 0.7},
                                            {0.69, 0.7},  {0.7, 1.0},  {1.0, 1.0}};
    for (const auto &[from, to] : in)
        EXPECT_EQ(zoomInStep(from), to) << "in from " << from;
    const std::pair<double, double> out[] = {{1.01, 1.01}, {1.0, 0.7}, {0.71, 0.7}, {0.7, 0.5},
                                             {0.5, 0.3},   {0.3, 0.2}, {0.2, 0.15}, {0.15, 0.1},
                                             {0.11, 0.1},  {0.1, 0.1}, {0.05, 0.05}};
    for (const auto &[from, to] : out)
        EXPECT_EQ(zoomOutStep(from), to) << "out from " << from;
}

TEST(LayoutAxis, OverflowOnlyPastTheClientCentredAndPannedToEitherEdgeExactly)
{
    const struct {
        qint32 shown, delta;
        bool overflow;
        qint32 Max, centre, panned; // the holder's range, value when centred and after the pan
        double start;               // after the pan
    } cases[] = {
        {799, 30, false, 0, 0, 0, 0.5}, // fits: centred on a half pixel, no pan
        {800, 30, false, 0, 0, 0, 0},   // exactly as wide as the client
        {801, 0, true, 1, 0, 0, -0.5},  // one pixel wider
        {1000, 30, true, 200, 100, 130, -70},
        {1000, 100, true, 200, 100, 200, 0}, // the left edge exactly at the window's
        {1000, 101, true, 200, 100, 200, 0},
        {1000, -100, true, 200, 100, 0, -200},
        {1000, -101, true, 200, 100, 0, -200},
        {40000, -25000, true, 39200, 19600, 0, -39200}, // 32-bit offsets
    };
    for (const auto &c : cases) {
        LayoutAxis axis;
        axis.layout(800, c.shown);
        EXPECT_EQ(axis.overflow, c.overflow) << c.shown;
        EXPECT_EQ(axis.Max, c.Max) << c.shown;
        EXPECT_EQ(axis.Value, c.centre) << c.shown;
        axis.pan(c.delta);
        EXPECT_EQ(axis.Value, c.panned) << c.shown << " by " << c.delta;
        EXPECT_EQ(axis.start, c.start) << c.shown << " by " << c.delta;
    }
    LayoutAxis axis; // the holder takes exactly its range
    axis.layout(800, 1000);
    EXPECT_EQ((std::array{axis.setValue(-1), axis.setValue(201), axis.setValue(200)}),
              (std::array{false, false, true}));
    EXPECT_EQ(axis.start, 0);
}
