#include "view/VehicleIllustration.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

constexpr QRgb kSky = Rgb(222, 234, 246);
constexpr QRgb kVerge = Rgb(176, 204, 146);
constexpr QRgb kRoad = Rgb(112, 114, 120);
constexpr QRgb kRoadEdge = Rgb(82, 84, 90);
constexpr QRgb kLaneMark = Rgb(245, 245, 245);
constexpr QRgb kOutline = Rgb(40, 40, 44);
constexpr QRgb kSteel = Rgb(62, 84, 116);
constexpr QRgb kChassis = Rgb(52, 52, 58);
constexpr QRgb kActuator = Rgb(240, 170, 40);
constexpr QRgb kCylinder = Rgb(90, 90, 96);
constexpr QRgb kRod = Rgb(160, 160, 166);
constexpr QRgb kPlate = Rgb(60, 60, 64);
constexpr QRgb kGeophone = Rgb(30, 150, 220);
constexpr QRgb kCab = Rgb(200, 44, 40);
constexpr QRgb kWindow = Rgb(184, 216, 240);
constexpr QRgb kEquipment = Rgb(150, 152, 158);
constexpr QRgb kTyre = Rgb(30, 30, 32);
constexpr QRgb kHub = Rgb(176, 176, 182);
constexpr QRgb kLamp = Rgb(255, 222, 90);
constexpr QRgb kFrame = Rgb(150, 150, 156);

// Design units of the 320 x 170 grid to canvas pixels.
struct Mapper {
    Rect area;
    double scale;
    int X(double u) const { return area.left + static_cast<int>(std::lround(u * scale)); }
    int Y(double v) const { return area.top + static_cast<int>(std::lround(v * scale)); }
    int Size(double d) const { return std::max(1, static_cast<int>(std::lround(d * scale))); }
};

void Box(Canvas& c, const Mapper& m, double l, double t, double r, double b, QRgb fill,
         bool outlined = true) {
    const CanvasPen oldPen =
        c.SelectPen(outlined ? CanvasPen::Solid(1, kOutline) : CanvasPen::None());
    const CanvasBrush oldBrush = c.SelectBrush(CanvasBrush::Solid(fill));
    c.Rectangle(m.X(l), m.Y(t), m.X(r), m.Y(b));
    c.SelectBrush(oldBrush);
    c.SelectPen(oldPen);
}

void Line(Canvas& c, const Mapper& m, double x0, double y0, double x1, double y1, double width,
          QRgb colour) {
    const CanvasPen oldPen = c.SelectPen(CanvasPen::Solid(m.Size(width), colour));
    c.MoveTo(m.X(x0), m.Y(y0));
    c.LineTo(m.X(x1), m.Y(y1));
    c.SelectPen(oldPen);
}

void Wheel(Canvas& c, const Mapper& m, double centreX, double centreY) {
    const double r = 12.0, hub = 5.0;
    const CanvasPen oldPen = c.SelectPen(CanvasPen::Solid(1, kOutline));
    const CanvasBrush oldBrush = c.SelectBrush(CanvasBrush::Solid(kTyre));
    c.Ellipse(m.X(centreX - r), m.Y(centreY - r), m.X(centreX + r), m.Y(centreY + r));
    c.SelectBrush(CanvasBrush::Solid(kHub));
    c.Ellipse(m.X(centreX - hub), m.Y(centreY - hub), m.X(centreX + hub), m.Y(centreY + hub));
    c.SelectBrush(oldBrush);
    c.SelectPen(oldPen);
}

// A geophone hanging from the trailer chassis, resting on the road.
void Geophone(Canvas& c, const Mapper& m, double x) {
    Line(c, m, x, 113, x, 129, 1, kOutline);
    Box(c, m, x - 4, 129, x + 5, 136, kGeophone);
}

} // namespace

