#pragma once

// The viewer's pixel arithmetic: the shown size of a picture, the zoom steps, and one axis of
// the layout with its offset holder and drag clamps. Sizes are in pixels.

#include <QString>

// x taken to the nearest integer, halves to the even neighbour.
qint32 nearest(double x);

struct ShownSize {
    qint32 ShowWidth = 0;
    qint32 ShowHeight = 0;
    friend bool operator==(const ShownSize &, const ShownSize &) = default;
};

// The size at which a W x H picture is drawn in a client area of SW x UH. In fit mode a
// picture larger than the area shrinks to it, keeping its proportions; no picture is ever
// enlarged. In full-size mode the picture keeps its own size.
ShownSize fittedSize(qint32 W, qint32 H, qint32 SW, qint32 UH, bool fitMode);
// The picture at a zoom ratio.
ShownSize zoomedSize(qint32 W, qint32 H, double ratio);
// ShowWidth / W truncated to whole percent, as a ratio (773 of 1000 gives 0.77). W must not be
// 0: a picture without pixels has no ratio.
double truncatedRatio(qint32 showWidth, qint32 W);

// The next zoom step above or below a ratio; a ratio between two steps goes to the next one
// in that direction. Zoom in stops at 1.0, zoom out at 0.1.
double zoomInStep(double ratio);
double zoomOutStep(double ratio);
// The ratio in percent as the status bar shows it: the shortest decimal form with at most 15
// significant digits, so that 100 x 0.15 reads "15%".
QString percentText(double ratio);

// One direction of the layout: the shown extent of the picture against the client extent,
// the position of the picture's near edge, and the offset holder that bounds panning. An
// offset of 0 puts the far edge of the picture at the far edge of the window, Max puts the
// near edge at the near edge. Offsets are 32-bit, so any picture the decoder accepts can be
// panned.
struct LayoutAxis {
    qint32 client = 0;
    qint32 shown = 0;
    bool overflow = false; // the picture is larger than the client area this way
    qint32 Max = 0;
    qint32 Value = 0;
    double start = 0; // Left or Top of the picture; half pixels when centred

    // Centres the picture: the overflow flag, the holder's range and value, the start.
    void layout(qint32 clientExtent, qint32 shownExtent);
    // Sets the holder's value; a value outside 0..Max is refused. A changed value moves the
    // picture while it overflows. Returns whether the value was taken.
    bool setValue(qint32 value);
    // A drag step of delta pixels, clamped so that neither edge of an overflowing picture
    // comes inside the window. Does nothing when the picture fits.
    void pan(qint32 delta);
};
