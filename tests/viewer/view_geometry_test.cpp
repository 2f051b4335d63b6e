#include "viewer/view_geometry.h"

#include <gtest/gtest.h>

TEST(ViewGeometry, FitShrinksByTheBindingSideAndNeverEnlarges)
{
    struct Case {
        qint32 W, H, SW, UH;
        bool fit;
        ShownSize shown;
        double ratio;
    };
    const Case cases[] = {
        {1000, 750, 800, 580, true, {773, 580}, 0.77},  // the height binds
        {1600, 400, 800, 580, true, {800, 200}, 0.5},   // the width binds
        {800, 580, 800, 580, true, {800, 580}, 1.0},    // exactly the client area
        {801, 580, 800, 580, true, {800, 579}, 0.99},   // one pixel too wide
        {300, 200, 800, 580, true, {300, 200}, 1.0},    // small: not enlarged
        {1000, 750, 800, 580, false, {1000, 750}, 1.0}, // full size
        {100, 3000, 800, 580, true, {19, 580}, 0.19},   // 19.33 of 100
        {100, 100, 29, 580, true, {29, 29}, 0.29},      // whole percent, not 28.999...
    };
    for (const Case &c : cases) {
        const ShownSize shown = fittedSize(c.W, c.H, c.SW, c.UH, c.fit);
        EXPECT_EQ(shown, c.shown) << c.W << "x" << c.H;
        EXPECT_EQ(truncatedRatio(shown.ShowWidth, c.W), c.ratio) << c.W << "x" << c.H;
    }
}

TEST(ViewGeometry, ZoomStepsAtTheirBoundaries)
{
    const std::pair<double, double> in[] = {{0.05, 0.15}, {0.1, 0.15}, {0.15, 0.2},
                                            {0.29, 0.3},  {0.3, 0.5},  {0.69, 0.7},
                                            {0.7, 1.0},   {0.77, 1.0}, {1.0, 1.0}};
    for (const auto &[from, to] : in)
        EXPECT_EQ(zoomInStep(from), to) << "in from " << from;
    const std::pair<double, double> out[] = {{1.0, 0.7}, {0.77, 0.7}, {0.7, 0.5},   {0.5, 0.3},
                                             {0.3, 0.2}, {0.2, 0.15}, {0.16, 0.15}, {0.15, 0.1},
                                             {0.1, 0.1}, {0.05, 0.05}};
    for (const auto &[from, to] : out)
        EXPECT_EQ(zoomOutStep(from), to) << "out from " << from;
    EXPECT_EQ(zoomedSize(1000, 750, 0.15), (ShownSize{150, 112})); // 112.5 to even
}

TEST(ViewGeometry, PercentTextIsTheShortestFormOfFifteenDigits)
{
    EXPECT_EQ(percentText(0.15), QStringLiteral("15%")); // 100 x 0.15 is 15.000000000000002
    EXPECT_EQ(percentText(0.77), QStringLiteral("77%"));
    EXPECT_EQ(percentText(1.0), QStringLiteral("100%"));
    EXPECT_EQ(percentText(0), QStringLiteral("0%"));
}

TEST(LayoutAxis, OverflowOnlyPastTheClientAndCentred)
{
    struct Case {
        qint32 shown;
        bool overflow;
        qint32 Max, Value;
        double start;
    };
    const Case cases[] = {
        {773, false, 0, 0, 13.5},            // fits: centred on a half pixel
        {800, false, 0, 0, 0},               // exactly as wide as the client
        {801, true, 1, 0, -0.5},             // one pixel wider
        {1000, true, 200, 100, -100},        // centred by the holder's middle
        {40000, true, 39200, 19600, -19600}, // more than 32767 pixels past the client
    };
    for (const Case &c : cases) {
        LayoutAxis axis;
        axis.layout(800, c.shown);
        EXPECT_EQ(axis.overflow, c.overflow) << c.shown;
        EXPECT_EQ(axis.Max, c.Max) << c.shown;
        EXPECT_EQ(axis.Value, c.Value) << c.shown;
        EXPECT_EQ(axis.start, c.start) << c.shown;
    }
}

TEST(LayoutAxis, PanningStopsAtEitherEdge)
{
    struct Case {
        qint32 shown, delta, Value;
        double start;
    };
    const Case cases[] = {
        {1000, 30, 130, -70},       // within the range
        {1000, 150, 200, 0},        // the left edge stops at the window's left edge
        {1000, -300, 0, -200},      // the right edge stops at the window's right edge
        {40000, -25000, 0, -39200}, // 32-bit offsets
        {700, 50, 0, 50},           // a picture that fits does not move
    };
    for (const Case &c : cases) {
        LayoutAxis axis;
        axis.layout(800, c.shown);
        axis.pan(c.delta);
        EXPECT_EQ(axis.Value, c.Value) << c.shown << " by " << c.delta;
        EXPECT_EQ(axis.start, c.start) << c.shown << " by " << c.delta;
    }
}
