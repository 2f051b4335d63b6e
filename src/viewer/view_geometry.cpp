#include "viewer/view_geometry.h"

#include "imaging/picture_scaling.h"

qint32 nearest(double x)
{
    return static_cast<qint32>(roundHalfEven(x));
}

ShownSize fittedSize(qint32 W, qint32 H, qint32 SW, qint32 UH, bool fitMode)
{
    if (!fitMode || (SW >= W && UH >= H))
        return {W, H};
    // Which side binds, compared in 64 bits: UH x W - SW x H > 0 means the width does.
    const qint64 slack = qint64(UH) * W - qint64(SW) * H;
    if (slack > 0)
        return {SW, nearest(double(SW) * H / W)};
    return {nearest(double(UH) * W / H), UH};
}

ShownSize zoomedSize(qint32 W, qint32 H, double ratio)
{
    return {nearest(W * ratio), nearest(H * ratio)};
}

double truncatedRatio(qint32 showWidth, qint32 W)
{
    // Whole percent in integers: a double quotient would turn 29 of 100 into 28.999... %.
    return double(qint64(showWidth) * 100 / W) / 100;
}

double zoomInStep(double z)
{
    if (z < 0.15)
        return 0.15;
    if (z < 0.2)
        return 0.2;
    if (z < 0.3)
        return 0.3;
    if (z < 0.5)
        return 0.5;
    if (z < 0.7)
        return 0.7;
    return 1.0;
}

double zoomOutStep(double z)
{
    if (z > 0.7 && z <= 1.0)
        return 0.7;
    if (z > 0.5 && z <= 0.7)
        return 0.5;
    if (z > 0.3 && z <= 0.5)
        return 0.3;
    if (z > 0.2 && z <= 0.3)
        return 0.2;
    if (z > 0.15 && z <= 0.2)
        return 0.15;
    if (z > 0.1 && z <= 0.15)
        return 0.1;
    return z;
}

QString percentText(double ratio)
{
    return QString::number(100 * ratio, 'g', 15) + u'%';
}

void LayoutAxis::layout(qint32 clientExtent, qint32 shownExtent)
{
    client = clientExtent;
    shown = shownExtent;
    overflow = client < shown;
    if (overflow) {
        const qint32 excess = shown - client;
        Max = excess;
        setValue(excess / 2);
    }
    start = (double(client) - shown) / 2;
}

bool LayoutAxis::setValue(qint32 value)
{
    if (value < 0 || value > Max)
        return false;
    if (value == Value)
        return true;
    Value = value;
    if (overflow)
        start = double(client - shown) + Value;
    return true;
}

void LayoutAxis::pan(qint32 delta)
{
    if (!overflow)
        return;
    if (start + shown + delta < client)
        delta = nearest(client - start - shown);
    else if (start + delta > 0)
        delta = nearest(-start);
    setValue(Value + delta);
}
