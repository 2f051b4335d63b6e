#pragma once

#include <QImage>
#include <QWidget>

// The viewer's display surface. It shows a rendering made once per layout at the shown size;
// painting copies the exposed part of it and never scales, and panning moves the surface.
class PictureSurface : public QWidget {
    Q_OBJECT

public:
    explicit PictureSurface(QWidget *parent = nullptr);

    void setRendering(QImage rendering);
    const QImage &rendering() const { return rendering_; }
    // Paint events so far: the benchmark counts frames with it.
    int paints() const { return paints_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage rendering_;
    int paints_ = 0;
};
