#pragma once

#include "charts/Canvas.h"
#include "charts/Rect.h"

#include <QSize>
#include <QWidget>

// The picture of the test vehicle in the options dialog: a truck pulling the loading trailer,
// with the load plate and the geophones under the trailer. Drawn on a canvas at the widget's
// size, keeping the picture's proportions.
class VehicleIllustration : public QWidget {
    Q_OBJECT
public:
    // The picture is designed on a 320 x 170 grid and scaled to fit.
    static constexpr int kDesignWidth = 320;
    static constexpr int kDesignHeight = 170;

    explicit VehicleIllustration(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // The largest rectangle of the picture's proportions centred in width x height.
    static Rect PictureRect(int width, int height);
    // Fills the whole canvas with the background and draws the vehicle into PictureRect.
    static void Draw(Canvas& canvas);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Canvas canvas_;
    QSize drawnSize_;
    qreal drawnRatio_ = 0.0;
};