VehicleIllustration::VehicleIllustration(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

QSize VehicleIllustration::sizeHint() const {
    return QSize(kDesignWidth, kDesignHeight);
}
QSize VehicleIllustration::minimumSizeHint() const {
    return QSize(kDesignWidth / 2, kDesignHeight / 2);
}

Rect VehicleIllustration::PictureRect(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    // Compare width / height with the design's proportions without rounding.
    int w = width, h = height;
    if (static_cast<long long>(width) * kDesignHeight >
        static_cast<long long>(height) * kDesignWidth)
        w = static_cast<int>(static_cast<long long>(height) * kDesignWidth / kDesignHeight);
    else
        h = static_cast<int>(static_cast<long long>(width) * kDesignHeight / kDesignWidth);
    const int left = (width - w) / 2;
    const int top = (height - h) / 2;
    return Rect{left, top, left + w, top + h};
}

void VehicleIllustration::Draw(Canvas& canvas) {
    canvas.BeginCommand();
    const Rect all = canvas.ClientRect();
    const Rect area = PictureRect(all.Width(), all.Height());
    const Mapper m{area, static_cast<double>(area.Width()) / kDesignWidth};

    // Sky, verge and road run across the whole canvas so that spare room looks like scenery.
    canvas.FillSolidRect(all, kSky);
    canvas.FillSolidRect(all.left, m.Y(124), all.right, m.Y(136), kVerge);
    canvas.FillSolidRect(all.left, m.Y(136), all.right, all.bottom, kRoad);
    canvas.FillSolidRect(all.left, m.Y(136), all.right, m.Y(136) + 1, kRoadEdge);
    for (double x = -8; x < kDesignWidth + 40; x += 44)
        canvas.FillSolidRect(m.X(x), m.Y(154), m.X(x + 24), m.Y(157), kLaneMark);

    // Trailer: the loading frame on its chassis, with the actuator pressing the load plate.
    Box(canvas, m, 16, 106, 232, 113, kChassis);
    Box(canvas, m, 16, 58, 214, 64, kSteel);
    for (double post : {16.0, 70.0, 154.0, 208.0})
        Box(canvas, m, post, 64, post + 6, 106, kSteel);
    Line(canvas, m, 22, 104, 70, 66, 2, kSteel);
    Line(canvas, m, 160, 66, 208, 104, 2, kSteel);
    Box(canvas, m, 108, 40, 124, 52, kCylinder);
    Box(canvas, m, 96, 50, 136, 106, kActuator);
    Box(canvas, m, 112, 113, 120, 129, kRod);
    Box(canvas, m, 100, 129, 132, 136, kPlate);
    Geophone(canvas, m, 88);
    Geophone(canvas, m, 146);
    Geophone(canvas, m, 168);
    Wheel(canvas, m, 38, 124);
    Wheel(canvas, m, 64, 124);
    Wheel(canvas, m, 196, 124);
    Line(canvas, m, 214, 110, 238, 110, 3, kChassis);

    // Truck, driving to the right, with the recording equipment behind its cab.
    Box(canvas, m, 234, 106, 306, 113, kChassis);
    Box(canvas, m, 245, 34, 249, 80, kEquipment);
    Box(canvas, m, 234, 78, 252, 106, kEquipment);
    Box(canvas, m, 250, 48, 292, 108, kCab);
    Box(canvas, m, 266, 56, 288, 78, kWindow);
    Box(canvas, m, 291, 76, 310, 106, kCab);
    Box(canvas, m, 304, 82, 310, 88, kLamp);
    Box(canvas, m, 288, 104, 313, 110, kEquipment);
    Wheel(canvas, m, 246, 124);
    Wheel(canvas, m, 296, 124);

    // A thin frame, as around a photograph.
    const CanvasPen oldPen = canvas.SelectPen(CanvasPen::Solid(1, kFrame));
    const CanvasBrush oldBrush = canvas.SelectBrush(CanvasBrush::Hollow());
    canvas.Rectangle(all.left, all.top, all.right, all.bottom);
    canvas.SelectBrush(oldBrush);
    canvas.SelectPen(oldPen);
}

void VehicleIllustration::paintEvent(QPaintEvent*) {
    const qreal ratio = devicePixelRatioF();
    if (drawnSize_ != size() || drawnRatio_ != ratio) {
        canvas_.Resize(width(), height(), ratio);
        Draw(canvas_);
        drawnSize_ = size();
        drawnRatio_ = ratio;
    }
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), canvas_.Image());
}
